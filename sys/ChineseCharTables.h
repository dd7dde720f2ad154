// The Simplified/Traditional character mapping of sys/ChineseCharMap.h as compiled-in
// tables, for the builds without ICU and OpenCC (Windows). They are generated when the
// project is built, by a program that works the mapping out with the Linux build's own
// code (sys/ChineseCharMap: OpenCC's character tables, ICU's code pages) and writes what
// every byte pair and every lone high byte becomes, so both builds map identically;
// sys/tables/ holds that program.
//
// An entry is what the source character becomes: 0 for nothing, a value below 0x100 for
// one byte, else two bytes (high byte first). The pairs are indexed as
// ChineseCharTable's: (lead - 0x80) * 256 + trail; the single bytes by byte - 0x80.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sys::tables {

struct ChineseMapTable {
  const std::uint16_t* Pairs;   // [128 * 256]
  const std::uint16_t* Single;  // [128]
  std::size_t Bytes;            // the tables' size, for the build's report
};

// Generated: sys/tables, at build time.
extern const ChineseMapTable kGbkToBig5Traditional;
extern const ChineseMapTable kBig5ToGbkSimplified;

}  // namespace sys::tables
