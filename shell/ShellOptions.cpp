// The shell's command line and the `# call:` line of examples, parsed with CLI11: the
// options are declared once and serve the command line and the call line alike; the
// values are then checked and converted to what the module takes (GBK texts, a 32-bit
// function id).
#include "shell/ShellOptions.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <fstream>

#include "shell/ShellText.h"
#include "sys/Abi.h"
#include "sys/FileSystemName.h"
#include "ui/script/ScriptText.h"

namespace shell {
namespace {

constexpr std::string_view kListEntries[] = {"Mn_GetCheckList", "Mn_GetAuthoriseList",
                                             "Mn_GetSendList", "Mn_GetDeletedList",
                                             "Mn_GetRejectedList"};

constexpr const char* kDescription =
    "Calls an entry point of the module (libManageEdit.so) as the banking client's shell\n"
    "does; its dialogs open on the desktop (--ui qt), or run without a display driven by\n"
    "an operator script (--ui headless).\n"
    "  tavro-shell call ENTRY [options]   call an entry point with these parameters\n"
    "  tavro-shell run FILE [options]     FILE's first line is \"# call: ENTRY [options]\";\n"
    "                                     options given here override the call line's\n"
    "  tavro-shell entries [--module PATH]\n"
    "  tavro-shell COMMAND --help         the options of a command";

constexpr const char* kFooter =
    "Exit status: 0 done; 2 bad usage, or the module, an entry point or a file cannot be\n"
    "used; 3 the transcript of the call holds an error (a script error, a failed expect, a\n"
    "script line that was not played); 4 the entry point raised; 5 the rows file of a list\n"
    "could not be read; 6 (with --strict) an error box or a failed print was shown.\n"
    "See docs/tavro-shell.md and docs/operator-scripts.md.\n";

// The options as CLI11 collects them: UTF-8, unchecked, and whether each was given.
struct RawOptions {
  std::string corp, user, function, key, extra, script, transcript, module, ui;
  CLI::Option* given[9] = {};
  bool strict = false;
};

enum RawIndex { kCorp, kUser, kFunction, kKey, kExtra, kScript, kTranscript, kModule, kUi };

CLI::Option* AddValue(CLI::App& app, const char* name, std::string& target, const char* type,
                      const char* help) {
  // A later value wins, as it does for the options after an example's file.
  return app.add_option(name, target, help)
      ->type_name(type)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void AddCallOptions(CLI::App& app, RawOptions& raw) {
  raw.given[kCorp] = AddValue(app, "--corp", raw.corp, "ID", "corporation id (CorpNo)");
  raw.given[kUser] = AddValue(app, "--user", raw.user, "ID", "user id (UserNo)");
  raw.given[kFunction] = AddValue(app, "--function", raw.function, "N",
                                  "function id, a decimal 32-bit number (default 0)");
  raw.given[kKey] = AddValue(app, "--key", raw.key, "TEXT", "record key (Key)");
  raw.given[kExtra] = AddValue(app, "--extra", raw.extra, "TEXT",
                               "second key (Extra); not passed to the list entry points");
  raw.given[kScript] = AddValue(app, "--script", raw.script, "FILE",
                                "operator script; - reads it from standard input");
  raw.given[kTranscript] = AddValue(app, "--transcript", raw.transcript, "FILE",
                                    "transcript file, appended to (default: printed to "
                                    "standard error)");
  raw.given[kModule] = AddValue(app, "--module", raw.module, "PATH",
                                "the module to load (default: libManageEdit.so beside "
                                "tavro-shell)");
  raw.given[kUi] = AddValue(app, "--ui", raw.ui, "qt|headless",
                            "where the dialogs run: qt (windows on the desktop) or headless "
                            "(default: the module's choice, see docs/qt-platform.md)")
                       ->check(CLI::IsMember({"qt", "headless"}));
  app.add_flag("--strict", raw.strict,
               "exit with status 6 when the call showed an error box or a failed print");
}

// A decimal signed 32-bit number, nothing else.
bool ParseInt32(std::string_view text, std::int32_t& value) {
  if (text.empty()) {
    return false;
  }
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// A text option: valid UTF-8 that GBK can write.
bool TextValue(std::string_view name, const std::string& value, std::optional<std::string>& out,
               std::string& error) {
  std::optional<std::string> gbk = ui::Utf8ToGbkStrict(value);
  if (!gbk) {
    error = "the value of " + std::string(name) +
            " is not UTF-8 text that the module's code page (GBK) can hold";
    return false;
  }
  out = std::move(*gbk);
  return true;
}

// An id option: a text that fits the module's field whole, without blanks at its ends.
// The module cuts a longer id to its field and trims blanks, which can make another,
// valid id of it: --user 0000017 would act as user 000001.
bool IdValue(std::string_view name, const std::string& value, std::size_t field,
             std::optional<std::string>& out, std::string& error) {
  if (!TextValue(name, value, out, error)) {
    return false;
  }
  const std::string shown = std::string(name) + " \"" + ShownInMessage(value) + "\"";
  if (!out->empty() &&
      (out->front() == ' ' || out->front() == '\t' || out->back() == ' ' || out->back() == '\t')) {
    error = shown + " has blanks at its ends";
    return false;
  }
  if (out->size() > field) {
    error = shown + " is longer than its field of " + std::to_string(field) + " bytes";
    return false;
  }
  return true;
}

bool FileValue(std::string_view name, const std::string& value, std::optional<std::string>& out,
               std::string& error) {
  if (value.empty()) {
    error = "option " + std::string(name) + " needs a file name";
    return false;
  }
  out = value;
  return true;
}

// The collected values, checked, into options (which keeps what was not given).
bool Convert(const RawOptions& raw, CallOptions& options, std::string& error) {
  auto given = [&](RawIndex i) { return raw.given[i] != nullptr && raw.given[i]->count() > 0; };
  if ((given(kCorp) && !IdValue("--corp", raw.corp, kCorpNoLen, options.corp, error)) ||
      (given(kUser) && !IdValue("--user", raw.user, kUserNoLen, options.user, error)) ||
      (given(kKey) && !TextValue("--key", raw.key, options.key, error)) ||
      (given(kExtra) && !TextValue("--extra", raw.extra, options.extra, error)) ||
      (given(kScript) && !FileValue("--script", raw.script, options.script, error)) ||
      (given(kTranscript) &&
       !FileValue("--transcript", raw.transcript, options.transcript, error)) ||
      (given(kModule) && !FileValue("--module", raw.module, options.module, error))) {
    return false;
  }
  if (given(kFunction)) {
    std::int32_t number = 0;
    if (!ParseInt32(raw.function, number)) {
      error = "--function needs a decimal number that fits 32 bits, not \"" +
              ShownInMessage(raw.function) + "\"";
      return false;
    }
    options.function = number;
  }
  if (given(kUi)) {
    options.ui = raw.ui;
  }
  options.strict = options.strict || raw.strict;
  return true;
}

// CLI11 takes the arguments last first.
std::vector<std::string> Reversed(const std::vector<std::string>& args, std::size_t first) {
  return {args.rbegin(), args.rend() - static_cast<std::ptrdiff_t>(first)};
}

bool CheckEntry(const std::string& entry, std::string& error) {
  if (!IsEntryName(entry)) {
    error = "\"" + ShownInMessage(entry) + "\" is not an entry point of the module";
    return false;
  }
  return true;
}

}  // namespace

bool IsEntryName(std::string_view name) {
  for (const char* entry : kEntryNames) {
    if (name == entry) {
      return true;
    }
  }
  return false;
}

bool IsListEntry(std::string_view name) {
  for (std::string_view entry : kListEntries) {
    if (name == entry) {
      return true;
    }
  }
  return false;
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
  line = CommandLine{};
  if (args.empty()) {
    error = "no command given";
    return false;
  }
  if (args[0].empty() || (args[0][0] != '-' && args[0] != "call" && args[0] != "run" &&
                          args[0] != "entries" && args[0] != "help")) {
    error = "unknown command \"" + ShownInMessage(args[0]) + "\"";
    return false;
  }
  CLI::App app(kDescription, "tavro-shell");
  app.footer(kFooter);
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("tavro-shell ") + TAVRO_VERSION,
                       "print the version and exit");

  RawOptions callRaw;
  std::string entry;
  CLI::App* call = app.add_subcommand("call", "call an entry point of the module");
  call->add_option("ENTRY", entry, "one of the sixteen entry points (tavro-shell entries)")
      ->required();
  AddCallOptions(*call, callRaw);

  RawOptions runRaw;
  std::string runFile;
  CLI::App* run = app.add_subcommand(
      "run", "run an example: the call its first line names, the file as operator script");
  run->add_option("FILE", runFile, "the example script")->required();
  AddCallOptions(*run, runRaw);

  RawOptions entriesRaw;
  CLI::App* entries =
      app.add_subcommand("entries", "print the entry points the module exports, one a line");
  entriesRaw.given[kModule] = AddValue(*entries, "--module", entriesRaw.module, "PATH",
                                       "the module to load (default: libManageEdit.so beside "
                                       "tavro-shell)");

  CLI::App* help = app.add_subcommand("help", "print this help");

  try {
    app.parse(Reversed(args, 0));
  } catch (const CLI::CallForHelp&) {
    line.command = Command::Help;
    line.help = app.help();
    return true;
  } catch (const CLI::CallForAllHelp&) {
    line.command = Command::Help;
    line.help = app.help("", CLI::AppFormatMode::All);
    return true;
  } catch (const CLI::CallForVersion& e) {
    line.command = Command::Help;
    line.help = std::string(e.what()) + "\n";
    return true;
  } catch (const CLI::ParseError& e) {
    error = ShownInMessage(e.what());
    return false;
  }

  if (help->parsed()) {
    // The program's own page: App::help would describe the help command.
    line.command = Command::Help;
    line.help = app.get_formatter()->make_help(&app, "tavro-shell", CLI::AppFormatMode::Normal);
    return true;
  }
  if (entries->parsed()) {
    line.command = Command::Entries;
    return Convert(entriesRaw, line.options, error);
  }
  if (call->parsed()) {
    line.command = Command::Call;
    line.options.entry = entry;
    return CheckEntry(entry, error) && Convert(callRaw, line.options, error);
  }
  line.command = Command::Run;
  if (runFile.empty()) {
    error = "run needs an example script";
    return false;
  }
  line.runFile = runFile;
  return Convert(runRaw, line.options, error);
}

bool ReadCallLine(const std::string& file, CallOptions& options, std::string& error) {
  std::ifstream in(sys::PathOfUtf8(file), std::ios::binary);
  if (!in) {
    error = "cannot read " + ShownInMessage(file);
    return false;
  }
  std::string first;
  std::getline(in, first);
  if (first.rfind("\xEF\xBB\xBF", 0) == 0) {
    first.erase(0, 3);
  }
  if (!first.empty() && first.back() == '\r') {
    first.pop_back();
  }
  constexpr std::string_view kMark = "# call:";
  if (first.rfind(kMark, 0) != 0) {
    error = ShownInMessage(file) + ": the first line is not \"# call: ENTRY [options]\"";
    return false;
  }
  std::vector<std::string> tokens;
  std::string why;
  if (!ui::SplitTokens(std::string_view(first).substr(kMark.size()), tokens, why)) {
    error = ShownInMessage(file) + ": call line: " + why;
    return false;
  }
  if (tokens.empty() || !IsEntryName(tokens[0])) {
    error = ShownInMessage(file) + ": the call line does not name an entry point of the module";
    return false;
  }
  CLI::App app("call line");
  app.set_help_flag();
  RawOptions raw;
  AddCallOptions(app, raw);
  options = CallOptions{};
  options.entry = tokens[0];
  try {
    app.parse(Reversed(tokens, 1));
  } catch (const CLI::ParseError& e) {
    error = ShownInMessage(file) + ": call line: " + ShownInMessage(e.what());
    return false;
  }
  if (!Convert(raw, options, why)) {
    error = ShownInMessage(file) + ": call line: " + why;
    return false;
  }
  return true;
}

void MergeOptions(CallOptions& base, const CallOptions& over) {
  if (!over.entry.empty()) {
    base.entry = over.entry;
  }
  for (auto member :
       {&CallOptions::corp, &CallOptions::user, &CallOptions::key, &CallOptions::extra,
        &CallOptions::script, &CallOptions::transcript, &CallOptions::module, &CallOptions::ui}) {
    if (over.*member) {
      base.*member = over.*member;
    }
  }
  if (over.function) {
    base.function = over.function;
  }
  base.strict = base.strict || over.strict;
}

}  // namespace shell
