// The text forms of operator scripts and transcripts: splitting a script line into
// tokens, and quoting a text for the transcript with the same escapes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct ScriptToken {
  std::string Text;  // GBK: the UTF-8 of the script converted, \xHH bytes kept raw
  bool Quoted = false;
};

struct ScriptLine {
  int Number = 0;      // 1-based line of the script
  std::string Source;  // the line as written (UTF-8)
  std::vector<ScriptToken> Tokens;
  std::string Error;  // why the line does not tokenize; empty when it does
};

// Splits one line into tokens separated by blanks; a token in double quotes may hold
// blanks and the escapes \\ \" \n \r \t \xHH. Returns the error text for an
// unterminated quote or a bad escape.
std::optional<std::string> TokenizeLine(std::string_view line, std::vector<ScriptToken>& tokens);

// The script's action lines: blank lines and lines starting with "#" are skipped. A
// line that does not tokenize is kept with its error, reported when it is reached.
std::vector<ScriptLine> ParseScript(std::string_view utf8);

// A GBK text as the transcript shows it: UTF-8 in double quotes, with \\ \" \n \r \t
// and \xHH for the other control bytes.
std::string QuoteText(std::string_view gbk);
// The same for a text that is UTF-8 already.
std::string QuoteUtf8(std::string_view utf8);

}  // namespace ui
