// tavro-shell's call: the substitute host library and the module loaded, the
// transcript prepared (a private one removed even when the call is interrupted), the
// entry point called, and the outcome turned into the shell's exit status.
#include "shell/ShellRun.h"

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
#include <exception>
#include <fstream>
#include <ostream>
#include <sstream>

#include "shell/FolderPrint.h"
#include "shell/ShellText.h"
#include "shell/SignalCleanup.h"
#include "sys/Abi.h"
#include "ui/script/ScriptText.h"

namespace shell {
namespace {

// The window handle the shell passes. The shell has no window of its own: the headless
// platform only records the handle, and the Qt platform, finding no window of that
// handle, centres the dialogs on the screen.
constexpr HWND_T kShellWindow = 1;

std::string LoaderError() {
  const char* e = dlerror();
  return e != nullptr ? e : "unknown loader error";
}

// A substitute host library named by TAVRO_HOST_LIBRARY is loaded first and globally,
// so the module's qelCommand and qelFileGet bind to it rather than to its own
// dependency. Returns false with a message when it cannot be loaded.
bool LoadHostLibrary(std::ostream& err) {
  const char* host = std::getenv("TAVRO_HOST_LIBRARY");
  if (host == nullptr || *host == 0) {
    return true;
  }
  if (dlopen(host, RTLD_NOW | RTLD_GLOBAL) != nullptr) {
    return true;
  }
  err << "tavro-shell: cannot load the host library named by TAVRO_HOST_LIBRARY: "
      << ShownInMessage(LoaderError()) << '\n';
  return false;
}

void* LoadModule(const std::optional<std::string>& module, std::ostream& err) {
  std::string path = module ? *module : DefaultModulePath();
  // dlopen searches the library path for a bare name; a file name given on the
  // command line means that file.
  if (path.find('/') == std::string::npos) {
    path = "./" + path;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    err << "tavro-shell: cannot load the module " << ShownInMessage(path) << ": "
        << ShownInMessage(LoaderError()) << '\n';
  }
  return handle;
}

// Where the transcript of this call goes, and what was in it before the call.
struct Transcript {
  std::string path;
  bool isPrivate = false;
  std::uintmax_t startOffset = 0;
  std::optional<RemovedOnSignal> removed;  // a private one, while it exists
};

std::uintmax_t FileSize(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    return 0;
  }
  return static_cast<std::uintmax_t>(st.st_size);
}

// The transcript file: --transcript, else the one the environment names, else a
// private temporary file whose lines go to standard error after the call.
bool PrepareTranscript(const CallOptions& options, Transcript& transcript, std::ostream& err) {
  const char* inherited = std::getenv("TAVRO_UI_TRANSCRIPT");
  if (options.transcript) {
    transcript.path = *options.transcript;
  } else if (inherited != nullptr && *inherited != 0) {
    transcript.path = inherited;
  } else {
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
      transcript.removed.emplace(pattern);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (fd < 0) {
      err << "tavro-shell: cannot create a transcript file: " << std::strerror(made) << '\n';
      return false;
    }
    transcript.path = pattern;
    transcript.isPrivate = true;
  }
  if (!transcript.isPrivate) {
    // The platform appends; make sure it can, so a bad name is a usage error now
    // rather than a transcript silently missing later.
    int fd = open(transcript.path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      err << "tavro-shell: cannot write the transcript " << ShownInMessage(transcript.path) << ": "
          << std::strerror(errno) << '\n';
      return false;
    }
    close(fd);
    transcript.startOffset = FileSize(transcript.path);
  }
  setenv("TAVRO_UI_TRANSCRIPT", transcript.path.c_str(), 1);
  return true;
}

// The transcript lines this call added.
std::string ReadNewTranscript(const Transcript& transcript) {
  std::ifstream in(transcript.path, std::ios::binary);
  if (!in) {
    return {};
  }
  // A transcript someone truncated meanwhile is read whole.
  if (FileSize(transcript.path) >= transcript.startOffset) {
    in.seekg(static_cast<std::streamoff>(transcript.startOffset));
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool HasErrorLine(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("error ", 0) == 0) {
      return true;
    }
  }
  return false;
}

// A message box line, `message BUTTONS ICON "caption" "text" -> ANSWER`, that reports a
// failure: the error icon (what a dialog raised, a print that could not be stored) or
// a text starting with "Error:" (a host command that failed).
bool IsErrorBox(const std::string& line) {
  if (line.rfind("message ", 0) != 0) {
    return false;
  }
  std::vector<std::string> tokens;
  std::string ignored;
  if (!ui::SplitTokens(line, tokens, ignored) || tokens.size() < 5) {
    return false;
  }
  return tokens[2] == "error" || tokens[4].rfind("Error:", 0) == 0;
}

// Why the host command of a list failed, as the module showed it: the text of the
// call's last "Error:..." box.
std::string ListFailure(const std::string& text) {
  std::string reason = "the module named no rows file (its host command failed)";
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> tokens;
    std::string ignored;
    if (line.rfind("message ", 0) == 0 && ui::SplitTokens(line, tokens, ignored) &&
        tokens.size() >= 5 && tokens[4].rfind("Error:", 0) == 0) {
      reason = ShownInMessage(tokens[4].substr(6));
    }
  }
  return reason;
}

// The closing lines of long work the call ran (an import's summary), as the transcript
// recorded them: `summary "TEXT"`, printed as they are after the result.
void PrintSummaries(const std::string& text, std::ostream& out) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("summary ", 0) == 0) {
      out << line << '\n';
    }
  }
}

bool ShowsAnErrorBox(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (IsErrorBox(line)) {
      return true;
    }
  }
  return false;
}

// Calls the entry point; false with the message when it raised.
bool CallEntry(void* symbol, const CallOptions& options, std::ostream& out, std::ostream& err,
               ListRows& rows) {
  const std::string corp = options.corp.value_or("");
  const std::string user = options.user.value_or("");
  const std::string key = options.key.value_or("");
  const std::string extra = options.extra.value_or("");
  const std::int32_t function = options.function.value_or(0);
  std::string message;
  try {
    if (IsListEntry(options.entry)) {
      TFolderList list{};
      auto entry = reinterpret_cast<TListEntry>(symbol);
      entry(&list, kShellWindow, corp.c_str(), user.c_str(), function, key.c_str());
      rows = PrintFolderList(list, out, err);
    } else {
      TShellResult result{};
      auto entry = reinterpret_cast<TShellEntry>(symbol);
      entry(&result, kShellWindow, corp.c_str(), user.c_str(), function, key.c_str(),
            extra.c_str());
      std::string_view text(result.Text, strnlen(result.Text, sizeof result.Text));
      out << "Code=" << result.Code << " Text=" << ui::QuoteText(text) << '\n';
    }
    return true;
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "an exception that is not a std::exception";
  }
  err << "tavro-shell: " << options.entry << " raised: " << ui::GbkToShown(message) << '\n';
  return false;
}

}  // namespace

std::string DefaultModulePath() {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) {
    return "libManageEdit.so";
  }
  std::string path(self, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + "libManageEdit.so";
}

int RunCall(const CallOptions& options, std::ostream& out, std::ostream& err) {
  if (!IsEntryName(options.entry)) {
    err << "tavro-shell: \"" << ShownInMessage(options.entry)
        << "\" is not an entry point of the module\n";
    return kExitUsage;
  }
  if (options.ui) {
    // The module reads its platform from the environment when it first needs one.
    setenv("TAVRO_UI", options.ui->c_str(), 1);
  }
  if (options.script && *options.script == "-") {
    // The platform reads standard input itself when it first needs the script.
    setenv("TAVRO_UI_SCRIPT", "-", 1);
  } else if (options.script) {
    std::ifstream probe(*options.script);
    struct stat st {};
    if (!probe || stat(options.script->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      err << "tavro-shell: cannot read the script " << ShownInMessage(*options.script) << '\n';
      return kExitUsage;
    }
    setenv("TAVRO_UI_SCRIPT", options.script->c_str(), 1);
  }
  if (!LoadHostLibrary(err)) {
    return kExitUsage;
  }
  void* module = LoadModule(options.module, err);
  if (module == nullptr) {
    return kExitUsage;
  }
  void* symbol = dlsym(module, options.entry.c_str());
  if (symbol == nullptr) {
    err << "tavro-shell: the module does not export " << options.entry << '\n';
    return kExitUsage;
  }
  Transcript transcript;
  if (!PrepareTranscript(options, transcript, err)) {
    return kExitUsage;
  }

  ListRows rows = ListRows::kPrinted;
  bool returned = CallEntry(symbol, options, out, err, rows);

  std::string lines = ReadNewTranscript(transcript);
  PrintSummaries(lines, out);
  out.flush();
  if (transcript.isPrivate) {
    err << lines;
    if (!lines.empty() && lines.back() != '\n') {
      err << '\n';
    }
    unlink(transcript.path.c_str());
    transcript.removed.reset();
  }
  // A list whose read failed must not pass for an empty one.
  if (rows == ListRows::kNoFile) {
    err << "tavro-shell: " << options.entry
        << ": the list could not be read: " << ListFailure(lines) << '\n';
  }
  if (!returned) {
    return kExitRaised;
  }
  if (HasErrorLine(lines)) {
    return kExitScriptFailed;
  }
  if (rows != ListRows::kPrinted) {
    return kExitRowsUnreadable;
  }
  if (options.strict && ShowsAnErrorBox(lines)) {
    return kExitErrorShown;
  }
  return kExitOk;
}

int ListEntries(const std::optional<std::string>& module, std::ostream& out, std::ostream& err) {
  if (!LoadHostLibrary(err)) {
    return kExitUsage;
  }
  void* handle = LoadModule(module, err);
  if (handle == nullptr) {
    return kExitUsage;
  }
  for (const char* name : kEntryNames) {
    if (dlsym(handle, name) != nullptr) {
      out << name << '\n';
    }
  }
  return kExitOk;
}

}  // namespace shell
