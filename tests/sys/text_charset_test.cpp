// The charset of a file from elsewhere: byte-order marks, clean text, detection, and
// the strict encoder.
#include "sys/TextCharset.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "tests/support/TestEnv.h"

namespace {

using sys::CodePage;
using tavro_test::Gbk;

std::string Big5(const std::string& utf8) {
  return sys::ConvertText(utf8, CodePage::Utf8, CodePage::Big5);
}

TEST(TextCharset, ByteOrderMarks) {
  using sys::ByteOrderMark;
  const struct {
    std::string start;
    ByteOrderMark kind;
    std::size_t length;
  } cases[] = {
      {"\xEF\xBB\xBFx1", ByteOrderMark::Utf8, 3},
      {"\xFF\xFEx", ByteOrderMark::Utf16, 2},
      {"\xFE\xFF", ByteOrderMark::Utf16, 2},
      {std::string("\xFF\xFE\0\0", 4), ByteOrderMark::Utf32, 4},
      {std::string("\0\0\xFE\xFF", 4), ByteOrderMark::Utf32, 4},
      {"\xEF\xBB", ByteOrderMark::None, 0},
      {Gbk("中文"), ByteOrderMark::None, 0},
      {"", ByteOrderMark::None, 0},
  };
  for (const auto& c : cases) {
    const sys::TByteOrderMark mark = sys::FindByteOrderMark(c.start);
    EXPECT_EQ(mark.Kind, c.kind) << c.start;
    EXPECT_EQ(mark.Length, c.length) << c.start;
  }
}

TEST(TextCharset, CleanTextIsStrictInEachCodePage) {
  const struct {
    const char* what;
    std::string bytes;
    CodePage cp;
    bool cutEnd;
    bool clean;
  } cases[] = {
      {"GBK", Gbk("客户@中国银行"), CodePage::Gbk, false, true},
      {"GBK user-defined area", "\xAA\xA1", CodePage::Gbk, false, false},
      {"lone 0xFF", "a\xFF", CodePage::Gbk, false, false},
      {"GB18030 four-byte form", "\x81\x30\x81\x30", CodePage::Gbk, false, false},
      {"GBK cut at the end", "a\xD6", CodePage::Gbk, false, false},
      {"GBK cut at a block's end", "a\xD6", CodePage::Gbk, true, true},
      {"UTF-8", "客户", CodePage::Utf8, false, true},
      {"NUL", std::string("a\0b", 3), CodePage::Utf8, false, false},
      {"overlong (GBK's 联)", "\xC1\xAA", CodePage::Utf8, false, false},
      {"surrogate", "\xED\xA0\x80", CodePage::Utf8, false, false},
      {"plane 15 private use", "\xF3\xB0\x80\x80", CodePage::Utf8, false, false},
      {"UTF-8 cut at the end", "a\xE4\xB8", CodePage::Utf8, false, false},
      {"UTF-8 cut at a block's end", "a\xE4\xB8", CodePage::Utf8, true, true},
      {"Big5", Big5("臺灣銀行"), CodePage::Big5, false, true},
      {"Big5 user-defined area", "\xFA\x40", CodePage::Big5, false, false},
      {"C1 control", "\x80", CodePage::Big5, false, false},
      {"Shift-JIS", "\x93\xfa\x96\x7b", CodePage::ShiftJis, false, true},
      {"Korean", "\xc7\xd1\xb1\xb9", CodePage::Korean, false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::IsCleanText(c.bytes, c.cp, c.cutEnd), c.clean) << c.what;
    if (!c.cutEnd) {
      EXPECT_EQ(sys::DecodeCleanText(c.bytes, c.cp).has_value(), c.clean) << c.what;
    }
  }
  EXPECT_EQ(sys::DecodeCleanText(Gbk("a中"), CodePage::Gbk), u"a中");
}

// Validity decides before the detector, which rates GBK's "联通" as UTF-8.
TEST(TextCharset, DetectionChoosesOnlyAmongTheValidCandidates) {
  constexpr std::array kGbkUtf8 = {CodePage::Gbk, CodePage::Utf8};
  constexpr std::array kBig5Utf8 = {CodePage::Big5, CodePage::Utf8};
  const std::string names = "C101@杭州新光电器有限公司@6222020200112233@中国银行杭州分行\r\n";
  ASSERT_TRUE(sys::IsCleanText("C1@张三@1@b", CodePage::Gbk)) << "UTF-8 bytes that GBK reads too";
  const struct {
    const char* what;
    std::string block;
    std::span<const CodePage> candidates;
    std::optional<CodePage> cp;
  } cases[] = {
      {"UTF-8", names, kGbkUtf8, CodePage::Utf8},
      {"GBK", Gbk(names), kGbkUtf8, CodePage::Gbk},
      {"GBK that looks like UTF-8", Gbk("C2@联通@1@b"), kGbkUtf8, CodePage::Gbk},
      {"UTF-8 that is also GBK", "C1@张三@1@b", kGbkUtf8, CodePage::Utf8},
      {"Big5", Big5("T01@臺灣一號貿易@700@華南銀行"), kBig5Utf8, CodePage::Big5},
      {"UTF-8 among Big5", names, kBig5Utf8, CodePage::Utf8},
      {"GBK among Big5", Gbk(names), kBig5Utf8, std::nullopt},
      {"binary", std::string("PK\x03\x04\0\0", 6), kGbkUtf8, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::DetectCodePage(c.block, c.candidates), c.cp) << c.what;
  }
#ifndef _WIN32
  // Where both read the text, ICU's detector tells Big5 from GBK. The Windows build has
  // no detector and is never asked: its candidates are UTF-8 and one double-byte page.
  constexpr std::array kGbkBig5 = {CodePage::Gbk, CodePage::Big5};
  EXPECT_EQ(sys::DetectCodePage(Big5("C01@中華民國臺灣銀行@700@華南商業銀行"), kGbkBig5),
            CodePage::Big5);
#endif
}

TEST(TextCharset, TheStrictEncoderRefusesWhatItsCharacterSetLacks) {
  sys::StrictEncoder gbk(CodePage::Gbk);
  std::string out = "x";
  char32_t missing = 0;
  EXPECT_TRUE(gbk.Encode(u"中文", out, missing));
  EXPECT_EQ(out, "x" + Gbk("中文"));
  EXPECT_FALSE(gbk.Encode(u"笑😀", out, missing));
  EXPECT_EQ(missing, U'\U0001F600');
  EXPECT_EQ(out, "x" + Gbk("中文")) << "nothing of a refused text is kept";
  EXPECT_FALSE(gbk.Encode(std::u16string(1, u'\xD800'), out, missing));
  sys::StrictEncoder big5(CodePage::Big5);
  EXPECT_FALSE(big5.Encode(u"我们", out, missing));
  EXPECT_EQ(missing, U'们');
  sys::StrictEncoder korean(CodePage::Korean);
  EXPECT_TRUE(korean.Encode(u"한국", out, missing));
  EXPECT_FALSE(sys::StrictEncoder(CodePage::ShiftJis).Encode(u"한", out, missing));
  EXPECT_EQ(missing, U'한');
  EXPECT_THROW(sys::StrictEncoder("no-such-charset"), std::runtime_error);
}

}  // namespace
