#include "host/CommandParser.h"

#include <cstdint>
#include <limits>

namespace host {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
  return c == '\r' || c == '\n' || c == '\x1e';
}
bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A cursor over the command text; never reads past its end.
struct Scanner {
  std::string_view text;
  std::size_t pos = 0;

  bool AtEnd() const { return pos >= text.size(); }
  char Peek() const { return AtEnd() ? '\0' : text[pos]; }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text[pos])) {
      ++pos;
    }
  }
  void SkipSpace() {
    while (!AtEnd() && (IsBlank(text[pos]) || IsLineEnd(text[pos]))) {
      ++pos;
    }
  }
  // True (and past it) when a keyword follows, in any letter case, ended by a blank,
  // a line end or the end of the text.
  bool TakeKeyword(std::string_view word) {
    if (text.size() - pos < word.size()) {
      return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (Lower(text[pos + i]) != word[i]) {
        return false;
      }
    }
    std::size_t after = pos + word.size();
    if (after < text.size() && !IsBlank(text[after]) && !IsLineEnd(text[after])) {
      return false;
    }
    pos = after;
    return true;
  }
};

std::string ArgError(const std::string& name, std::size_t index, const char* problem) {
  return name + ": argument " + std::to_string(index) + ": " + problem;
}

// A quoted text: the quote is at the cursor; a doubled quote stands for one.
bool ParseText(Scanner& s, Value& value, std::string& error, const std::string& name,
               std::size_t index) {
  ++s.pos;
  value.isText = true;
  while (!s.AtEnd()) {
    char c = s.text[s.pos++];
    if (c == '\'') {
      if (s.Peek() != '\'') {
        return true;
      }
      ++s.pos;
    }
    value.text.push_back(c);
  }
  error = ArgError(name, index, "quoted text is not closed");
  return false;
}

// A decimal integer, optionally negative, that fits 64 bits.
bool ParseNumber(Scanner& s, Value& value, std::string& error, const std::string& name,
                 std::size_t index) {
  bool negative = false;
  if (s.Peek() == '-' || s.Peek() == '+') {
    negative = s.Peek() == '-';
    ++s.pos;
  }
  if (!IsDigit(s.Peek())) {
    error = ArgError(name, index, "a quoted text or a number expected");
    return false;
  }
  // Accumulated as a negative number, whose range is one larger.
  std::int64_t n = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  while (IsDigit(s.Peek())) {
    int digit = s.Peek() - '0';
    if (n < (kMin + digit) / 10) {
      error = ArgError(name, index, "number out of range");
      return false;
    }
    n = n * 10 - digit;
    ++s.pos;
  }
  if (!negative) {
    if (n == kMin) {
      error = ArgError(name, index, "number out of range");
      return false;
    }
    n = -n;
  }
  value.isText = false;
  value.number = n;
  return true;
}

// NAME, then optionally blanks and a comma-separated list of arguments; stops
// before trailing blanks and the line end.
bool ParseCall(Scanner& s, Call& call, std::string& error) {
  std::size_t start = s.pos;
  while (!s.AtEnd() && IsNameChar(s.Peek())) {
    ++s.pos;
  }
  call.name.assign(s.text.substr(start, s.pos - start));
  if (call.name.empty()) {
    error = "command name expected";
    return false;
  }
  if (s.AtEnd() || IsLineEnd(s.Peek())) {
    return true;
  }
  if (!IsBlank(s.Peek())) {
    error = call.name + ": a blank must follow the command name";
    return false;
  }
  s.SkipBlanks();
  if (s.AtEnd() || IsLineEnd(s.Peek())) {
    return true;
  }
  // Room for the arguments of most calls at once rather than growing one by one.
  call.args.reserve(16);
  while (true) {
    std::size_t index = call.args.size() + 1;
    if (index > kMaxArguments) {
      error = call.name + ": too many arguments";
      return false;
    }
    Value value;
    bool ok = s.Peek() == '\'' ? ParseText(s, value, error, call.name, index)
                               : ParseNumber(s, value, error, call.name, index);
    if (!ok) {
      return false;
    }
    call.args.push_back(std::move(value));
    s.SkipBlanks();
    if (s.Peek() == ',') {
      ++s.pos;
      s.SkipBlanks();
      continue;
    }
    if (s.AtEnd() || IsLineEnd(s.Peek())) {
      return true;
    }
    error = ArgError(call.name, index, "a comma or the end of the command expected");
    return false;
  }
}

bool ParseBatch(Scanner& s, ParsedCommand& out, std::string& error) {
  out.kind = CommandKind::Batch;
  while (true) {
    s.SkipSpace();
    if (s.AtEnd()) {
      break;
    }
    if (!s.TakeKeyword("exec")) {
      error = "statement " + std::to_string(out.calls.size() + 1) + " of the batch is no exec";
      return false;
    }
    s.SkipBlanks();
    Call call;
    if (!ParseCall(s, call, error)) {
      return false;
    }
    out.calls.push_back(std::move(call));
    s.SkipBlanks();
    if (!s.AtEnd() && !IsLineEnd(s.Peek())) {
      error = "statement " + std::to_string(out.calls.size()) + ": line end expected";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseCommand(std::string_view text, ParsedCommand& out, std::string& error) {
  out = ParsedCommand();
  Scanner s{text};
  s.SkipSpace();
  // Nothing but blanks and line ends is a batch of no statements: a save whose list of
  // changes came out empty still sends its batch, and running nothing is its answer.
  if (s.AtEnd()) {
    out.kind = CommandKind::Batch;
    return true;
  }
  std::size_t start = s.pos;
  if (s.TakeKeyword("select")) {
    std::size_t end = text.size();
    while (end > start && (IsBlank(text[end - 1]) || IsLineEnd(text[end - 1]))) {
      --end;
    }
    out.kind = CommandKind::Select;
    out.select.assign(text.substr(start, end - start));
    return true;
  }
  if (s.TakeKeyword("set")) {
    s.SkipBlanks();
    if (!s.TakeKeyword("nocount")) {
      error = "only \"set nocount on\" may begin a batch";
      return false;
    }
    s.SkipBlanks();
    if (!s.TakeKeyword("on")) {
      error = "only \"set nocount on\" may begin a batch";
      return false;
    }
    out.noCount = true;
    return ParseBatch(s, out, error);
  }
  if (Scanner probe = s; probe.TakeKeyword("exec")) {
    return ParseBatch(s, out, error);
  }

  Call call;
  if (!ParseCall(s, call, error)) {
    return false;
  }
  s.SkipSpace();
  if (!s.AtEnd()) {
    error = call.name + ": unexpected text after the arguments";
    return false;
  }
  out.kind = CommandKind::Call;
  out.calls.push_back(std::move(call));
  return true;
}

}  // namespace host
