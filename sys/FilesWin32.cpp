// Files on Windows, with the guarantees of the Linux build: nothing here goes through a
// link or junction that stands where a file is expected (files are opened with
// FILE_FLAG_OPEN_REPARSE_POINT and refused when they are one), existing files are
// replaced by moving a new file over them, and every file made here admits its user
// alone (a protected DACL, win32::PrivateSecurity). Names are UTF-8 and reach the wide
// API, so Chinese file names work whatever the ANSI code page.
//
// Share modes: a file being read may be open for writing elsewhere (a spreadsheet that
// keeps its file open), so reads share reading and writing; a file being written shares
// reading only, so nobody changes or removes it half-written.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>

#include "sys/FilePieces.h"
#include "sys/Files.h"
#include "sys/Win32Api.h"

namespace sys {
namespace {

using win32::Handle;
using win32::Widen;

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + win32::LastErrorText());
}

[[noreturn]] void FailErrno(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// The errno of the last Win32 error, for the callers that read errno.
int ErrnoOfLastError() {
  switch (::GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
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

constexpr DWORD kAttributesLinkOrFolder = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;

// Opens a regular file for reading, never through a link; throws std::runtime_error
// naming the file otherwise.
HANDLE OpenRegularFile(const std::string& path) {
  Handle in(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING,
                          FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in.Valid()) {
    Fail("cannot open", path);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(in.h, &info)) {
    Fail("cannot read", path);
  }
  if ((info.dwFileAttributes & kAttributesLinkOrFolder) != 0) {
    throw std::runtime_error("not a file: " + path);
  }
  HANDLE h = in.h;
  in.h = INVALID_HANDLE_VALUE;
  return h;
}

// Reads from h into buffer; false at the end of the file. Throws on a failed read.
bool ReadSome(HANDLE h, char* buffer, std::size_t size, std::size_t& got, const std::string& path) {
  DWORD n = 0;
  const auto want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (!::ReadFile(h, buffer, want, &n, nullptr)) {
    Fail("cannot read", path);
  }
  got = n;
  return n != 0;
}

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
    const int n = ::_write(fd, bytes.data(), chunk);
    if (n < 0) {
      FailErrno("cannot write", path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// The new file's name: hidden beside path (as on Linux, a dot and path's name, then
// random letters and digits).
constexpr std::size_t kTempBaseLen = 64;
constexpr std::size_t kTempSuffixLen = 6;
constexpr int kTempAttempts = 100;
std::string TempNameBeside(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + base.substr(0, kTempBaseLen) + ".";
}

int OpenTempBeside(const std::string& path, std::string& temp) {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  const std::string stem = TempNameBeside(path);
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    temp = stem;
    for (std::size_t i = 0; i < kTempSuffixLen; ++i) {
      temp += kChars[pick(random)];
    }
    const int fd = OpenPrivateFile(temp);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  return -1;
}

}  // namespace

void ReadInPieces(const std::string& path,
                  const std::function<void(std::string& pending, bool complete)>& use) {
  Handle in(OpenRegularFile(path));
  std::string pending;
  for (bool complete = false; !complete;) {
    const std::size_t kept = pending.size();
    pending.resize(kept + kLinePieceBytes);
    std::size_t n = 0;
    complete = !ReadSome(in.h, pending.data() + kept, kLinePieceBytes, n, path);
    pending.resize(kept + n);
    use(pending, complete);
  }
}

int OpenPrivateFile(const std::string& path) {
  win32::PrivateSecurity security;
  HANDLE h = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                           security.Attributes(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno = ErrnoOfLastError();
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    const int error = errno;
    ::CloseHandle(h);
    ::DeleteFileW(Widen(path).c_str());
    errno = error;
  }
  return fd;
}

bool PreparePrivateFile(const std::string& path) {
  win32::PrivateSecurity security;
  Handle h(::CreateFileW(Widen(path).c_str(), READ_CONTROL | WRITE_DAC | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, security.Attributes(), OPEN_ALWAYS,
                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h.Valid()) {
    errno = ErrnoOfLastError();
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h.h, &info) ||
      (info.dwFileAttributes & kAttributesLinkOrFolder) != 0) {
    errno = EINVAL;
    return false;
  }
  if (!::SetFileSecurityW(Widen(path).c_str(), DACL_SECURITY_INFORMATION, security.Descriptor())) {
    errno = EACCES;
    return false;
  }
  return true;
}

ReplacementFile::ReplacementFile(const std::string& path) : path_(path) {
  fd_ = OpenTempBeside(path_, temp_);
  if (fd_ < 0) {
    FailErrno("cannot create a file beside", path_);
  }
}

ReplacementFile::~ReplacementFile() {
  if (fd_ >= 0) {
    ::_close(fd_);
  }
  if (!committed_) {
    ::DeleteFileW(Widen(temp_).c_str());
  }
}

void ReplacementFile::Write(std::string_view bytes) {
  WriteAll(fd_, bytes, temp_);
}

void ReplacementFile::Commit(bool sync) {
  if (sync && ::_commit(fd_) != 0) {
    FailErrno("cannot write", temp_);
  }
  const int closed = ::_close(fd_);
  fd_ = -1;
  if (closed != 0) {
    FailErrno("cannot write", temp_);
  }
  // Moving over a link replaces the link itself, as rename does on Linux.
  if (!::MoveFileExW(Widen(temp_).c_str(), Widen(path_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail("cannot replace", path_);
  }
  committed_ = true;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kAttributesLinkOrFolder) == 0;
}

bool FileReachable(const std::string& path) {
  Handle h(::CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return h.Valid() && ::GetFileInformationByHandle(h.h, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PathExists(const std::string& path) {
  return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DeleteFile(const std::string& path) {
  return ::DeleteFileW(Widen(path).c_str()) != 0;
}

std::string ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  Handle in(OpenRegularFile(path));
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(in.h, &size)) {
    Fail("cannot read", path);
  }
  std::string bytes;
  bytes.resize(std::min(static_cast<std::size_t>(size.QuadPart), maxBytes));
  std::size_t got = 0;
  // Reads until the end even when the file grew since its size was read, within maxBytes.
  for (;;) {
    if (got == bytes.size()) {
      if (got >= maxBytes) {
        break;
      }
      bytes.resize(std::min(maxBytes, got + 65536));
    }
    std::size_t n = 0;
    if (!ReadSome(in.h, bytes.data() + got, bytes.size() - got, n, path)) {
      break;
    }
    got += n;
  }
  bytes.resize(got);
  return bytes;
}

int CreateExclusive(const std::string& path) {
  const int fd = OpenPrivateFile(path);
  if (fd < 0) {
    FailErrno("cannot create", path);
  }
  return fd;
}

}  // namespace sys
