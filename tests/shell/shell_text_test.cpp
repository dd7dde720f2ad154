// The shell's own text: how it splits result rows and fields and prints column layouts.
#include <gtest/gtest.h>

#include "shell/FolderPrint.h"
#include "shell/ShellText.h"

namespace {

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
