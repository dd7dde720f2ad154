// The line functions of sys/Files.h that touch no file: the same on every platform.
#include <string>
#include <string_view>
#include <vector>

#include "sys/Files.h"
#include "sys/LineCutter.h"

namespace sys {

bool NextLine(std::string_view text, std::size_t& pos, std::string_view& line) {
  if (pos >= text.size()) {
    return false;
  }
  // A plain scan: find_first_of would search the two-byte set once per text byte.
  std::size_t end = pos;
  while (end < text.size() && text[end] != '\r' && text[end] != '\n') {
    ++end;
  }
  line = text.substr(pos, end - pos);
  pos = end;
  if (pos < text.size()) {
    // CR LF and LF CR are one line end; CR CR or LF LF are two.
    const char first = text[pos++];
    if (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n') && text[pos] != first) {
      ++pos;
    }
  }
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  LineCutter cutter(text);
  std::size_t pos = 0;
  std::string_view line;
  while (cutter.Next(pos, line, true)) {
    lines.emplace_back(line);
  }
  return lines;
}

}  // namespace sys
