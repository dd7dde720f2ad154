// Fuzz target: a command as the host parses it (host/CommandParser, WireText). Checked: a
// refusal says why, the argument bound holds, and the parse written again parses the same.
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

// The parsed command's kind and calls, written so that different ones differ.
std::string Shape(const host::ParsedCommand& parsed) {
  std::string out = std::to_string(static_cast<int>(parsed.kind)) + (parsed.noCount ? "n" : "c") +
                    std::to_string(parsed.select.size()) + ":" + parsed.select;
  for (const host::Call& call : parsed.calls) {
    out += "|" + std::to_string(call.name.size()) + ":" + call.name;
    for (const host::Value& arg : call.args) {
      out += arg.isText ? "t" + std::to_string(arg.text.size()) + ":" + arg.text
                        : "n" + std::to_string(arg.number);
    }
  }
  return out;
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
  FUZZ_CHECK(Shape(parsed) == Shape(again));
  return 0;
}
