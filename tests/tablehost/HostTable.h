// The answer table of the table host: which command gets which status and answer.
//
// File format (UTF-8; blank lines and lines starting with "#" are skipped):
//
//   COMMAND <TAB> STATUS <TAB> ANSWER
//
// COMMAND is matched against the command text after its four-byte channel prefix
// (three characters and 0x07), exactly, or as a prefix when it ends with an unescaped
// "*". STATUS is a decimal number: 0 answers ANSWER, anything else fails with ANSWER as
// the error text. Every field may use the escapes \\ \" \n \r \t \xHH (\t for a tab
// inside a field, \x2A for a literal "*" at the end of a command); literal text is
// converted to GBK, an \xHH escape is the raw byte. The first matching line wins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tablehost {

struct TableEntry {
  std::string command;  // GBK
  bool prefix = false;
  std::int32_t status = 0;
  std::string answer;  // GBK: the answer, or the error text when status is not 0
};

// Parses the table text; false with "line N: what" on the first bad line.
bool ParseTable(std::string_view text, std::vector<TableEntry>& entries, std::string& error);

// The command without its channel prefix, when it has one.
std::string_view StripChannel(std::string_view command);

// The first entry that matches the command (prefix already stripped), or null.
const TableEntry* FindAnswer(const std::vector<TableEntry>& entries, std::string_view command);

}  // namespace tablehost
