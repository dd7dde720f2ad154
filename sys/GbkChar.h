// The one rule for where a character of GBK text begins and ends, used by every layer
// that steps through such text (the frame's text helpers, the edit buffer, typed input,
// the script reader).
//
// A double-byte character is a lead byte (0x81-0xFE) followed by a trail byte (0x40-0xFE
// except 0x7F); the same ranges hold for Big5. A lead byte followed by anything else (or
// by nothing) is one broken single-byte character, so the byte after it always stands
// for itself: control bytes (0x00-0x3F: row ends, the 0x07 field separator, blanks,
// ',', ':', quotes) are never swallowed into a character before them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sys {

constexpr bool IsGbkLeadByte(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}

constexpr bool IsGbkTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// 2 when a double-byte character starts at pos, else 1 (0 at or past the end).
std::size_t GbkCharLength(std::string_view text, std::size_t pos);

// The start of the character that holds the byte at pos (text.size() at or past the
// end). Walks from the start, since a byte's role depends on what precedes it.
std::size_t GbkCharStart(std::string_view text, std::size_t pos);

// text without the blanks and control bytes (0x00-0x20) at both ends: the one trim of
// every layer. Trail bytes are never below 0x40, so it cannot split a character.
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);

}  // namespace sys
