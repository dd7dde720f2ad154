#include "payee/swift/SwiftText.h"

#include "sys/GbkChar.h"
#include "sys/Locale.h"

namespace payee {

bool InSwiftSet(std::string_view set, char c) {
  return set.find(c) != std::string_view::npos;
}

// Length of the character at pos: 2 for a lead byte of codePage followed by a trail
// byte, else 1. Trail bytes of every double-byte code page lie in 0x40-0xFE (without
// 0x7F), so a lead byte before a blank, a line break or a digit stays a single byte.
static std::size_t CharLength(std::string_view line, std::size_t pos, int codePage) {
  auto lead = static_cast<unsigned char>(line[pos]);
  if (pos + 1 >= line.size() || !sys::IsDbcsLeadByte(codePage, lead)) {
    return 1;
  }
  auto trail = static_cast<unsigned char>(line[pos + 1]);
  return sys::IsGbkTrailByte(trail) ? 2 : 1;
}

bool IsSwiftLine(std::string_view line, int charPerLine, int codePage) {
  if (charPerLine > 0 && line.size() > static_cast<std::size_t>(charPerLine)) {
    return false;
  }
  std::size_t first = 0;
  while (first < line.size() && static_cast<unsigned char>(line[first]) <= 32) {
    ++first;
  }
  if (first == line.size()) {
    return true;  // blanks only
  }
  // Trailing bytes 0-32 never belong to a double-byte character, so the trim only
  // matters for where the head test looks.
  if (CharLength(line, first, codePage) == 1 && !InSwiftSet(kSwiftHeadSet, line[first])) {
    return false;
  }
  for (std::size_t pos = 0; pos < line.size();) {
    std::size_t length = CharLength(line, pos, codePage);
    if (length == 1 && !InSwiftSet(kSwiftBodySet, line[pos])) {
      return false;
    }
    pos += length;
  }
  return true;
}

int SwiftCodePage() {
  return sys::SystemLocale().codePage;
}

}  // namespace payee
