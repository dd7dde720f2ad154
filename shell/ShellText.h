// Text at the shell's edges: arguments and table files arrive in UTF-8, the module
// speaks GBK, and everything printed is UTF-8 with control bytes escaped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

// GBK bytes as one printable UTF-8 line: `\\ \" \n \r \t` for those bytes, `\xHH`
// for every other control byte and for every byte that is not part of a valid GBK
// character (a lone lead byte, 0x80, 0xFF), so no byte is lost or hidden.
std::string GbkToShown(std::string_view gbk);

// The same in double quotes.
std::string QuotedGbk(std::string_view gbk);

// UTF-8 text (an argument, a file name) shown the same way: valid characters as they
// are, control bytes and bytes of broken sequences escaped.
std::string Utf8ToShown(std::string_view utf8);

// UTF-8 text as GBK, or nothing when the text is not valid UTF-8 or holds a
// character that GBK cannot write.
std::optional<std::string> Utf8ToGbkStrict(std::string_view utf8);

// Removes the escapes `\\ \" \n \r \t \xHH`. Returns false (with a reason in error)
// for a lone or unknown escape.
bool Unescape(std::string_view text, std::string& out, std::string& error);

// Unescape for text headed for the module: the literal UTF-8 parts are converted to
// GBK and each `\xHH` stays the raw byte it names. False for a bad escape, broken
// UTF-8 or a character that GBK cannot write.
bool UnescapeToGbk(std::string_view utf8, std::string& out, std::string& error);

// Splits a line into blank-separated tokens; a token in double quotes may hold
// blanks and the escapes of Unescape. Returns false (with a reason) for an
// unterminated quote or a bad escape.
bool SplitTokens(std::string_view line, std::vector<std::string>& tokens, std::string& error);

// Lines of a result text: rows end with CR, LF, CR LF or LF CR; a final row end
// adds no empty row.
std::vector<std::string_view> SplitRows(std::string_view text);

// Fields of a row at the byte 0x07, untrimmed; a row ending in 0x07 has a last empty
// field and an empty row has none.
std::vector<std::string_view> SplitFields(std::string_view row);

}  // namespace shell
