// The change guard of the restricted edit and memo: what arms it, what is never
// validated, pastes, changes made by code, and where the caret goes after a refusal.
#include <gtest/gtest.h>

#include <string>

#include "payee/SwiftText.h"
#include "restricted_support.h"

namespace {

using restricted_test::RestrictedTest;
using Texts = std::vector<std::string>;

class RestrictedGuardTest : public RestrictedTest {
 protected:
  tavro_test::ScopedEnv locale_{"LC_ALL", restricted_test::kDoubleByteLocale};
};

TEST_F(RestrictedGuardTest, CreationValues) {
  for (ui::TCustomEdit* control : Controls()) {
    EXPECT_EQ(control->Font().Name, "Courier New") << control->Name;
  }
  EXPECT_EQ(Edit->Mapstr, payee::kSwiftBodySet);
  EXPECT_EQ(Edit->HeadMapstr, payee::kSwiftHeadSet);
  EXPECT_EQ(Memo->Mapstr, payee::kSwiftBodySet);
  EXPECT_EQ(Memo->HeadMapstr, payee::kSwiftHeadSet);
  EXPECT_EQ(Memo->Maxline(), 0);
  EXPECT_EQ(Memo->CharPerLine, 0);
  EXPECT_FALSE(Memo->WordWrap);
  EXPECT_TRUE(Memo->WantReturns);
}

// Backspace and Delete disarm without validating, so they may leave a forbidden first
// character, and what code sets next passes unchecked; so does code on a new control.
TEST_F(RestrictedGuardTest, DeletionsAndUnarmedChangesAreNeverValidated) {
  restricted_test::WhileShown(Platform(), Form, [&] {
    for (ui::TCustomEdit* control : Controls()) {
      SCOPED_TRACE(control->Name);
      control->SetText("?&");
      EXPECT_EQ(control->Text(), "?&");

      Prepare(*control, "A-B", 1);
      ui::TypeText(*control, "X");
      ui::PressKey(*control, ui::vk::Back);
      ui::PressKey(*control, ui::vk::Back);
      EXPECT_EQ(Heard, (Texts{"AX-B", "A-B", "-B"}));
      control->SetText("?");
      EXPECT_EQ(control->Text(), "?");

      Prepare(*control, "A:B", 0);
      ASSERT_TRUE(Platform().Perform(Form, "key " + control->Name + " Delete"));
      EXPECT_EQ(Heard, Texts{":B"});
    }
  });
}

// A paste is one change checked as a whole; a one-line edit keeps only the first line.
TEST_F(RestrictedGuardTest, PasteIsCheckedAsAWhole) {
  const struct {
    std::string before;
    int caret;
    std::string pasted, edit, memo;  // results in the edit and in the memo
  } cases[] = {
      {"", 0, "AB-CD", "AB-CD", "AB-CD"},
      {"", 0, "AB?CD", "", ""},
      {"XY", 0, "-A", "XY", "XY"},
      {"XY", 1, "-A", "X-AY", "X-AY"},
      {"", 0, "AB\r\nCD", "AB", "AB\r\nCD"},
      {"", 0, "AB\n-CD", "AB", ""},  // the memo's second line starts with '-'
  };
  for (const auto& c : cases) {
    for (ui::TCustomEdit* control : Controls()) {
      SCOPED_TRACE(control->Name + " " + c.pasted);
      Prepare(*control, c.before, c.caret);
      ui::PasteText(*control, c.pasted);
      const std::string& after = control == Edit ? c.edit : c.memo;
      EXPECT_EQ(Heard, Texts{after});
      const int inserted = static_cast<int>(after.size() - c.before.size());
      EXPECT_EQ(control->SelStart(), c.caret + inserted);
    }
  }
}

// Code is checked only while the operator's last key still arms the control; a refused
// change goes back to the last accepted text and the undo itself disarms.
TEST_F(RestrictedGuardTest, ChangesByCodeWhileArmed) {
  restricted_test::WhileShown(Platform(), Form, [&] {
    for (ui::TCustomEdit* control : Controls()) {
      SCOPED_TRACE(control->Name);
      Prepare(*control, "", 0);
      ui::TypeText(*control, "AB");
      ASSERT_TRUE(Platform().Perform(Form, "set " + control->Name + " \"A?\""));
      EXPECT_EQ(Heard, (Texts{"A", "AB", "AB"}));  // the accepted "B" stays
      EXPECT_EQ(control->SelStart(), 2);
      control->SetText("A?");  // the refusal disarmed the control
      EXPECT_EQ(control->Text(), "A?");

      // Any key arms, also one that types nothing; an accepted change keeps it armed.
      Prepare(*control, "XY", 1);
      ui::PressKey(*control, ui::vk::Left);
      control->SetText("Z");
      control->SetText("-Z");
      EXPECT_EQ(Heard, (Texts{"Z", "Z"}));
    }
  });
}

// After a refusal the caret is back at the start of what was selected, with nothing
// selected, however far the rejected text moved it.
TEST_F(RestrictedGuardTest, CaretAfterAnUndo) {
  for (ui::TCustomEdit* control : Controls()) {
    SCOPED_TRACE(control->Name);
    Prepare(*control, "ABCD", 4);
    ui::PressKey(*control, ui::vk::Left);
    ui::PressKey(*control, ui::vk::Left);
    ui::TypeText(*control, "?");
    EXPECT_EQ(control->Text(), "ABCD");
    EXPECT_EQ(control->SelStart(), 2);

    Prepare(*control, "ABCD", 0);
    control->Select(1, 2);
    ui::PasteText(*control, "long text with an @ inside");
    EXPECT_EQ(control->Text(), "ABCD");
    EXPECT_EQ(control->SelStart(), 1);
    EXPECT_EQ(control->SelLength(), 0);
  }
}

}  // namespace
