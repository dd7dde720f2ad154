// The answer table of the table host, one line per command (UTF-8; blank lines and lines
// starting with "#" skipped): COMMAND <TAB> STATUS [<TAB> ANSWER]. COMMAND matches the
// command after its channel prefix exactly, or as a prefix when it ends in an unescaped
// "*". STATUS 0 answers ANSWER; any other fails with ANSWER as the error text. Fields may
// use the escapes \\ \" \n \r \t \xHH (\x2A: a literal "*" at the end); literal text
// becomes GBK, an \xHH escape the raw byte. The first matching line wins.
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

// The command without its channel prefix (three letters or digits and 0x07), if any.
std::string_view StripChannel(std::string_view command);

// The first entry that matches the command (prefix already stripped), or null.
const TableEntry* FindAnswer(const std::vector<TableEntry>& entries, std::string_view command);

}  // namespace tablehost
