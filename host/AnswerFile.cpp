// The answer file of qelFileGet.
#include "host/AnswerFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace host {

AnswerFile::AnswerFile(const char* path) : path_(path != nullptr ? path : "") {
  fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  created_ = fd_ >= 0;
  if (!created_) {
    createError_ = errno == EEXIST
                       ? std::string("the answer file exists already")
                       : std::string("cannot create the answer file: ") + std::strerror(errno);
  }
}

AnswerFile::~AnswerFile() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

Status AnswerFile::Restart(std::string& error) {
  if (fd_ < 0) {
    fd_ = open(path_.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
  } else if (written_ && (ftruncate(fd_, 0) != 0 || lseek(fd_, 0, SEEK_SET) != 0)) {
    return Failure(error);
  }
  written_ = false;
  return fd_ >= 0 ? Status::Ok : Failure(error);
}

Status AnswerFile::Append(std::string_view part, std::string& error) {
  written_ = true;
  while (!part.empty()) {
    const ssize_t n = write(fd_, part.data(), part.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return Failure(error);
    }
    part.remove_prefix(static_cast<std::size_t>(n));
  }
  return Status::Ok;
}

Status AnswerFile::Close(std::string& error) {
  const int closed = close(fd_);
  fd_ = -1;
  return closed == 0 ? Status::Ok : Failure(error);
}

void AnswerFile::Remove() {
  if (created_) {
    unlink(path_.c_str());
  }
}

Status AnswerFile::Failure(std::string& error) {
  error = std::string("cannot write the answer file: ") + std::strerror(errno);
  return Status::FileError;
}

}  // namespace host
