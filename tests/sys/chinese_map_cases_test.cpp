// The Simplified/Traditional mapping, case by case: the same cases run on the Linux
// build (worked out from OpenCC and ICU) and on the Windows build (the compiled-in
// tables), so the Traditional-Chinese mode shows and saves names alike on both.
#include <gtest/gtest.h>

#include <string>

#include "sys/ChineseCharMap.h"
#include "sys/CodePage.h"

namespace {

using sys::CodePage;

std::string Gbk(const std::string& utf8) {
  return sys::Utf8ToGbk(utf8);
}
std::string Big5(const std::string& utf8) {
  return sys::ConvertText(utf8, CodePage::Utf8, CodePage::Big5);
}

// The names of the outside review: opened (shown in Big5) and saved (back to GBK) in
// Traditional-Chinese mode, they come back as they were stored.
TEST(ChineseCharMap, StoredNamesSurviveAnOpenAndASave) {
  struct Case {
    const char* stored;
    const char* shown;
  };
  const Case cases[] = {
      {"启明贸易有限公司", "啟明貿易有限公司"},
      {"沉香俱乐部", "沉香俱樂部"},
      {"著名", "著名"},
      {"姊妹", "姊妹"},
      {"摔跤", "摔跤"},
      {"大阪银行", "大阪銀行"},
      {"钩子竖起钵酝绦", "鉤子豎起缽醞絛"},
  };
  for (const Case& c : cases) {
    const std::string shown = sys::GbkToBig5Traditional(Gbk(c.stored));
    EXPECT_EQ(shown, Big5(c.shown)) << c.stored;
    EXPECT_EQ(sys::Big5ToGbkSimplified(shown), Gbk(c.stored)) << c.stored;
  }
  // Typed in Traditional.
  EXPECT_EQ(sys::Big5ToGbkSimplified(Big5("俱樂部")), Gbk("俱乐部"));
  EXPECT_EQ(sys::Big5ToGbkSimplified(Big5("啟明沈先生")), Gbk("启明沈先生"));
}

TEST(ChineseCharMap, WordsBothWays) {
  struct Case {
    const char* simplified;
    const char* traditional;
  };
  const Case cases[] = {
      {"发票", "發票"},         {"银行", "銀行"},         {"收款人", "收款人"},
      {"账户金额", "賬戶金額"}, {"国际汇款", "國際匯款"}, {"审核通过", "審核通過"},
      {"关于", "關於"},         {"台湾", "臺灣"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sys::GbkToBig5Traditional(Gbk(c.simplified)), Big5(c.traditional)) << c.simplified;
    EXPECT_EQ(sys::Big5ToGbkSimplified(Big5(c.traditional)), Gbk(c.simplified)) << c.traditional;
  }
}

TEST(ChineseCharMap, BytesThatAreNoCharacter) {
  // ASCII passes; a lone lead byte and a lone high byte become the substitution character.
  EXPECT_EQ(sys::GbkToBig5Traditional("ab\xb0"), "ab?");
  EXPECT_EQ(sys::Big5ToGbkSimplified("\xff"
                                     "1"),
            "?1");
}

}  // namespace
