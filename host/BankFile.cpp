// The embedded bank's file on Linux: its default place under the XDG data folder, and
// its folders and file created private to the user (modes 0700 and 0600).
#include "host/BankFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "host/Database.h"

namespace host {

// Creates every missing folder on the way to path's parent, private to the user.
void CreateParentFolders(const std::string& path) {
  std::string::size_type slash = path.find('/', 1);
  while (slash != std::string::npos) {
    std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      throw std::runtime_error("cannot create folder " + folder + ": " + std::strerror(errno));
    }
    slash = path.find('/', slash + 1);
  }
}

// Creates the database file, private to the user, when there is none. SQLite would
// create it with 0644 less the umask, readable by every local user; it gives the
// -wal and -shm files the mode of the database file (and sets that mode whatever
// the umask), so a file made 0600 here keeps all three private. An existing file, or
// anything else at the name, is left for the open to judge.
void CreatePrivateFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == EEXIST) {
      return;
    }
    throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
  }
  // A umask can only take bits away; a stricter one than 077 would leave the owner
  // unable to use the file.
  const bool changed = fchmod(fd, 0600) == 0;
  const int err = errno;
  close(fd);
  if (!changed) {
    unlink(path.c_str());
    throw std::runtime_error("cannot make " + path + " private: " + std::strerror(err));
  }
}

std::string DefaultDatabasePath() {
  const char* named = std::getenv("TAVRO_BANK_DB");
  if (named && *named) {
    return named;
  }
  const char* data = std::getenv("XDG_DATA_HOME");
  // The XDG base-directory rules say a relative XDG_DATA_HOME is to be ignored.
  if (data && data[0] == '/') {
    return std::string(data) + "/tavro/bank.db";
  }
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const passwd* user = getpwuid(getuid()); user && user->pw_dir) {
    home = user->pw_dir;
  }
  return home + "/.local/share/tavro/bank.db";
}

bool NothingAt(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

bool FileHasContent(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || info.st_size > 0);
}

}  // namespace host
