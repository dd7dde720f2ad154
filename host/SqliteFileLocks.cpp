// The embedded bank's locks on open file descriptions: SQLite's fcntl and close
// system calls wrapped so that its lock calls reach one lock descriptor per file
// (see SqliteFileLocks.h for why).
#include "host/SqliteFileLocks.h"

#include <fcntl.h>
#include <pthread.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <tuple>

namespace host {
namespace {

#ifdef F_OFD_SETLK

using FcntlCall = int (*)(int, int, ...);
using CloseCall = int (*)(int);

struct FileId {
  dev_t device;
  ino_t inode;
  bool operator<(const FileId& other) const {
    return std::tie(device, inode) < std::tie(other.device, other.inode);
  }
};

// A file SQLite has locked: the description its locks are held on, and how many of
// SQLite's descriptors of the file are still open.
struct LockFile {
  int lockFd;
  int users;
};

struct LockTable {
  std::mutex mutex;
  std::map<int, FileId> byDescriptor;  // SQLite's descriptors that asked for a lock
  std::map<FileId, LockFile> files;
  FcntlCall fcntl = nullptr;  // SQLite's calls before ours were put in
  CloseCall close = nullptr;
};

// Never destroyed: SQLite calls through the table until the process's last connection is
// closed, which may be by another library's static destructor.
LockTable& Table() {
  static LockTable& table = *new LockTable;
  return table;
}

// A description of its own for the file fd names, opened again through /proc with fd's
// access. Never a duplicate of fd: a process made by fork without exec shares the
// descriptions of the descriptors it inherited, SQLite's too, so locks on a duplicate
// would be the same locks in parent and child, never locks against each other. SQLite
// keeps descriptors 0 to 2 free of database files, and so does this.
int OpenLockDescriptor(LockTable& table, int fd) {
  const int flags = table.fcntl(fd, F_GETFL, 0);
  if (flags < 0) {
    return -1;
  }
  char path[32];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  const int opened = open(path, (flags & O_ACCMODE) | O_CLOEXEC | O_NOCTTY);
  if (opened < 0 || opened > 2) {
    return opened;
  }
  const int moved = table.fcntl(opened, F_DUPFD_CLOEXEC, 3);
  table.close(opened);
  return moved;
}

// The lock descriptor of fd's file, made on the first lock SQLite asks for on the file.
int LockDescriptorOf(LockTable& table, int fd) {
  std::lock_guard<std::mutex> hold(table.mutex);
  if (auto known = table.byDescriptor.find(fd); known != table.byDescriptor.end()) {
    return table.files.at(known->second).lockFd;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    return -1;
  }
  const FileId id{info.st_dev, info.st_ino};
  auto file = table.files.find(id);
  if (file == table.files.end()) {
    const int lockFd = OpenLockDescriptor(table, fd);
    if (lockFd < 0) {
      return -1;
    }
    file = table.files.emplace(id, LockFile{lockFd, 0}).first;
  }
  ++file->second.users;
  table.byDescriptor.emplace(fd, id);
  return file->second.lockFd;
}

int DescriptionFcntl(int fd, int op, ...) {
  // Every command SQLite uses takes one argument, an int or a pointer; glibc reads it
  // as a pointer as well.
  va_list args;
  va_start(args, op);
  void* arg = va_arg(args, void*);
  va_end(args);

  LockTable& table = Table();
  int ofdOp = 0;
  if (op == F_SETLK) {
    ofdOp = F_OFD_SETLK;
  } else if (op == F_SETLKW) {
    ofdOp = F_OFD_SETLKW;
  } else if (op == F_GETLK) {
    ofdOp = F_OFD_GETLK;
  }
  if (ofdOp == 0) {
    return table.fcntl(fd, op, arg);
  }
  const int lockFd = LockDescriptorOf(table, fd);
  if (lockFd < 0) {
    return -1;
  }
  auto* request = static_cast<struct flock*>(arg);
  struct flock lock = *request;
  lock.l_pid = 0;  // the kernel refuses anything else on a description's lock
  const int result = table.fcntl(lockFd, ofdOp, &lock);
  if (result == 0 && op == F_GETLK) {
    *request = lock;
  }
  return result;
}

int DescriptionClose(int fd) {
  LockTable& table = Table();
  int lockFd = -1;
  {
    std::lock_guard<std::mutex> hold(table.mutex);
    if (auto known = table.byDescriptor.find(fd); known != table.byDescriptor.end()) {
      auto file = table.files.find(known->second);
      if (--file->second.users == 0) {
        lockFd = file->second.lockFd;
        table.files.erase(file);
      }
      table.byDescriptor.erase(known);
    }
  }
  const int result = table.close(fd);
  // SQLite has closed every descriptor of the file it locked through, so it holds no
  // lock on it any more: the description can go.
  if (lockFd >= 0) {
    const int saved = errno;
    table.close(lockFd);
    errno = saved;
  }
  return result;
}

// Nobody changes the table while the process forks.
void BeforeFork() {
  Table().mutex.lock();
}
void AfterForkInParent() {
  Table().mutex.unlock();
}

// A child's copies of the lock descriptors share the parent's descriptions: a lock taken
// through them would be the parent's, never one against it. The child drops its copies
// (the parent's locks stay, its own descriptors keep them) and starts afresh.
void AfterForkInChild() {
  LockTable& table = Table();
  for (const auto& [id, file] : table.files) {
    table.close(file.lockFd);
  }
  table.files.clear();
  table.byDescriptor.clear();
  table.mutex.unlock();
}

// Whether this kernel has open-file-description locks: asked of a file every process
// can open, without taking a lock.
bool KernelHasDescriptionLocks() {
  const int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  const bool supported = fcntl(fd, F_OFD_GETLK, &lock) == 0;
  close(fd);
  return supported;
}

bool Install() {
  sqlite3_vfs* unixVfs = sqlite3_vfs_find("unix");
  if (unixVfs == nullptr || unixVfs->iVersion < 3 || !KernelHasDescriptionLocks()) {
    return false;
  }
  LockTable& table = Table();
  table.fcntl = reinterpret_cast<FcntlCall>(unixVfs->xGetSystemCall(unixVfs, "fcntl"));
  table.close = reinterpret_cast<CloseCall>(unixVfs->xGetSystemCall(unixVfs, "close"));
  if (table.fcntl == nullptr || table.close == nullptr ||
      pthread_atfork(BeforeFork, AfterForkInParent, AfterForkInChild) != 0) {
    return false;
  }
  // The table is shared by every unix file system SQLite has, so one change covers them.
  // Close goes first: without a lock routed yet it only passes calls on.
  return unixVfs->xSetSystemCall(unixVfs, "close",
                                 reinterpret_cast<sqlite3_syscall_ptr>(&DescriptionClose)) ==
             SQLITE_OK &&
         unixVfs->xSetSystemCall(unixVfs, "fcntl",
                                 reinterpret_cast<sqlite3_syscall_ptr>(&DescriptionFcntl)) ==
             SQLITE_OK;
}

#else

bool Install() {
  return false;
}

#endif

}  // namespace

bool UseDescriptionLocks() {
  static const bool installed = Install();
  return installed;
}

}  // namespace host
