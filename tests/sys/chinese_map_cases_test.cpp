// The Simplified/Traditional mapping case by case, alike on Linux (OpenCC and ICU) and
// Windows (compiled-in tables).
#include <gtest/gtest.h>

#include <string>

#include "sys/ChineseCharMap.h"
#include "sys/CodePage.h"
#include "tests/support/TestEnv.h"

namespace {

using tavro_test::Gbk;

std::string Big5(const std::string& utf8) {
  return sys::ConvertText(utf8, sys::CodePage::Utf8, sys::CodePage::Big5);
}

// Names shown in Big5 and saved back to GBK come back as they were stored.
TEST(ChineseCharMap, WordsBothWays) {
  const struct {
    const char* simplified;
    const char* traditional;
  } cases[] = {
      {"启明贸易有限公司", "啟明貿易有限公司"},
      {"沉香俱乐部", "沉香俱樂部"},
      {"著名", "著名"},
      {"姊妹", "姊妹"},
      {"摔跤", "摔跤"},
      {"大阪银行", "大阪銀行"},
      {"钩子竖起钵酝绦", "鉤子豎起缽醞絛"},
      {"发票", "發票"},
      {"国际汇款", "國際匯款"},
      {"关于", "關於"},
      {"台湾", "臺灣"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::GbkToBig5Traditional(Gbk(c.simplified)), Big5(c.traditional)) << c.simplified;
    EXPECT_EQ(sys::Big5ToGbkSimplified(Big5(c.traditional)), Gbk(c.simplified)) << c.traditional;
  }
  // Typed in Traditional.
  EXPECT_EQ(sys::Big5ToGbkSimplified(Big5("啟明沈先生")), Gbk("启明沈先生"));
}

TEST(ChineseCharMap, BytesThatAreNoCharacter) {
  // ASCII passes; a lone lead byte and a lone high byte become the substitution character.
  EXPECT_EQ(sys::GbkToBig5Traditional("ab\xb0"), "ab?");
  EXPECT_EQ(sys::Big5ToGbkSimplified("\xff!"), "?!");
}

}  // namespace
