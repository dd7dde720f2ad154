// The restricted memo's limits: the number of lines (Maxline, with its setter) and the
// bytes of one line (CharPerLine).
#include <gtest/gtest.h>

#include <string>

#include "restricted_support.h"

namespace {

using restricted_test::kDoubleByteLocale;
using restricted_test::RestrictedTest;
using tavro_test::Gbk;
using tavro_test::ScopedEnv;

class RestrictedMemoTest : public RestrictedTest {
 protected:
  ScopedEnv locale_{"LC_ALL", kDoubleByteLocale};
};

const std::string kFour = "L1\r\nL2\r\nL3\r\nL4";

// With four lines allowed: Enter inside a line would make a fifth and is refused; Enter
// at the very end only adds the uncounted empty last line, but the first character
// typed there would make a fifth line and is refused, leaving the line break.
TEST_F(RestrictedMemoTest, MaxlineFour) {
  Memo->SetMaxline(4);
  EXPECT_EQ(TypeInto(*Memo, kFour, 5, "\r"), kFour);
  EXPECT_EQ(Memo->SelStart(), 5);
  EXPECT_EQ(Heard, std::vector<std::string>{kFour});

  EXPECT_EQ(TypeInto(*Memo, kFour, 14, "\r"), kFour + "\r\n");
  EXPECT_EQ(Memo->LineCount(), 4);
  ui::TypeText(*Memo, "X");
  EXPECT_EQ(Memo->Text(), kFour + "\r\n");
  EXPECT_EQ(Memo->SelStart(), 16);

  // Below the limit both are accepted; a paste that would pass it is refused whole.
  EXPECT_EQ(TypeInto(*Memo, "L1\r\nL2", 2, "\rX"), "L1\r\nX\r\nL2");
  Prepare(*Memo, "L1\r\nL2", 6);
  ui::PasteText(*Memo, "\r\nA\r\nB\r\nC");
  EXPECT_EQ(Memo->Text(), "L1\r\nL2");
  ui::PasteText(*Memo, "\r\nA\r\nB");
  EXPECT_EQ(Memo->LineCount(), 4);
}

// Lines are measured in bytes, a Chinese character counting two; the limit applies to
// every line, not only the one typed into.
TEST_F(RestrictedMemoTest, CharPerLine) {
  Memo->CharPerLine = 35;
  const std::string a34(34, 'A');
  const std::string zhong = Gbk("中");
  const struct {
    std::string before;
    int caret;
    std::string typed;
    bool accepted;
  } cases[] = {
      {a34, 34, "B", true},
      {a34 + "B", 35, "C", false},
      {a34 + "B", 0, "C", false},
      {a34, 34, zhong, false},
      {a34.substr(1), 33, zhong, true},
      {"X\r\n" + a34 + "BC", 1, "Y", false},  // another line is too long already
      {"X\r\n" + a34, 1, "Y", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before + " + " + c.typed);
    std::string after = c.before;
    after.insert(static_cast<std::size_t>(c.caret), c.typed);
    EXPECT_EQ(TypeInto(*Memo, c.before, c.caret, c.typed), c.accepted ? after : c.before);
  }

  // No limit: only the memo's own maximum length bounds a line.
  Memo->CharPerLine = 0;
  const std::string a100(100, 'A');
  Prepare(*Memo, "", 0);
  ui::PasteText(*Memo, a100);
  EXPECT_EQ(Memo->Text(), a100);
  Memo->SetMaxLength(40);
  EXPECT_EQ(TypeInto(*Memo, "", 0, a100), a100.substr(0, 40));
}

// Lowering the limit deletes the lines past it; raising it again brings none back.
TEST_F(RestrictedMemoTest, MaxlineSetter) {
  Prepare(*Memo, "L1\r\nL2\r\nL3", 0);
  Memo->SetMaxline(1);
  EXPECT_EQ(Memo->Maxline(), 1);
  EXPECT_EQ(Memo->Lines(), ui::TStrings{"L1"});
  Memo->SetMaxline(4);
  EXPECT_EQ(Memo->Lines(), ui::TStrings{"L1"});

  // 0 and below store the value and delete nothing.
  Prepare(*Memo, "L1\r\nL2\r\nL3", 0);
  Memo->SetMaxline(0);
  EXPECT_EQ(Memo->LineCount(), 3);
  Memo->SetMaxline(-2);
  EXPECT_EQ(Memo->Maxline(), -2);
  EXPECT_EQ(Memo->LineCount(), 3);

  // While armed the deletions are ordinary accepted changes.
  ui::TypeText(*Memo, "X");
  Memo->SetMaxline(2);
  EXPECT_EQ(Memo->Lines(), (ui::TStrings{"XL1", "L2"}));
  ui::TypeText(*Memo, "\r");
  EXPECT_EQ(Memo->Lines(), (ui::TStrings{"XL1", "L2"}));  // a third line is refused now
}

// Only the first non-blank character of each line is held to the head set.
TEST_F(RestrictedMemoTest, EveryLineHasItsOwnHead) {
  EXPECT_EQ(TypeInto(*Memo, "", 0, "A-B\r-C\r  :D\rE:F"), "A-B\r\nC\r\n  D\r\nE:F");
  EXPECT_EQ(TypeInto(*Memo, "", 0, "   \r   \rX"), "   \r\n   \r\nX");
}

}  // namespace
