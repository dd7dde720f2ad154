// Typing, caret and selection, Backspace and Delete, paste, maximum length and the
// memo's lines, as an edit control does them.
#include <gtest/gtest.h>

#include "SampleForm.h"
#include "ui/EditBuffer.h"
#include "ui/Input.h"

namespace ui_test {
namespace {

using namespace ui;
using Strings = std::vector<std::string>;

class EditingTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    form.BeginModal();
    form.Log.clear();
  }
  TSampleFrm form;
};

// Each character is key down, key press, change, key up; a double-byte character comes
// whole from the input method, with no key press.
TEST_F(EditingTest, TypingIsKeyDownKeyPressChangeKeyUp) {
  TypeText(*form.NameEdt, "aB");
  EXPECT_EQ(form.NameEdt->SelStart(), 2);
  TypeText(*form.NameEdt, Gbk("中"));
  EXPECT_EQ(form.NameEdt->Text(), "aB" + Gbk("中"));
  EXPECT_EQ(form.Log, (Strings{"NameEdt.keydown 65", "NameEdt.keypress 97", "NameEdt.change",
                               "NameEdt.keyup 65", "NameEdt.keydown 66", "NameEdt.keypress 66",
                               "NameEdt.change", "NameEdt.keyup 66", "NameEdt.keydown 229",
                               "NameEdt.change", "NameEdt.keyup 229"}));
}

struct TypingCase {
  const char* text;  // UTF-8
  int selStart, selLength;
  const char* typed;
  const char* expected;
  int caret;
};

TEST_F(EditingTest, TypingReplacesTheSelectionAndKeepsDoubleByteCharactersWhole) {
  const TypingCase cases[] = {
      {"abcd", 2, 0, "X", "abXcd", 3}, {"abcd", 1, 2, "X", "aXd", 2},
      {"abcd", 9, 0, "X", "abcdX", 5},  // caret past the end stays at the end
      {"中文", 3, 0, "a", "中a文", 3},  // inside a character: before it
      {"中文", 1, 2, "x", "x文", 1},    // selection edges move to character starts
      {"a中文", 1, 4, "汉", "a汉", 3},
  };
  for (const auto& c : cases) {
    form.NameEdt->SetText(Gbk(c.text));
    form.NameEdt->Select(c.selStart, c.selLength);
    TypeText(*form.NameEdt, Gbk(c.typed));
    EXPECT_EQ(form.NameEdt->Text(), Gbk(c.expected)) << c.text << " + " << c.typed;
    EXPECT_EQ(form.NameEdt->SelStart(), c.caret) << c.text << " + " << c.typed;
  }
}

struct DeleteCase {
  bool memo;
  const char* text;
  int caret, selLength;
  std::uint16_t key;
  const char* expected;
  int caretAfter;
};

TEST_F(EditingTest, BackspaceAndDeleteRemoveWholeCharactersLineBreaksOrTheSelection) {
  const DeleteCase cases[] = {
      {false, "中文", 4, 0, vk::Back, "中", 2},    {false, "中文", 0, 0, vk::Delete, "文", 0},
      {false, "a中b", 3, 0, vk::Back, "ab", 1},    {false, "ab", 0, 0, vk::Back, "ab", 0},
      {false, "ab", 2, 0, vk::Delete, "ab", 2},    {true, "a\r\nb", 3, 0, vk::Back, "ab", 1},
      {true, "a\r\nb", 1, 0, vk::Delete, "ab", 1}, {false, "abcdef", 1, 3, vk::Back, "aef", 1},
  };
  for (const auto& c : cases) {
    TCustomEdit* edit = c.memo ? static_cast<TCustomEdit*>(form.NoteMmo) : form.NameEdt;
    edit->SetText(Gbk(c.text));
    FocusByOperator(*edit);
    edit->Select(c.caret, c.selLength);
    form.Log.clear();
    PressKey(*edit, c.key);
    EXPECT_EQ(edit->Text(), Gbk(c.expected)) << c.text << " key " << c.key;
    EXPECT_EQ(edit->SelStart(), c.caretAfter) << c.text << " key " << c.key;
    bool changed = std::string(c.text) != c.expected;
    std::string name = edit->Name;
    Strings expected{name + ".keydown " + std::to_string(c.key)};
    if (changed) {
      expected.push_back(name + ".change");  // no key press in between
    }
    expected.push_back(name + ".keyup " + std::to_string(c.key));
    EXPECT_EQ(form.Log, expected) << c.text << " key " << c.key;
  }
}

TEST_F(EditingTest, KeyPressMayChangeOrSwallowTheCharacter) {
  form.NameEdt->OnKeyPress = [](TComponent*, char& key) {
    if (key >= '0' && key <= '9') {
      key = 0;
    }
    if (key >= 'a' && key <= 'z') {
      key = static_cast<char>(key - 32);
    }
  };
  int changes = 0;
  form.NameEdt->OnChange = [&](TComponent*) { ++changes; };
  TypeText(*form.NameEdt, "a1b");
  EXPECT_EQ(form.NameEdt->Text(), "AB");
  EXPECT_EQ(changes, 2);
}

TEST_F(EditingTest, KeyDownClearingTheKeyConsumesIt) {
  form.NameEdt->OnKeyDown = [](TComponent*, std::uint16_t& key, TShiftState) {
    if (key == vk::Back || key == 'A') {
      key = 0;
    }
  };
  form.NameEdt->SetText("xy");
  form.NameEdt->SetSelStart(2);
  form.Log.clear();
  TypeText(*form.NameEdt, "ab");
  PressKey(*form.NameEdt, vk::Back);
  EXPECT_EQ(form.NameEdt->Text(), "xyb");
}

TEST_F(EditingTest, MaximumLengthStopsTypingAndCutsPastesBeforeACharacter) {
  form.NameEdt->SetMaxLength(5);
  TypeText(*form.NameEdt, Gbk("abc中文"));
  EXPECT_EQ(form.NameEdt->Text(), Gbk("abc中"));
  form.Log.clear();
  TypeText(*form.NameEdt, "z");
  EXPECT_EQ(form.NameEdt->Text(), Gbk("abc中"));
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "NameEdt.change"), 0);

  form.NameEdt->SetText("abc");
  form.NameEdt->SetSelStart(3);
  PasteText(*form.NameEdt, Gbk("d中e"));
  EXPECT_EQ(form.NameEdt->Text(), "abcd");

  // Code may still set a longer text, as the platform's edit allows.
  form.NameEdt->SetText("0123456789");
  EXPECT_EQ(form.NameEdt->Text(), "0123456789");
}

TEST_F(EditingTest, PasteIsOneKeyPressAndOneChangeAndItsLineBreaksFollowTheEdit) {
  form.NameEdt->SetText("ad");
  form.NameEdt->SetSelStart(1);
  form.Log.clear();
  PasteText(*form.NameEdt, "bc");
  EXPECT_EQ(form.NameEdt->Text(), "abcd");
  EXPECT_EQ(form.NameEdt->SelStart(), 3);
  EXPECT_EQ(form.Log, (Strings{"NameEdt.keydown 86", "NameEdt.keypress 22", "NameEdt.change",
                               "NameEdt.keyup 86"}));
  // Line breaks follow the kind of edit.
  form.NameEdt->SetText("");
  PasteText(*form.NameEdt, "one\r\ntwo");
  EXPECT_EQ(form.NameEdt->Text(), "one");
  PasteText(*form.NoteMmo, "one\ntwo\rthree");
  EXPECT_EQ(form.NoteMmo->Text(), "one\r\ntwo\r\nthree");
  EXPECT_EQ(form.NoteMmo->Lines(), (Strings{"one", "two", "three"}));
}

TEST_F(EditingTest, ReadOnlyEditSeesKeysButDoesNotChange) {
  form.NameEdt->SetReadOnly(true);
  TypeText(*form.NameEdt, "a");
  PasteText(*form.NameEdt, "b");
  EXPECT_EQ(form.NameEdt->Text(), "");
  EXPECT_EQ(form.Log, (Strings{"NameEdt.keydown 65", "NameEdt.keypress 97", "NameEdt.keyup 65",
                               "NameEdt.keydown 86", "NameEdt.keypress 22", "NameEdt.keyup 86"}));
}

TEST_F(EditingTest, MemoLinesDoNotCountATrailingEmptyLine) {
  struct {
    const char* text;
    Strings lines;
  } cases[] = {
      {"", {}}, {"a", {"a"}}, {"a\r\n", {"a"}}, {"a\r\n\r\n", {"a", ""}}, {"a\r\nb", {"a", "b"}}};
  for (const auto& c : cases) {
    form.NoteMmo->SetText(c.text);
    EXPECT_EQ(form.NoteMmo->Lines(), c.lines) << c.text;
  }
  form.NoteMmo->SetLines({"x", "y", "z"});
  form.NoteMmo->DeleteLine(1);
  form.NoteMmo->AddLine("w");
  EXPECT_EQ(form.NoteMmo->Text(), "x\r\nz\r\nw");
}

// The in-place append gives what rebuilding the lines gives, with one change event per
// change and none when the text stays the same.
TEST_F(EditingTest, AppendingALineMatchesAddLineWithoutRebuildingTheText) {
  const char* starts[] = {"", "a", "a\r\n", "\r\n", "a\r\n\r\n", "a\r\nb"};
  const char* added[] = {"x", ""};
  for (const char* start : starts) {
    for (const char* line : added) {
      form.NoteMmo->SetText(start);
      form.NoteMmo->AddLine(line);
      const Strings rebuilt = form.NoteMmo->Lines();
      const std::string rebuiltText = form.NoteMmo->Text();
      form.NoteMmo->SetText(start);
      const int end = static_cast<int>(std::string(start).size());
      form.NoteMmo->SetSelStart(end);
      form.Log.clear();
      form.NoteMmo->AppendLine(line);
      EXPECT_EQ(form.NoteMmo->Lines(), rebuilt) << start << "+" << line;
      EXPECT_EQ(form.NoteMmo->Text(), rebuiltText) << start << "+" << line;
      const bool changed = rebuiltText != start;
      EXPECT_EQ(form.Log, changed ? Strings{"NoteMmo.change"} : Strings{}) << start << "+" << line;
      EXPECT_EQ(form.NoteMmo->SelStart(), changed ? 0 : end) << start << "+" << line;
    }
  }
  // Bare CR and LF are kept as written rather than rewritten to CR LF.
  form.NoteMmo->SetText("a\nb\r");
  form.NoteMmo->AppendLine("c");
  EXPECT_EQ(form.NoteMmo->Text(), "a\nb\rc");
}

TEST_F(EditingTest, EnterInAMemoThatWantsReturnsBreaksTheLine) {
  TypeText(*form.NoteMmo, "ab");
  form.NoteMmo->SetSelStart(1);
  PressKey(*form.NoteMmo, vk::Return);
  EXPECT_EQ(form.NoteMmo->Text(), "a\r\nb");
  EXPECT_EQ(form.NoteMmo->SelStart(), 3);
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "UpdateBtn.click"), 0);

  // Without WantReturns the default button takes Enter.
  form.NoteMmo->SetWantReturns(false);
  PressKey(*form.NoteMmo, vk::Return);
  EXPECT_EQ(form.NoteMmo->Text(), "a\r\nb");
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "UpdateBtn.click"), 1);
}

// The edit's text is "a中b" from caret 1, the memo's "abcd\r\nxy\r\nlast" from caret 3.
TEST_F(EditingTest, CaretKeysMoveOverWholeCharactersAndLines) {
  form.NameEdt->SetText(Gbk("a中b"));
  form.NameEdt->SetSelStart(1);
  form.NoteMmo->SetText("abcd\r\nxy\r\nlast");
  form.NoteMmo->SetSelStart(3);
  const struct {
    bool memo;
    std::uint16_t key;
    int caret;
  } steps[] = {{false, vk::Right, 3}, {false, vk::Left, 1}, {false, vk::Left, 0},
               {false, vk::End, 4},   {true, vk::Down, 8},   // column 3 is beyond "xy"
               {true, vk::Down, 12},  {true, vk::Down, 12},  // already on the last line
               {true, vk::Home, 10},  {true, vk::Up, 6}};
  for (const auto& step : steps) {
    TCustomEdit& edit = step.memo ? static_cast<TCustomEdit&>(*form.NoteMmo) : *form.NameEdt;
    PressKey(edit, step.key);
    EXPECT_EQ(edit.SelStart(), step.caret) << edit.Name << " key " << step.key;
  }
}

// Shift with the caret keys selects from where the selection was anchored, over whole
// characters; Ctrl+A selects all; what is selected is replaced by what is typed.
TEST_F(EditingTest, ShiftSelectsCtrlASelectsAllAndTypingReplacesTheSelection) {
  TEdit& edit = *form.NameEdt;
  edit.SetText(Gbk("ab中cd"));  // 6 bytes
  edit.SetSelStart(2);
  const struct {
    std::uint16_t key;
    TShiftState shift;
    int start, length;
  } steps[] = {
      {vk::Right, ssShift, 2, 2},                             // the whole double-byte character
      {vk::Right, ssShift, 2, 3}, {vk::Home, ssShift, 0, 2},  // across the anchor
      {vk::Left, ssShift, 0, 2},  {vk::Right, ssShift, 1, 1}, {vk::End, ssShift, 2, 4},
      {vk::Left, 0, 2, 0},        {'A', ssCtrl, 0, 6},        {vk::Right, 0, 6, 0},
  };
  for (const auto& step : steps) {
    PressKey(edit, step.key, step.shift);
    EXPECT_EQ(edit.SelStart(), step.start) << step.key;
    EXPECT_EQ(edit.SelLength(), step.length) << step.key;
  }
  PressKey(edit, 'A', ssCtrl);
  TypeText(edit, "x");
  EXPECT_EQ(edit.Text(), "x");

  form.NoteMmo->SetText("abcd\r\nxy");
  form.NoteMmo->SetSelStart(7);
  PressKey(*form.NoteMmo, vk::End, ssShift);
  EXPECT_EQ(form.NoteMmo->SelText(), "y");
}

// A double click selects the word at the caret (a Chinese word too); between words it
// selects nothing.
TEST(EditWords, ADoubleClickSelectsTheWordAtTheCaret) {
  const std::string text = "ab  " + Gbk("中文") + " c\r\nd";  // 13 bytes
  const struct {
    int pos;
    const char* word;
  } cases[] = {{0, "ab"},   {1, "ab"},   {2, "ab"},   {3, ""},  // between two blanks
               {4, "中文"}, {5, "中文"}, {8, "中文"}, {9, "c"},
               {10, "c"},   {11, ""},    {12, "d"},   {13, "d"}};
  for (const auto& c : cases) {
    EditBuffer buffer{text};
    SelectWordAt(buffer, c.pos);
    EXPECT_EQ(SelectedText(buffer), Gbk(c.word)) << c.pos;
  }
}

// Tab into a one-line edit (or the form opening on it) selects its text, so typing
// replaces it; a memo keeps its caret.
TEST_F(EditingTest, TabIntoAnEditSelectsItsText) {
  TSampleFrm opened;  // the edit the form opens on has its text selected too
  opened.NameEdt->SetText("abc");
  opened.BeginModal();
  EXPECT_EQ(opened.NameEdt->SelText(), "abc");

  form.NoteMmo->SetText("note");
  form.CityEdt->SetText("Shanghai");
  PressKey(*form.NameEdt, vk::Tab);
  EXPECT_EQ(form.NoteMmo->SelLength(), 0);
  PressKey(*form.NoteMmo, vk::Tab);
  ASSERT_EQ(form.ActiveControl(), form.CityEdt);
  EXPECT_EQ(form.CityEdt->SelText(), "Shanghai");
  TypeText(*form.CityEdt, "Beijing");
  EXPECT_EQ(form.CityEdt->Text(), "Beijing");
  FocusByOperator(*form.NameEdt);
  FocusByOperator(*form.CityEdt);  // as a click does: the caret stays where it was
  EXPECT_EQ(form.CityEdt->SelLength(), 0);
}

TEST_F(EditingTest, ChangeOverrideSeesEveryChangeBeforeHandlersAndMayUndoIt) {
  // A derived edit that refuses digits by putting the old text back, as the restricted
  // edits of the dialogs do.
  class TNoDigitsEdit : public TEdit {
   public:
    using TEdit::TEdit;
    std::string saved;
    int savedCaret = 0;
    void KeyDown(std::uint16_t& key, TShiftState shift) override {
      saved = Text();
      savedCaret = SelStart();
      TEdit::KeyDown(key, shift);
    }

   protected:
    void Change() override {
      if (Text().find_first_of("0123456789") != std::string::npos) {
        SetText(saved);
        SetSelStart(savedCaret);
        return;
      }
      TEdit::Change();
    }
  };
  auto* edit = Create<TNoDigitsEdit>(&form, &form, "PlainEdt");
  int changes = 0;
  edit->OnChange = [&](TComponent*) { ++changes; };
  TypeText(*edit, "ab1c");
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_EQ(edit->SelStart(), 3);
  EXPECT_EQ(changes, 4);  // a, b, the restore, c
}

}  // namespace
}  // namespace ui_test
