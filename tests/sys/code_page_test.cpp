// Code-page conversions alike on Linux (ICU) and Windows (compiled-in tables), broken
// input included.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "sys/CodePage.h"

namespace {

using sys::CodePage;

struct ConversionCase {
  const char* what;
  CodePage from;
  CodePage to;
  std::string_view in;
  std::string_view out;
};

using namespace std::string_view_literals;

const ConversionCase kCases[] = {
    {"ASCII", CodePage::Gbk, CodePage::Utf8, "Tavro 1.0\r\n", "Tavro 1.0\r\n"},
    {"NUL inside", CodePage::Gbk, CodePage::Utf8, "a\0b"sv, "a\0b"sv},
    {"Chinese", CodePage::Gbk, CodePage::Utf8, "\xd6\xd0\xce\xc4", "中文"},
    {"euro sign", CodePage::Gbk, CodePage::Utf8, "\x80", "€"},
    {"0xFF, the last private-use byte", CodePage::Gbk, CodePage::Utf8, "a\xffz", "a\xef\xa3\xb5z"},
    {"broken lead keeps the next character", CodePage::Gbk, CodePage::Utf8, "\xb0!",
     "\xef\xbf\xbd!"},
    {"lead byte at the end", CodePage::Gbk, CodePage::Utf8, "a\xd6", "a\xef\xbf\xbd"},
    {"user-defined area", CodePage::Gbk, CodePage::Utf8, "\xa2\xa0z", "\xee\x96\x85z"},
    {"to GBK", CodePage::Utf8, CodePage::Gbk, "客户 A", "\xbf\xcd\xbb\xa7 A"},
    {"no GBK form", CodePage::Utf8, CodePage::Gbk, "a😀b", "a?b"},
    {"zero-width space dropped", CodePage::Utf8, CodePage::Gbk, "a\u200bb", "ab"},
    {"broken UTF-8", CodePage::Utf8, CodePage::Gbk, "a\xe4\xb8x\xc0\xafy", "a?x??y"},
    {"UTF-8 surrogate", CodePage::Utf8, CodePage::Gbk, "\xed\xa0\x80", "???"},
    {"GBK to Big5", CodePage::Gbk, CodePage::Big5, "\xd6\xd0\xce\xc4", "\xa4\xa4\xa4\xe5"},
    {"Simplified form Big5 lacks", CodePage::Gbk, CodePage::Big5, "\xb9\xfa", "?"},
    {"Big5 to UTF-8", CodePage::Big5, CodePage::Utf8, "\xa4\xa4\xb5\xd8", "中華"},
    {"Big5 broken lead", CodePage::Big5, CodePage::Utf8, "\xa4!", "\xef\xbf\xbd!"},
    {"Big5 to GBK", CodePage::Big5, CodePage::Gbk, "\xa4\xa4", "\xd6\xd0"},
    {"same code page", CodePage::Gbk, CodePage::Gbk, "\xb0", "\xb0"},
    // The Japanese and Korean systems' code pages convert alike too.
    {"Shift-JIS to UTF-8", CodePage::ShiftJis, CodePage::Utf8, "\x93\xfa\x96\x7b", "日本"},
    {"half-width katakana, one byte", CodePage::ShiftJis, CodePage::Utf8, "\xb1", "ｱ"},
    {"no Shift-JIS form", CodePage::Utf8, CodePage::ShiftJis, "a😀z", "a\xfc\xfcz"},
    {"Korean to UTF-8", CodePage::Korean, CodePage::Utf8, "\xc7\xd1\xb1\xb9", "한국"},
    {"ideographic space to Korean", CodePage::Utf8, CodePage::Korean, "\u3000", "\xa1\xa1"},
    {"no Korean form", CodePage::Utf8, CodePage::Korean, "a😀b", "a?b"},
};

TEST(CodePage, ConvertsEveryCaseAlike) {
  for (const ConversionCase& c : kCases) {
    EXPECT_EQ(sys::ConvertText(c.in, c.from, c.to), c.out) << c.what;
  }
}

TEST(CodePage, MarksWhatWouldBeDroppedUnseen) {
  EXPECT_EQ(sys::Utf8ToGbkMarkingInvisible("a\u200bb\ufeffc"), "a?b?c");
  EXPECT_EQ(sys::Utf8ToGbkMarkingInvisible("\U000e0041"), "?");
  EXPECT_EQ(sys::Utf8ToGbk("\U000e0041"), "");
  EXPECT_EQ(sys::Utf8ToGbkMarkingInvisible("中"), "\xd6\xd0");
}

// Every character of GBK comes back as itself through UTF-8.
TEST(CodePage, EveryGbkCharacterRoundTrips) {
  int characters = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string utf8 = sys::GbkToUtf8(gbk);
      if (utf8.find("\xef\xbf\xbd") != std::string::npos || utf8.size() != 3) {
        continue;
      }
      ++characters;
      ASSERT_EQ(sys::Utf8ToGbk(utf8), gbk) << std::hex << lead << " " << trail;
    }
  }
  EXPECT_GT(characters, 21000);
}

}  // namespace
