#include "sys/ProcessPaths.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace sys {

// readlink does not say when it cut the name, so the buffer grows until it fits.
std::string ExecutablePath() {
  std::vector<char> buf(256);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) {
      return {};
    }
    if (static_cast<std::size_t>(n) < buf.size()) {
      return std::string(buf.data(), static_cast<std::size_t>(n));
    }
    if (buf.size() >= (1u << 20)) {
      return {};
    }
    buf.resize(buf.size() * 2);
  }
}

std::string CurrentFolder() {
  std::vector<char> buf(256);
  for (;;) {
    if (::getcwd(buf.data(), buf.size()) != nullptr) {
      return std::string(buf.data());
    }
    if (errno != ERANGE || buf.size() >= (1u << 20)) {
      return {};
    }
    buf.resize(buf.size() * 2);
  }
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return {};
  }
  if (slash == 0) {
    return "/";
  }
  return path.substr(0, slash);
}

}  // namespace sys
