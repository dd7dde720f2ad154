// The change guard of the restricted edit and memo: what arms it, what is never
// validated, pastes, changes made by code, and where the caret goes after a refusal.
#include <gtest/gtest.h>

#include <string>

#include "payee/SwiftText.h"
#include "restricted_support.h"

namespace {

using restricted_test::kDoubleByteLocale;
using restricted_test::RestrictedTest;
using tavro_test::ScopedEnv;

class RestrictedGuardTest : public RestrictedTest {
 protected:
  ScopedEnv locale_{"LC_ALL", kDoubleByteLocale};
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
  // Disarmed at creation: code may put anything in.
  Edit->SetText("?&");
  Memo->SetText("-x\r\n:y");
  EXPECT_EQ(Edit->Text(), "?&");
  EXPECT_EQ(Memo->Text(), "-x\r\n:y");
}

// Backspace and Delete disarm without validating, so they may leave a forbidden first
// character; what code sets next passes unchecked too.
TEST_F(RestrictedGuardTest, BackspaceAndDeleteAreNeverValidated) {
  restricted_test::WhileShown(Platform(), Form, [&] {
    for (ui::TCustomEdit* control : Controls()) {
      SCOPED_TRACE(control->Name);
      Prepare(*control, "A-B", 1);
      ui::TypeText(*control, "X");  // armed, accepted: "AX-B"
      ui::PressKey(*control, ui::vk::Back);
      ui::PressKey(*control, ui::vk::Back);
      EXPECT_EQ(control->Text(), "-B");
      EXPECT_EQ(Heard, (std::vector<std::string>{"AX-B", "A-B", "-B"}));
      control->SetText("?");
      EXPECT_EQ(control->Text(), "?");

      Prepare(*control, "A:B", 0);
      ASSERT_TRUE(Platform().Perform(Form, "key " + control->Name + " Delete"));
      EXPECT_EQ(control->Text(), ":B");
      EXPECT_EQ(Heard, std::vector<std::string>{":B"});
    }
  });
}

// A paste is one change checked as a whole; a one-line edit keeps only the first line.
TEST_F(RestrictedGuardTest, PasteIsCheckedAsAWhole) {
  restricted_test::WhileShown(Platform(), Form, [&] {
    const struct {
      std::string before;
      int caret;
      std::string pasted;
      std::string edit;  // result in the one-line edit
      std::string memo;  // result in the memo
    } cases[] = {
        {"", 0, "AB-CD", "AB-CD", "AB-CD"},
        {"", 0, "AB?CD", "", ""},
        {"XY", 0, "-A", "XY", "XY"},
        {"XY", 1, "-A", "X-AY", "X-AY"},
        {"", 0, "AB\r\nCD", "AB", "AB\r\nCD"},
        {"", 0, "AB\r\n-CD", "AB", ""},  // the memo's second line starts with '-'
        {"", 0, "AB\nC&", "AB", ""},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.before + "+" + c.pasted);
      Prepare(*Edit, c.before, c.caret);
      ui::PasteText(*Edit, c.pasted);
      EXPECT_EQ(Edit->Text(), c.edit);
      EXPECT_EQ(Heard.size(), 1u);
      Prepare(*Memo, c.before, c.caret);
      ASSERT_TRUE(
          Platform().Perform(Form, "paste FixMmo " + restricted_test::ScriptText(c.pasted)));
      EXPECT_EQ(Memo->Text(), c.memo);
      EXPECT_EQ(Heard.size(), 1u);
      if (c.memo == c.before) {
        EXPECT_EQ(Memo->SelStart(), c.caret);
      }
    }
  });
}

// Code is checked only while the operator's last key still arms the control; a refused
// change goes back to the last accepted text and the undo itself disarms.
TEST_F(RestrictedGuardTest, ChangesByCodeWhileArmedAndDisarmed) {
  restricted_test::WhileShown(Platform(), Form, [&] {
    for (ui::TCustomEdit* control : Controls()) {
      SCOPED_TRACE(control->Name);
      Prepare(*control, "", 0);
      ui::TypeText(*control, "AB");
      ASSERT_TRUE(Platform().Perform(Form, "set " + control->Name + " \"A?\""));
      EXPECT_EQ(control->Text(), "AB");  // the accepted "B" stays
      EXPECT_EQ(control->SelStart(), 2);
      EXPECT_EQ(Heard, (std::vector<std::string>{"A", "AB", "AB"}));
      control->SetText("A?");  // the refusal disarmed the control
      EXPECT_EQ(control->Text(), "A?");

      // Any key arms, also one that types nothing; an accepted change keeps it armed.
      Prepare(*control, "XY", 1);
      ui::PressKey(*control, ui::vk::Left);
      control->SetText("Z");
      EXPECT_EQ(control->Text(), "Z");
      control->SetText("-Z");
      EXPECT_EQ(control->Text(), "Z");

      // Setting from code fresh from a disarming key is never checked.
      Prepare(*control, "XY", 2);
      control->SetText("&&");
      EXPECT_EQ(control->Text(), "&&");
      EXPECT_EQ(Heard, std::vector<std::string>{"&&"});
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
    EXPECT_EQ(control->SelLength(), 0);

    Prepare(*control, "ABCD", 0);
    control->Select(1, 2);
    ui::TypeText(*control, "_");
    EXPECT_EQ(control->Text(), "ABCD");
    EXPECT_EQ(control->SelStart(), 1);
    EXPECT_EQ(control->SelLength(), 0);

    Prepare(*control, "ABCD", 3);
    ui::PasteText(*control, "long text with an @ inside");
    EXPECT_EQ(control->Text(), "ABCD");
    EXPECT_EQ(control->SelStart(), 3);
  }
}

// The edit keeps the platform's maximum length: typing past it changes nothing.
TEST_F(RestrictedGuardTest, EditMaximumLengthStillHolds) {
  Edit->SetMaxLength(4);
  EXPECT_EQ(TypeInto(*Edit, "", 0, "ABCDEF"), "ABCD");
  EXPECT_EQ(TypeInto(*Edit, "", 0, "AB?CD-EF"), "ABCD");
}

}  // namespace
