#include "sys/TempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace sys {
namespace {

[[noreturn]] void Refuse(const std::string& folder, const std::string& why) {
  throw std::runtime_error("temporary folder " + folder + " refused: " + why);
}

// The per-user folder inside a shared base: made private, never a planted link.
std::string PerUserFolder(const std::string& base, uid_t uid) {
  std::string folder = base + (base.back() == '/' ? "" : "/") + "tavro-" + std::to_string(uid);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    Refuse(folder, std::strerror(errno));
  }
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) {
    Refuse(folder, std::strerror(errno));
  }
  if (S_ISLNK(st.st_mode)) {
    Refuse(folder, "it is a link");
  }
  if (!S_ISDIR(st.st_mode)) {
    Refuse(folder, "it is not a directory");
  }
  if (st.st_uid != uid) {
    Refuse(folder, "it belongs to another user");
  }
  if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
    Refuse(folder, std::strerror(errno));
  }
  return folder + "/";
}

}  // namespace

std::string TempFolder() {
  const char* env = std::getenv("TMPDIR");
  std::string base = (env != nullptr && *env != '\0') ? env : "/tmp";
  char resolved[PATH_MAX];
  if (::realpath(base.c_str(), resolved) == nullptr) {
    Refuse(base, std::strerror(errno));
  }
  std::string folder = resolved;
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) {
    Refuse(folder, std::strerror(errno));
  }
  if (!S_ISDIR(st.st_mode)) {
    Refuse(folder, "it is not a directory");
  }
  const uid_t uid = ::geteuid();
  if (st.st_uid != uid && st.st_uid != 0) {
    Refuse(folder, "it belongs to another user");
  }
  const bool othersWrite = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
  if (st.st_uid == uid && !othersWrite) {
    return folder == "/" ? folder : folder + "/";
  }
  if (othersWrite && (st.st_mode & S_ISVTX) == 0) {
    Refuse(folder, "others may write to it and it has no sticky bit");
  }
  return PerUserFolder(folder, uid);
}

}  // namespace sys
