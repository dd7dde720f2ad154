// tavro-shell's call: the substitute host library and the module loaded, the
// transcript prepared (a private one removed even when the call is interrupted), the
// entry point called, and the outcome turned into the shell's exit status.
#include "shell/ShellRun.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <ostream>
#include <sstream>

#include "shell/FolderPrint.h"
#include "shell/ShellSystem.h"
#include "shell/ShellText.h"
#include "sys/Abi.h"
#include "sys/FileSystemName.h"
#include "sys/Loader.h"
#include "ui/script/ScriptText.h"

namespace shell {
namespace {

void* LoadModule(const std::optional<std::string>& module, std::ostream& err) {
  const std::string path = ModuleFileName(module ? *module : DefaultModulePath());
  std::string why;
  void* handle = sys::LoadLibrary(path, &why);
  if (handle == nullptr) {
    err << "tavro-shell: cannot load the module " << ShownInMessage(path) << ": "
        << ShownInMessage(why) << '\n';
  }
  return handle;
}

// Where the transcript of this call goes, and what was in it before the call.
struct Transcript {
  std::string path;
  bool isPrivate = false;
  std::uintmax_t startOffset = 0;
  PrivateFile privateFile;  // a private one, while it exists
};

// The transcript file: --transcript, else the one the environment names, else a
// private temporary file whose lines go to standard error after the call.
bool PrepareTranscript(const CallOptions& options, Transcript& transcript, std::ostream& err) {
  const char* inherited = std::getenv("TAVRO_UI_TRANSCRIPT");
  if (options.transcript) {
    transcript.path = *options.transcript;
  } else if (inherited != nullptr && *inherited != 0) {
    transcript.path = inherited;
  } else {
    std::string why;
    if (!CreatePrivateFile(transcript.privateFile, why)) {
      err << "tavro-shell: cannot create a transcript file: " << why << '\n';
      return false;
    }
    transcript.path = transcript.privateFile.path;
    transcript.isPrivate = true;
  }
  if (!transcript.isPrivate) {
    // The platform appends; make sure it can, so a bad name is a usage error now
    // rather than a transcript silently missing later.
    std::string why;
    if (!CanAppend(transcript.path, why)) {
      err << "tavro-shell: cannot write the transcript " << ShownInMessage(transcript.path) << ": "
          << why << '\n';
      return false;
    }
    transcript.startOffset = FileSize(transcript.path);
  }
  SetVariable("TAVRO_UI_TRANSCRIPT", transcript.path);
  return true;
}

// The transcript lines this call added.
std::string ReadNewTranscript(const Transcript& transcript) {
  std::ifstream in(sys::PathOfUtf8(transcript.path), std::ios::binary);
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
bool CallEntry(void* symbol, HWND_T owner, const CallOptions& options, std::ostream& out,
               std::ostream& err, ListRows& rows) {
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
      entry(&list, owner, corp.c_str(), user.c_str(), function, key.c_str());
      rows = PrintFolderList(list, out, err);
    } else {
      TShellResult result{};
      auto entry = reinterpret_cast<TShellEntry>(symbol);
      entry(&result, owner, corp.c_str(), user.c_str(), function, key.c_str(), extra.c_str());
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

int RunCall(const CallOptions& options, std::ostream& out, std::ostream& err) {
  if (!IsEntryName(options.entry)) {
    err << "tavro-shell: \"" << ShownInMessage(options.entry)
        << "\" is not an entry point of the module\n";
    return kExitUsage;
  }
  if (options.ui) {
    // The module reads its platform from the environment when it first needs one.
    SetVariable("TAVRO_UI", *options.ui);
  }
  if (options.script && *options.script == "-") {
    // The platform reads standard input itself when it first needs the script.
    SetVariable("TAVRO_UI_SCRIPT", "-");
  } else if (options.script) {
    std::ifstream probe(sys::PathOfUtf8(*options.script));
    if (!probe || !IsRegularFile(*options.script)) {
      err << "tavro-shell: cannot read the script " << ShownInMessage(*options.script) << '\n';
      return kExitUsage;
    }
    SetVariable("TAVRO_UI_SCRIPT", *options.script);
  }
  if (!LoadHostLibrary(err)) {
    return kExitUsage;
  }
  void* module = LoadModule(options.module, err);
  if (module == nullptr) {
    return kExitUsage;
  }
  void* symbol = sys::GetProcAddress(module, options.entry);
  if (symbol == nullptr) {
    err << "tavro-shell: the module does not export " << options.entry << '\n';
    return kExitUsage;
  }
  Transcript transcript;
  if (!PrepareTranscript(options, transcript, err)) {
    return kExitUsage;
  }

  ListRows rows = ListRows::kPrinted;
  ShellWindow window = OpenShellWindow();
  bool returned = CallEntry(symbol, window.handle, options, out, err, rows);
  CloseShellWindow(window);

  std::string lines = ReadNewTranscript(transcript);
  PrintSummaries(lines, out);
  out.flush();
  if (transcript.isPrivate) {
    err << lines;
    if (!lines.empty() && lines.back() != '\n') {
      err << '\n';
    }
    RemoveFile(transcript.path);
    transcript.privateFile.guard.reset();
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
    if (sys::GetProcAddress(handle, name) != nullptr) {
      out << name << '\n';
    }
  }
  return kExitOk;
}

}  // namespace shell
