#include "shell/ShellOptions.h"

#include <charconv>
#include <fstream>

#include "shell/ShellText.h"
#include "ui/headless/ScriptText.h"

namespace shell {
namespace {

constexpr std::string_view kListEntries[] = {"Mn_GetCheckList", "Mn_GetAuthoriseList",
                                             "Mn_GetSendList", "Mn_GetDeletedList",
                                             "Mn_GetRejectedList"};

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

bool ParseOptions(const std::vector<std::string>& args, std::size_t first, CallOptions& options,
                  std::string& error) {
  for (std::size_t i = first; i < args.size(); i += 2) {
    const std::string& name = args[i];
    if (name.rfind("--", 0) != 0) {
      error = "unexpected argument \"" + ShownInMessage(name) + "\"";
      return false;
    }
    if (i + 1 >= args.size()) {
      error = "option " + ShownInMessage(name) + " needs a value";
      return false;
    }
    const std::string& value = args[i + 1];
    if (name == "--corp") {
      if (!TextValue(name, value, options.corp, error)) {
        return false;
      }
    } else if (name == "--user") {
      if (!TextValue(name, value, options.user, error)) {
        return false;
      }
    } else if (name == "--key") {
      if (!TextValue(name, value, options.key, error)) {
        return false;
      }
    } else if (name == "--extra") {
      if (!TextValue(name, value, options.extra, error)) {
        return false;
      }
    } else if (name == "--function") {
      std::int32_t number = 0;
      if (!ParseInt32(value, number)) {
        error = "--function needs a decimal number that fits 32 bits, not \"" +
                ShownInMessage(value) + "\"";
        return false;
      }
      options.function = number;
    } else if (name == "--script") {
      options.script = value;
    } else if (name == "--transcript") {
      options.transcript = value;
    } else if (name == "--module") {
      options.module = value;
    } else {
      error = "unknown option " + ShownInMessage(name);
      return false;
    }
    if ((name == "--script" || name == "--transcript" || name == "--module") && value.empty()) {
      error = "option " + name + " needs a file name";
      return false;
    }
  }
  return true;
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
  line = CommandLine{};
  if (args.empty()) {
    error = "no command given";
    return false;
  }
  const std::string& command = args[0];
  if (command == "help" || command == "--help" || command == "-h") {
    line.command = Command::Help;
    return true;
  }
  if (command == "entries") {
    line.command = Command::Entries;
    if (!ParseOptions(args, 1, line.options, error)) {
      return false;
    }
    if (line.options.corp || line.options.user || line.options.function || line.options.key ||
        line.options.extra || line.options.script || line.options.transcript) {
      error = "entries takes only --module";
      return false;
    }
    return true;
  }
  if (command == "call") {
    line.command = Command::Call;
    if (args.size() < 2) {
      error = "call needs an entry point name";
      return false;
    }
    if (!IsEntryName(args[1])) {
      error = "\"" + ShownInMessage(args[1]) + "\" is not an entry point of the module";
      return false;
    }
    line.options.entry = args[1];
    return ParseOptions(args, 2, line.options, error);
  }
  if (command == "run") {
    line.command = Command::Run;
    if (args.size() < 2 || args[1].empty()) {
      error = "run needs an example script";
      return false;
    }
    line.runFile = args[1];
    return ParseOptions(args, 2, line.options, error);
  }
  error = "unknown command \"" + ShownInMessage(command) + "\"";
  return false;
}

bool ReadCallLine(const std::string& file, CallOptions& options, std::string& error) {
  std::ifstream in(file, std::ios::binary);
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
  options = CallOptions{};
  options.entry = tokens[0];
  if (!ParseOptions(tokens, 1, options, why)) {
    error = ShownInMessage(file) + ": call line: " + why;
    return false;
  }
  return true;
}

void MergeOptions(CallOptions& base, const CallOptions& over) {
  if (!over.entry.empty()) {
    base.entry = over.entry;
  }
  if (over.corp) {
    base.corp = over.corp;
  }
  if (over.user) {
    base.user = over.user;
  }
  if (over.function) {
    base.function = over.function;
  }
  if (over.key) {
    base.key = over.key;
  }
  if (over.extra) {
    base.extra = over.extra;
  }
  if (over.script) {
    base.script = over.script;
  }
  if (over.transcript) {
    base.transcript = over.transcript;
  }
  if (over.module) {
    base.module = over.module;
  }
}

}  // namespace shell
