// The GBK character rule: which bytes lead and trail, and how text is stepped through
// when a lead byte has no valid trail byte after it.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "sys/GbkChar.h"

namespace {

TEST(GbkChar, LeadAndTrailRangesAtTheirEdges) {
  const struct {
    unsigned char byte;
    bool lead;
    bool trail;
  } cases[] = {
      {0x00, false, false}, {0x07, false, false}, {0x3F, false, false}, {0x40, false, true},
      {0x7E, false, true},  {0x7F, false, false}, {0x80, false, true},  {0x81, true, true},
      {0xA1, true, true},   {0xFE, true, true},   {0xFF, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::IsGbkLeadByte(c.byte), c.lead) << std::hex << int{c.byte};
    EXPECT_EQ(sys::IsGbkTrailByte(c.byte), c.trail) << std::hex << int{c.byte};
  }
}

TEST(GbkChar, CharactersAreWholePairsAndBrokenLeadBytesStandAlone) {
  const struct {
    const char* what;
    std::string text;
    std::size_t pos;
    std::size_t length;  // GbkCharLength(text, pos)
    std::size_t start;   // GbkCharStart(text, pos)
  } cases[] = {
      {"ascii", "ab", 1, 1, 1},
      {"pair, lead", "\xB0\xA1", 0, 2, 0},
      {"pair, trail", "\xB0\xA1", 1, 1, 0},
      {"pair with a low trail", "\x81\x40", 0, 2, 0},
      {"lead before the field separator", "\xB0\x07x", 0, 1, 0},
      {"field separator after a broken lead", "\xB0\x07x", 1, 1, 1},
      {"lead before 0x7F", "\xB0\x7F", 0, 1, 0},
      {"lead before 0xFF", "\xB0\xFF", 1, 1, 1},
      {"lead at the end", "a\xB0", 1, 1, 1},
      {"lead taken as the trail of a lead", "\x81\x81\x40", 2, 1, 2},
      {"pair after a broken lead", "\xB0\x20\xB0\xA1", 3, 1, 2},
      {"past the end", "ab", 2, 0, 2},
      {"empty", "", 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::GbkCharLength(c.text, c.pos), c.length) << c.what;
    EXPECT_EQ(sys::GbkCharStart(c.text, c.pos), c.start) << c.what;
  }
}

}  // namespace
