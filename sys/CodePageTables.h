// The code pages GBK (936), Big5 (950), Shift-JIS (932) and Korean (949) as compiled-in
// tables, for the builds that convert without ICU (Windows). The tables are generated
// when the project is built, by a program that asks ICU's converters (the ones the Linux
// build converts with, sys/IcuConverter) what every byte sequence and every character
// becomes, so both builds convert identically; sys/tables/ holds that program.
//
// Decoding: a byte below 0x80 or a byte that stands alone is Single[byte]; a lead byte
// takes the next byte and gives Pairs[(lead - 0x80) * 256 + next], consuming both bytes
// unless bit (lead - 0x80) * 256 + next of LeadOnly is set (an illegal pair whose second
// byte starts a character of its own); a lead byte at the end gives Truncated.
// Encoding: a UTF-16 code unit c gives Blocks[Index[c >> 8] * 256 + (c & 0xFF)]: a
// single byte (0x01..0xFF), a byte pair (0x8100 and above), kDropped for a character
// ICU leaves out without a trace, or kUnmapped for a character the code page lacks;
// U+0000 is byte 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sys/CodePage.h"

namespace sys::tables {

inline constexpr char16_t kLeadByte = 0xFFFF;
inline constexpr std::uint16_t kUnmapped = 0;
inline constexpr std::uint16_t kDropped = 0xFFFF;

struct CodePageTable {
  const char16_t* Single;         // [256]; kLeadByte for a lead byte
  const char16_t* Pairs;          // [128 * 256]
  const std::uint8_t* LeadOnly;   // [128 * 256 / 8]
  char16_t Truncated;             // a lead byte with nothing after it
  const std::uint16_t* Index;     // [256]
  const std::uint16_t* Blocks;    // [blocks * 256]
  std::string_view Substitute;    // the bytes of an unmapped character
  const char32_t* DroppedAstral;  // [DroppedAstralCount * 2]: first, last of each range
  std::size_t DroppedAstralCount;
  std::size_t Bytes;  // the tables' size, for the build's report
};

// Generated: sys/tables, at build time.
extern const CodePageTable kGbkTable;
extern const CodePageTable kBig5Table;
// The code pages of Japanese and Korean systems, so that every CodePage converts as on
// Linux rather than throwing.
extern const CodePageTable kShiftJisTable;
extern const CodePageTable kKoreanTable;

// Strict conversions, as ICU's converters with the stop callback: a byte sequence that
// is no character (decoding) or a character the code page lacks (encoding) ends the
// conversion with false; a character ICU's converters leave out without a trace (a
// default-ignorable one) is left out here too. Decoding appends UTF-16 to out; unless flush is set,
// a character cut off by the end of bytes passes. Encoding appends to out only when the whole text
// converts, and names the first character it could not in missing (a lone surrogate included). cp
// is any CodePage.
bool DecodeStrict(std::string_view bytes, CodePage cp, bool flush, std::u16string& out);
bool EncodeStrict(std::u16string_view text, CodePage cp, std::string& out, char32_t& missing);

}  // namespace sys::tables
