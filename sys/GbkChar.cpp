// Stepping through GBK text by whole characters.
#include "sys/GbkChar.h"

namespace sys {

std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) {
    return 0;
  }
  if (pos + 1 < text.size() && IsGbkLeadByte(static_cast<unsigned char>(text[pos])) &&
      IsGbkTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
    return 2;
  }
  return 1;
}

std::size_t GbkCharStart(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) {
    return text.size();
  }
  std::size_t start = 0;
  while (true) {
    const std::size_t next = start + GbkCharLength(text, start);
    if (next > pos) {
      return start;
    }
    start = next;
  }
}

std::string_view TrimView(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) {
    ++begin;
  }
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) {
    --end;
  }
  return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text) {
  return std::string(TrimView(text));
}

}  // namespace sys
