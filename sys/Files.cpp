#include "sys/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>

#include "sys/FilePieces.h"

namespace sys {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// Closes a descriptor on every path out of a scope.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) {
      ::close(fd);
    }
  }
};

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail("cannot write", path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Opens a regular file for reading, never through a link, and fills st; throws
// std::runtime_error naming the file otherwise.
int OpenRegularFile(const std::string& path, struct stat& st) {
  Fd in{::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC)};
  if (in.fd < 0) {
    Fail("cannot open", path);
  }
  if (::fstat(in.fd, &st) != 0) {
    Fail("cannot read", path);
  }
  if (!S_ISREG(st.st_mode)) {
    errno = EINVAL;
    Fail("not a file:", path);
  }
  const int fd = in.fd;
  in.fd = -1;
  return fd;
}

// The new file's name: hidden beside path, with as much of path's name as leaves room
// for the suffix within any folder's name limit, then a dot and kTempSuffixLen random
// letters and digits (as mkstemp names it; mkstemp itself cannot be told the mode).
constexpr std::size_t kTempBaseLen = 64;
constexpr std::size_t kTempSuffixLen = 6;
constexpr int kTempAttempts = 100;
std::string TempNameBeside(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + base.substr(0, kTempBaseLen) + ".";
}

// Creates the new private file beside path under a free name, into temp.
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

int OpenPrivateFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        static_cast<mode_t>(kPrivateFileMode));
  if (fd < 0) {
    return -1;
  }
  // The umask may have taken some of the mode's bits; the file is ours, so it gets them.
  if (::fchmod(fd, static_cast<mode_t>(kPrivateFileMode)) != 0) {
    const int error = errno;
    ::close(fd);
    ::unlink(path.c_str());
    errno = error;
    return -1;
  }
  return fd;
}

bool PreparePrivateFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK,
                        static_cast<mode_t>(kPrivateFileMode));
  if (fd < 0) {
    return false;
  }
  struct stat info {};
  const bool done = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                    ::fchmod(fd, static_cast<mode_t>(kPrivateFileMode)) == 0;
  const int error = done ? 0 : (errno != 0 ? errno : EINVAL);
  ::close(fd);
  errno = error;
  return done;
}

ReplacementFile::ReplacementFile(const std::string& path) : path_(path) {
  fd_ = OpenTempBeside(path_, temp_);
  if (fd_ < 0) {
    Fail("cannot create a file beside", path_);
  }
}

ReplacementFile::~ReplacementFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
  if (!committed_) {
    ::unlink(temp_.c_str());
  }
}

void ReplacementFile::Write(std::string_view bytes) {
  WriteAll(fd_, bytes, temp_);
}

void ReplacementFile::Commit(bool sync) {
  if (sync && ::fsync(fd_) != 0) {
    Fail("cannot write", temp_);
  }
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) {
    Fail("cannot write", temp_);
  }
  if (::rename(temp_.c_str(), path_.c_str()) != 0) {
    Fail("cannot replace", path_);
  }
  committed_ = true;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileReachable(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool DeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

std::string ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  struct stat st {};
  Fd in{OpenRegularFile(path, st)};
  std::string bytes;
  std::size_t want = std::min(static_cast<std::size_t>(st.st_size), maxBytes);
  bytes.resize(want);
  std::size_t got = 0;
  // Reads until the end even when the file grew since fstat, within maxBytes.
  for (;;) {
    if (got == bytes.size()) {
      if (got >= maxBytes) {
        break;
      }
      bytes.resize(std::min(maxBytes, got + 65536));
    }
    ssize_t n = ::read(in.fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail("cannot read", path);
    }
    if (n == 0) {
      break;
    }
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

void ReadInPieces(const std::string& path,
                  const std::function<void(std::string& pending, bool complete)>& use) {
  struct stat st {};
  Fd in{OpenRegularFile(path, st)};
  std::string pending;
  for (bool complete = false; !complete;) {
    const std::size_t kept = pending.size();
    pending.resize(kept + kLinePieceBytes);
    ssize_t n = ::read(in.fd, pending.data() + kept, kLinePieceBytes);
    if (n < 0) {
      pending.resize(kept);
      if (errno == EINTR) {
        continue;
      }
      Fail("cannot read", path);
    }
    pending.resize(kept + static_cast<std::size_t>(n));
    complete = n == 0;
    use(pending, complete);
  }
}

int CreateExclusive(const std::string& path) {
  const int fd = OpenPrivateFile(path);
  if (fd < 0) {
    Fail("cannot create", path);
  }
  return fd;
}

}  // namespace sys
