// Reads a command text as the module sends it: one call "NAME args", a batch of
// "exec NAME args" statements, or one plain select. Works on the wire's GBK bytes:
// the bytes it looks for (quote, comma, blanks, CR, LF, 0x1E) never occur as the
// second byte of a GBK character, so a byte-wise scan cannot cut a character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/Procedure.h"

namespace host {

// One procedure call; text arguments still hold the wire's GBK bytes, with the
// quoting undone.
struct Call {
  std::string name;
  Args args;
};

enum class CommandKind { Call, Batch, Select };

struct ParsedCommand {
  CommandKind kind = CommandKind::Call;
  std::vector<Call> calls;  // one for a call, none or more for a batch
  bool noCount = false;     // the batch began with "set nocount on"
  std::string select;       // the select's text, trimmed
};

// Parses text; on failure returns false with an error text that names the problem.
bool ParseCommand(std::string_view text, ParsedCommand& out, std::string& error);

// The most arguments one call may carry.
inline constexpr std::size_t kMaxArguments = 64;

}  // namespace host
