// The answer file of qelFileGet on Windows: created with CREATE_NEW (an existing file is
// never overwritten), a reparse point at the name never followed, the DACL admitting the
// user alone (as mode 0600), shared for reading only while it is written. The name is
// UTF-8, as the module's paths are, widened for the wide API. The handle is kept as a C
// runtime descriptor, so the writing is the Linux unit's.
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>

#include "host/AnswerFile.h"
#include "sys/Win32Api.h"

namespace host {
namespace {

// Opens the answer file: disposition CREATE_NEW for the first run, TRUNCATE_EXISTING
// when a run starts again after the file was closed. A descriptor, or -1 with the
// Windows error's text in why.
int OpenAnswer(const std::string& path, DWORD disposition, std::string& why) {
  sys::win32::PrivateSecurity security;
  HANDLE file = CreateFileW(sys::win32::Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                            security.Attributes(), disposition,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = GetLastError() == ERROR_FILE_EXISTS ? "exists" : sys::win32::LastErrorText();
    return -1;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    why = "no descriptor is left for it";
    CloseHandle(file);
  }
  return fd;
}

}  // namespace

AnswerFile::AnswerFile(const char* path) : path_(path != nullptr ? path : "") {
  std::string why;
  fd_ = OpenAnswer(path_, CREATE_NEW, why);
  created_ = fd_ >= 0;
  if (!created_) {
    createError_ = why == "exists" ? std::string("the answer file exists already")
                                   : "cannot create the answer file: " + why;
  }
}

AnswerFile::~AnswerFile() {
  if (fd_ >= 0) {
    _close(fd_);
  }
}

Status AnswerFile::Restart(std::string& error) {
  if (fd_ < 0) {
    std::string why;
    fd_ = OpenAnswer(path_, TRUNCATE_EXISTING, why);
    if (fd_ < 0) {
      error = "cannot write the answer file: " + why;
      return Status::FileError;
    }
  } else if (written_ && (_chsize(fd_, 0) != 0 || _lseek(fd_, 0, SEEK_SET) != 0)) {
    return Failure(error);
  }
  written_ = false;
  return Status::Ok;
}

Status AnswerFile::Append(std::string_view part, std::string& error) {
  written_ = true;
  while (!part.empty()) {
    // _write takes an unsigned int count; pieces of at most 1 MB keep it in range.
    const unsigned int piece =
        part.size() < (1U << 20) ? static_cast<unsigned int>(part.size()) : (1U << 20);
    const int n = _write(fd_, part.data(), piece);
    if (n < 0) {
      return Failure(error);
    }
    part.remove_prefix(static_cast<std::size_t>(n));
  }
  return Status::Ok;
}

Status AnswerFile::Close(std::string& error) {
  const int closed = _close(fd_);
  fd_ = -1;
  return closed == 0 ? Status::Ok : Failure(error);
}

void AnswerFile::Remove() {
  if (created_) {
    DeleteFileW(sys::win32::Widen(path_).c_str());
  }
}

Status AnswerFile::Failure(std::string& error) {
  error = std::string("cannot write the answer file: ") + std::strerror(errno);
  return Status::FileError;
}

}  // namespace host
