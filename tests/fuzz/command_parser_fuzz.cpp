// Fuzz target: a command as it reaches the host: the channel prefix, then one call, a
// batch of exec statements or a plain select (host/CommandParser), and each text
// argument turned into the database's UTF-8 (host/WireText). Checked: a refused command
// says why, no call carries more than the bound of arguments, and what was parsed,
// written again as the module writes commands (quoted texts, decimal numbers), parses
// to the same calls.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/CommandText.h"
#include "host/CommandParser.h"
#include "host/WireText.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::string CallText(const host::Call& call) {
  std::string out = call.name;
  for (std::size_t i = 0; i < call.args.size(); ++i) {
    out += i == 0 ? " " : ", ";
    const host::Value& arg = call.args[i];
    out += arg.isText ? frame::Quoted(arg.text) : std::to_string(arg.number);
  }
  return out;
}

std::string CommandText(const host::ParsedCommand& parsed) {
  switch (parsed.kind) {
    case host::CommandKind::Select:
      return parsed.select;
    case host::CommandKind::Call:
      return CallText(parsed.calls.front());
    case host::CommandKind::Batch:
      break;
  }
  std::string out = parsed.noCount ? "set nocount on\r\n" : "";
  for (const host::Call& call : parsed.calls) {
    out += "exec " + CallText(call) + "\r\n";
  }
  return out;
}

bool SameValue(const host::Value& a, const host::Value& b) {
  return a.isText == b.isText && (a.isText ? a.text == b.text : a.number == b.number);
}

bool SameCommand(const host::ParsedCommand& a, const host::ParsedCommand& b) {
  if (a.kind != b.kind || a.noCount != b.noCount || a.select != b.select ||
      a.calls.size() != b.calls.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.calls.size(); ++i) {
    const host::Call& x = a.calls[i];
    const host::Call& y = b.calls[i];
    if (x.name != y.name || x.args.size() != y.args.size()) {
      return false;
    }
    for (std::size_t k = 0; k < x.args.size(); ++k) {
      if (!SameValue(x.args[k], y.args[k])) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  host::Channel channel = host::Channel::Main;
  std::string_view command;
  std::string error;
  if (!host::SplitChannel(raw, channel, command, error)) {
    FUZZ_CHECK(!error.empty());
    // The same text is still a command without its prefix.
    command = raw;
  }

  host::ParsedCommand parsed;
  error.clear();
  if (!host::ParseCommand(command, parsed, error)) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  // A batch may hold no statement (blanks alone, or "set nocount on" and nothing after);
  // a select carries its text and no calls.
  FUZZ_CHECK(parsed.kind != host::CommandKind::Select || parsed.calls.empty());
  if (parsed.kind == host::CommandKind::Batch && parsed.calls.empty()) {
    const std::size_t first = command.find_first_not_of(" \t\r\n\x1e");
    FUZZ_CHECK(first == std::string_view::npos || parsed.noCount);
  }
  FUZZ_CHECK(parsed.kind != host::CommandKind::Call || parsed.calls.size() == 1);
  for (const host::Call& call : parsed.calls) {
    FUZZ_CHECK(!call.name.empty() && call.args.size() <= host::kMaxArguments);
    for (const host::Value& arg : call.args) {
      std::string utf8;
      if (arg.isText && host::ArgumentToUtf8(arg.text, utf8)) {
        FUZZ_CHECK(utf8.find('\x0e') == std::string::npos);
      }
    }
  }

  host::ParsedCommand again;
  const std::string rewritten = CommandText(parsed);
  FUZZ_CHECK(host::ParseCommand(rewritten, again, error));
  FUZZ_CHECK(SameCommand(parsed, again));
  return 0;
}
