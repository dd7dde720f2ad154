// The file reader on Linux: open with O_NONBLOCK (and O_NOFOLLOW when links are
// refused), fstat for a regular file, read until EINTR stops interrupting.
#include "sys/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sys {

FileReader::FileReader(const std::string& path, Links links) {
  const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | noFollow);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  fd_ = fd;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error_ = errno;
  } else if (!S_ISREG(st.st_mode)) {
    error_ = EINVAL;
  } else {
    size_ = static_cast<std::uint64_t>(st.st_size);
  }
}

FileReader::~FileReader() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

std::ptrdiff_t FileReader::Read(char* buffer, std::size_t size) {
  if (error_ != 0) {
    errno = error_;
    return -1;
  }
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n >= 0 || errno != EINTR) {
      return n;
    }
  }
}

}  // namespace sys
