// The text forms of operator scripts and transcripts, which tavro-shell prints and
// reads too: tokens separated by blanks, a token in double quotes holding blanks and
// the escapes \\ \" \n \r \t \xHH, and a text shown as UTF-8 in double quotes with
// the same escapes. One home, so what the shell prints never drifts from the
// transcript.
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
// blanks and the escapes of Unescape. The tokens come out in GBK (see UnescapeToGbk).
// Returns the error text for an unterminated quote, a bad escape, or text that is not
// UTF-8 or that GBK cannot write.
std::optional<std::string> TokenizeLine(std::string_view line, std::vector<ScriptToken>& tokens);

// The same split with the tokens left in UTF-8 and only the escapes removed. False
// (with a reason in error) where TokenizeLine would fail on the form.
bool SplitTokens(std::string_view line, std::vector<std::string>& tokens, std::string& error);

// The script's action lines: blank lines and lines starting with "#" are skipped. A
// line that does not tokenize is kept with its error, reported when it is reached.
std::vector<ScriptLine> ParseScript(std::string_view utf8);

// Removes the escapes `\\ \" \n \r \t \xHH`. False (with a reason in error) for a lone
// or unknown escape.
bool Unescape(std::string_view text, std::string& out, std::string& error);

// Unescape for text headed for GBK: the literal UTF-8 parts are converted and each
// `\xHH` stays the raw byte it names. False for a bad escape, broken UTF-8 or a
// character that GBK cannot write.
bool UnescapeToGbk(std::string_view utf8, std::string& out, std::string& error);

// UTF-8 text as GBK, or nothing when the text is not valid UTF-8 or holds a character
// that GBK cannot write.
std::optional<std::string> Utf8ToGbkStrict(std::string_view utf8);

// GBK bytes as one printable UTF-8 line: `\\ \" \n \r \t` for those bytes, `\xHH` for
// every other control byte and for every byte that is not part of a valid GBK
// character (a lone lead byte, 0x80, 0xFF), so no byte is lost or hidden.
std::string GbkToShown(std::string_view gbk);

// UTF-8 text shown the same way: valid characters as they are, control bytes and the
// bytes of broken sequences escaped.
std::string Utf8ToShown(std::string_view utf8);

// A GBK text as the transcript shows it: GbkToShown in double quotes.
std::string QuoteText(std::string_view gbk);
// The same for a text that is UTF-8 already.
std::string QuoteUtf8(std::string_view utf8);

}  // namespace ui
