// What the shell asks of Linux: dlopen for the substitute host library (globally, so
// the module binds to it), setenv, a private transcript made with mkstemp while the
// interrupts that would remove it wait, and the rows file read without following a link.
#include "shell/ShellSystem.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "shell/ShellRun.h"
#include "shell/ShellText.h"
#include "shell/SignalCleanup.h"

namespace shell {

void PrepareProcess() {
  // A reader that goes away (tavro-shell ... | head) ends the output, not the process.
  std::signal(SIGPIPE, SIG_IGN);
  // Ctrl-C (or a stop) during a call removes the call's private transcript.
  InstallSignalCleanup();
}

std::string DefaultModulePath() {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) {
    return "libManageEdit.so";
  }
  std::string path(self, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + "libManageEdit.so";
}

std::string ModuleFileName(const std::string& name) {
  // dlopen searches the library path for a bare name.
  return name.find('/') == std::string::npos ? "./" + name : name;
}

bool LoadHostLibrary(std::ostream& err) {
  const char* host = std::getenv("TAVRO_HOST_LIBRARY");
  if (host == nullptr || *host == 0) {
    return true;
  }
  if (dlopen(host, RTLD_NOW | RTLD_GLOBAL) != nullptr) {
    return true;
  }
  const char* why = dlerror();
  err << "tavro-shell: cannot load the host library named by TAVRO_HOST_LIBRARY: "
      << ShownInMessage(why != nullptr ? why : "unknown loader error") << '\n';
  return false;
}

void SetVariable(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
}

std::uintmax_t FileSize(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    return 0;
  }
  return static_cast<std::uintmax_t>(st.st_size);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CanAppend(const std::string& path, std::string& why) {
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  close(fd);
  return true;
}

void RemoveFile(const std::string& path) {
  unlink(path.c_str());
}

bool CreatePrivateFile(PrivateFile& file, std::string& why) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = (tmp != nullptr && *tmp != 0) ? tmp : "/tmp";
  pattern += "/tavro-shell-transcript-XXXXXX";
  // No interrupt between the file's creation and the handler knowing it.
  sigset_t interrupts;
  sigset_t before;
  sigemptyset(&interrupts);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaddset(&interrupts, signal);
  }
  pthread_sigmask(SIG_BLOCK, &interrupts, &before);
  int fd = mkstemp(pattern.data());
  const int made = errno;
  if (fd >= 0) {
    close(fd);
    file.guard = std::make_shared<RemovedOnSignal>(pattern);
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (fd < 0) {
    why = std::strerror(made);
    return false;
  }
  file.path = pattern;
  return true;
}

bool ReadRowsFile(const char* name, std::string& content, std::string& error) {
  int fd = open(name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    error = "not a regular file";
    return false;
  }
  char buffer[65536];
  while (true) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      error = std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) {
      break;
    }
    content.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

ShellWindow OpenShellWindow() {
  // The headless platform only records the handle; the Qt platform, finding no window
  // of that handle, centres the dialogs on the screen.
  return ShellWindow{1};
}

void CloseShellWindow(ShellWindow& window) {
  window.handle = 0;
}

}  // namespace shell
