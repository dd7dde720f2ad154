// The file reader on Windows: CreateFileW sharing reading and writing (a file another
// program keeps open for writing can still be imported), with
// FILE_FLAG_OPEN_REPARSE_POINT when links are refused, and refused unless it is a file.
#include <cerrno>

#include "sys/FileReader.h"
#include "sys/Win32Api.h"

namespace sys {
namespace {

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}

}  // namespace

FileReader::FileReader(const std::string& path, Links links) {
  const DWORD flags =
      FILE_FLAG_SEQUENTIAL_SCAN | (links == Links::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  HANDLE h =
      ::CreateFileW(win32::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error_ = ErrnoOf(::GetLastError());
    return;
  }
  handle_ = h;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) {
    error_ = ErrnoOf(::GetLastError());
  } else if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                 0 ||
             ::GetFileType(h) != FILE_TYPE_DISK) {
    error_ = EINVAL;
  } else {
    size_ = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  }
}

FileReader::~FileReader() {
  if (handle_ != nullptr) {
    ::CloseHandle(handle_);
  }
}

std::ptrdiff_t FileReader::Read(char* buffer, std::size_t size) {
  if (error_ != 0) {
    errno = error_;
    return -1;
  }
  DWORD n = 0;
  const auto want = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
  if (!::ReadFile(handle_, buffer, want, &n, nullptr)) {
    errno = ErrnoOf(::GetLastError());
    return -1;
  }
  return static_cast<std::ptrdiff_t>(n);
}

}  // namespace sys
