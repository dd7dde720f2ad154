// Byte-level helpers for the module's GBK text: character stepping, cutting to a byte
// count without splitting a double-byte character, the blank trim, fixed-field copies
// and searches that never match inside a double-byte character.
//
// Where a character begins and ends is the one rule of sys/GbkChar.h: a lead byte
// without a valid trail byte is a broken single byte, so control bytes (0x00-0x3F: row
// ends, 0x07, 0x0E, blanks, ',', ':', quotes) always stand for themselves.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "sys/GbkChar.h"

namespace frame {

using sys::GbkCharLength;
using sys::IsGbkLeadByte;
using sys::IsGbkTrailByte;

// The largest byte count <= maxBytes at which text can be cut without splitting a
// double-byte character.
std::size_t GbkCutLength(std::string_view text, std::size_t maxBytes);

// text cut to at most maxBytes bytes on a character boundary.
std::string_view GbkCut(std::string_view text, std::size_t maxBytes);

// The one trim (sys/GbkChar.h), under the frame's names.
using sys::Trim;
using sys::TrimView;

// Copies text into a zero-terminated field of fieldSize bytes: cut to fieldSize - 1
// bytes on a character boundary, the rest of the field zero-filled.
void CopyToField(char* field, std::size_t fieldSize, std::string_view text);
template <std::size_t N>
void CopyToField(char (&field)[N], std::string_view text) {
  CopyToField(field, N, text);
}

// The text of a fixed field: up to its first zero byte or its size, whichever is first.
std::string_view FieldText(const char* field, std::size_t fieldSize);
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}

// Offset of the first occurrence of mark that starts on a character boundary at or
// after from, or npos.
std::size_t GbkFind(std::string_view text, std::string_view mark, std::size_t from = 0);
inline bool GbkContains(std::string_view text, std::string_view mark) {
  return GbkFind(text, mark) != std::string_view::npos;
}

// Replaces every single-byte character from by to.
std::string GbkReplaceChar(std::string_view text, char from, char to);

// a-z turned into A-Z in single-byte characters only (trail bytes stay as they are).
std::string GbkUpperAscii(std::string_view text);

}  // namespace frame
