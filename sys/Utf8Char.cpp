// UTF-8 stepping with the well-formedness table of the Unicode standard (its table 3-7):
// the second byte's range depends on the lead byte, which excludes overlong forms,
// surrogates and values past U+10FFFF.
#include "sys/Utf8Char.h"

namespace sys {

std::optional<char32_t> NextUtf8Char(std::string_view text, std::size_t& pos) {
  const auto b0 = static_cast<unsigned char>(text[pos++]);
  if (b0 < 0x80) {
    return b0;
  }
  int more = 0;
  char32_t c = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    more = 1;
    c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    more = 2;
    c = b0 & 0x0F;
    low = b0 == 0xE0 ? 0xA0 : 0x80;
    high = b0 == 0xED ? 0x9F : 0xBF;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    more = 3;
    c = b0 & 0x07;
    low = b0 == 0xF0 ? 0x90 : 0x80;
    high = b0 == 0xF4 ? 0x8F : 0xBF;
  } else {
    return std::nullopt;
  }
  for (int i = 0; i < more; ++i) {
    if (pos == text.size()) {
      return std::nullopt;
    }
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b < low || b > high) {
      return std::nullopt;
    }
    ++pos;
    c = (c << 6) | (b & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return c;
}

}  // namespace sys
