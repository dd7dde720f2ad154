// Preloaded to see who opens the embedded bank's files: each successful open of
// TAVRO_OPEN_SPY_FILES (or its -wal, -shm, -journal) by code other than SQLite's and the
// host library's is logged to TAVRO_OPEN_SPY_LOG as "FILE opened by OBJECT".
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

namespace {

// The bank's files by their canonical paths.
struct Watched {
  std::string files[4];
  int count = 0;
  std::string log;
};

// Never destroyed: the program opens files until its very end.
const Watched& TheWatched() {
  static const Watched& watched = *[] {
    auto* made = new Watched;
    Watched& w = *made;
    const char* bank = getenv("TAVRO_OPEN_SPY_FILES");
    const char* log = getenv("TAVRO_OPEN_SPY_LOG");
    if (bank == nullptr || log == nullptr) {
      return made;
    }
    w.log = log;
    // The folder is canonical; the files may not exist yet.
    std::string path = bank;
    const std::string::size_type slash = path.rfind('/');
    char folder[PATH_MAX];
    if (slash != std::string::npos && realpath(path.substr(0, slash).c_str(), folder) != nullptr) {
      path = std::string(folder) + path.substr(slash);
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
      w.files[w.count++] = path + suffix;
    }
    return made;
  }();
  return watched;
}

template <typename Fn>
Fn Next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

void Log(int fd, const void* caller) {
  const Watched& watched = TheWatched();
  if (fd < 0 || watched.count == 0) {
    return;
  }
  char link[64];
  char target[PATH_MAX];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, target, sizeof target - 1);
  if (length <= 0) {
    return;
  }
  target[length] = '\0';
  bool bankFile = false;
  for (int i = 0; i < watched.count; ++i) {
    bankFile = bankFile || watched.files[i] == target;
  }
  if (!bankFile) {
    return;
  }
  Dl_info info{};
  const char* object = dladdr(caller, &info) != 0 && info.dli_fname ? info.dli_fname : "?";
  if (strstr(object, "libsqlite3") != nullptr || strstr(object, "libTavroClient") != nullptr) {
    return;
  }
  static auto realOpen = Next<int (*)(const char*, int, ...)>("open");
  const int out = realOpen(watched.log.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (out >= 0) {
    const std::string line = std::string(target) + " opened by " + object + "\n";
    (void)!write(out, line.data(), line.size());
    close(out);
  }
}

// Leaves errno as the open left it: the caller reads it.
void Check(int fd, const void* caller) {
  const int saved = errno;
  Log(fd, caller);
  errno = saved;
}

bool TakesMode(int flags) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

}  // namespace

// Every way a program opens a file by name reaches one of these.
#define TAVRO_SPY_OPEN(name)                                        \
  extern "C" int name(const char* path, int flags, ...) {           \
    static auto real = Next<int (*)(const char*, int, ...)>(#name); \
    int mode = 0;                                                   \
    if (TakesMode(flags)) {                                         \
      va_list args;                                                 \
      va_start(args, flags);                                        \
      mode = va_arg(args, int);                                     \
      va_end(args);                                                 \
    }                                                               \
    const int fd = real(path, flags, mode);                         \
    Check(fd, __builtin_return_address(0));                         \
    return fd;                                                      \
  }
#define TAVRO_SPY_OPENAT(name)                                           \
  extern "C" int name(int dir, const char* path, int flags, ...) {       \
    static auto real = Next<int (*)(int, const char*, int, ...)>(#name); \
    int mode = 0;                                                        \
    if (TakesMode(flags)) {                                              \
      va_list args;                                                      \
      va_start(args, flags);                                             \
      mode = va_arg(args, int);                                          \
      va_end(args);                                                      \
    }                                                                    \
    const int fd = real(dir, path, flags, mode);                         \
    Check(fd, __builtin_return_address(0));                              \
    return fd;                                                           \
  }
#define TAVRO_SPY_FOPEN(name)                                                \
  extern "C" FILE* name(const char* path, const char* mode) {                \
    static auto real = Next<FILE* (*)(const char*, const char*)>(#name);     \
    FILE* file = real(path, mode);                                           \
    Check(file != nullptr ? fileno(file) : -1, __builtin_return_address(0)); \
    return file;                                                             \
  }

TAVRO_SPY_OPEN(open)
TAVRO_SPY_OPEN(open64)
TAVRO_SPY_OPENAT(openat)
TAVRO_SPY_OPENAT(openat64)
TAVRO_SPY_FOPEN(fopen)
TAVRO_SPY_FOPEN(fopen64)

// The fortified forms a program built with _FORTIFY_SOURCE calls instead.
#define TAVRO_SPY_OPEN_2(name)                                 \
  extern "C" int name(const char* path, int flags) {           \
    static auto real = Next<int (*)(const char*, int)>(#name); \
    const int fd = real(path, flags);                          \
    Check(fd, __builtin_return_address(0));                    \
    return fd;                                                 \
  }

TAVRO_SPY_OPEN_2(__open_2)    // NOLINT(bugprone-reserved-identifier)
TAVRO_SPY_OPEN_2(__open64_2)  // NOLINT(bugprone-reserved-identifier)

// NOLINTNEXTLINE(bugprone-reserved-identifier)
extern "C" int __openat_2(int dir, const char* path, int flags) {
  static auto real = Next<int (*)(int, const char*, int)>("__openat_2");
  const int fd = real(dir, path, flags);
  Check(fd, __builtin_return_address(0));
  return fd;
}
