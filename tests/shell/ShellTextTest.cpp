// The shell's text edges: what it prints for GBK bytes, what it accepts as UTF-8,
// how it splits tokens, rows, fields and column layouts.
#include <gtest/gtest.h>

#include "shell/FolderPrint.h"
#include "shell/ShellText.h"

namespace {

using shell::GbkToShown;

TEST(GbkToShown, EscapesControlBytesAndKeepsEveryByteVisible) {
  struct Case {
    std::string gbk;
    std::string shown;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"a\\b\"c", "a\\\\b\\\"c"},
      {"\r\n\t", "\\r\\n\\t"},
      {std::string("\x00\x07\x0E\x7F", 4), "\\x00\\x07\\x0E\\x7F"},
      {"\xD6\xD0\xCE\xC4", "中文"},
      // A lone lead byte at the end, and one before an ASCII control byte.
      {"ab\xD6", "ab\\xD6"},
      {"\xD6\x07x", "\\xD6\\x07x"},
      // Bytes that start no GBK character.
      {"\x80\xFF", "\\x80\\xFF"},
      // A GBK character whose trail byte is a backslash stays one character.
      {"\x95\x5C", "昞"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GbkToShown(c.gbk), c.shown) << c.shown;
  }
}

TEST(Utf8ToGbkStrict, ConvertsOnlyTextThatGbkCanHold) {
  EXPECT_EQ(shell::Utf8ToGbkStrict("中文 ok"), std::optional<std::string>("\xD6\xD0\xCE\xC4 ok"));
  EXPECT_EQ(shell::Utf8ToGbkStrict(""), std::optional<std::string>(""));
  EXPECT_FALSE(shell::Utf8ToGbkStrict("\xFF\xFE"));
  EXPECT_FALSE(shell::Utf8ToGbkStrict("ab\xE4\xB8"));              // cut inside a character
  EXPECT_FALSE(shell::Utf8ToGbkStrict("\xC0\xAF"));                // overlong slash
  EXPECT_FALSE(shell::Utf8ToGbkStrict("smile \xF0\x9F\x98\x80"));  // no GBK form
}

TEST(UnescapeToGbk, ConvertsLiteralTextAndKeepsRawBytes) {
  std::string out;
  std::string error;
  ASSERT_TRUE(shell::UnescapeToGbk("中\\x07\\xD6\\\\n\\t", out, error)) << error;
  EXPECT_EQ(out, "\xD6\xD0\x07\xD6\\n\t");
  for (const char* bad : {"a\\", "\\x4", "\\xZZ", "\\q", "\xFF"}) {
    EXPECT_FALSE(shell::UnescapeToGbk(bad, out, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(SplitTokens, QuotedTokensHoldBlanksAndEscapes) {
  std::vector<std::string> tokens;
  std::string error;
  ASSERT_TRUE(
      shell::SplitTokens(R"(  Mn_CheckRecord --key "12 payment:A\"1\x07" x )", tokens, error));
  EXPECT_EQ(tokens,
            (std::vector<std::string>{"Mn_CheckRecord", "--key", "12 payment:A\"1\x07", "x"}));
  ASSERT_TRUE(shell::SplitTokens(R"("")", tokens, error));
  EXPECT_EQ(tokens, (std::vector<std::string>{""}));
  for (const char* bad : {R"("open)", R"("a"b)", R"("\q")", R"("ends with \")"}) {
    EXPECT_FALSE(shell::SplitTokens(bad, tokens, error)) << bad;
  }
}

TEST(SplitRows, EveryRowEndCountsOnceAndAFinalOneAddsNoRow) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(shell::SplitRows("a\r\nb\n\rc\rd\ne"), (V{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(shell::SplitRows("a\r\n"), (V{"a"}));
  EXPECT_EQ(shell::SplitRows("\r\na\n\nb"), (V{"", "a", "", "b"}));
  EXPECT_EQ(shell::SplitRows("a\r\r"), (V{"a", ""}));
  EXPECT_EQ(shell::SplitRows(""), V{});
}

TEST(ColumnLines, TitleAndWidthFromEachLayoutLine) {
  std::string layout =
      "\xD2\xB5\xCE\xF1\x07"
      "15\r\n"     // GBK title, width 15
      "Pay^8\r\n"  // "^" where there is no 0x07
      "NoWidth\r\n"
      "Bad\x07x1\r\n"
      " Trim \x07 12 \x07ignored\r\n"
      "\x07"
      "5\r\n";
  EXPECT_EQ(
      shell::ColumnLines(layout),
      (std::vector<std::string>{"column \"业务\" 15", "column \"Pay\" 8", "column \"NoWidth\" -",
                                "column \"Bad\" -", "column \"Trim\" 12", "column \"\" 5"}));
  EXPECT_TRUE(shell::ColumnLines("").empty());
}

TEST(RowLines, FieldsUntrimmedWithTrailingSeparatorAndEmptyRows) {
  EXPECT_EQ(shell::RowLines("A1\x07 \xD6\xD0 \x07\r\n\r\nx\x0Ey"),
            (std::vector<std::string>{"row \"A1\" \" 中 \" \"\"", "row", "row \"x\\x0Ey\""}));
}

}  // namespace
