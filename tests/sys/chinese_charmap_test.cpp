#include "sys/ChineseCharMap.h"

#include <gtest/gtest.h>

#include "sys/CodePage.h"

namespace {

std::string Gbk(const std::string& utf8) {
  return sys::Utf8ToGbk(utf8);
}
std::string Big5(const std::string& utf8) {
  return sys::ConvertText(utf8, sys::CodePage::Utf8, sys::CodePage::Big5);
}

TEST(ChineseCharMap, WordsBothWays) {
  struct Case {
    const char* simplified;
    const char* traditional;
  };
  const Case cases[] = {
      {"发票", "發票"},         {"银行", "銀行"},         {"收款人", "收款人"},
      {"账户金额", "賬戶金額"}, {"国际汇款", "國際匯款"}, {"审核通过", "審核通過"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sys::GbkToBig5Traditional(Gbk(c.simplified)), Big5(c.traditional)) << c.simplified;
    EXPECT_EQ(sys::Big5ToGbkSimplified(Big5(c.traditional)), Gbk(c.simplified)) << c.traditional;
  }
}

TEST(ChineseCharMap, ControlBytesAndAsciiStayInPlace) {
  const std::string text = std::string("A01\x07", 4) + Gbk("银行") + "\r\n\x0E" +
                           std::string("\0z", 2) + Gbk("发") + "'x'";
  const std::string expected = std::string("A01\x07", 4) + Big5("銀行") + "\r\n\x0E" +
                               std::string("\0z", 2) + Big5("發") + "'x'";
  EXPECT_EQ(sys::GbkToBig5Traditional(text), expected);
  EXPECT_EQ(sys::Big5ToGbkSimplified(expected), text);
  EXPECT_EQ(sys::GbkToBig5Traditional(""), "");
}

// Each character is mapped alone, as the platform's mapping does: no phrase rule may
// change a character because of its neighbour.
TEST(ChineseCharMap, CharacterByCharacter) {
  for (const char* pair : {"一余", "十余", "周一", "于飞", "生姜"}) {
    std::string gbk = Gbk(pair);
    std::string whole = sys::GbkToBig5Traditional(gbk);
    std::string apart =
        sys::GbkToBig5Traditional(gbk.substr(0, 2)) + sys::GbkToBig5Traditional(gbk.substr(2));
    EXPECT_EQ(whole, apart) << pair;
  }
}

TEST(ChineseCharMap, BrokenBytesBecomeSubstitutes) {
  // A lone lead byte, 0x80 and 0xFF: one substitute each, the rest untouched.
  for (const std::string& bad : {std::string("\xB0\x07ok"), std::string("\x80ok"),
                                 std::string("\xFFok"), std::string("ok\xB0")}) {
    std::string out = sys::GbkToBig5Traditional(bad);
    EXPECT_FALSE(out.empty()) << bad;
    EXPECT_NE(out.find("ok"), std::string::npos) << bad;
    EXPECT_LE(out.size(), bad.size() + 3) << bad;
    std::string back = sys::Big5ToGbkSimplified(bad);
    EXPECT_NE(back.find("ok"), std::string::npos) << bad;
  }
}

}  // namespace
