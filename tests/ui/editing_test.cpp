// Typing, caret and selection, Backspace and Delete, paste, maximum length and the memo's
// lines, as an edit control does them, and the edit buffer over broken GBK text.
#include <gtest/gtest.h>

#include "SampleForm.h"
#include "ui/EditBuffer.h"
#include "ui/Input.h"

namespace ui_test {
namespace {

using namespace ui;
using Strings = std::vector<std::string>;

class EditingTest : public FormTest {};

// A character is key down, key press, change, key up; a double-byte one comes whole from
// the input method, with no key press.
TEST_F(EditingTest, TypingIsKeyDownKeyPressChangeKeyUp) {
  TypeText(*form.NameEdt, "a" + Gbk("中"));
  EXPECT_EQ(form.NameEdt->Text(), "a" + Gbk("中"));
  EXPECT_EQ(form.Log, (Strings{"NameEdt.keydown 65", "NameEdt.keypress 97", "NameEdt.change",
                               "NameEdt.keyup 65", "NameEdt.keydown 229", "NameEdt.change",
                               "NameEdt.keyup 229"}));
}

TEST_F(EditingTest, TypingReplacesTheSelectionAndKeepsDoubleByteCharactersWhole) {
  const struct {
    const char* text;  // UTF-8
    int selStart, selLength;
    const char* typed;
    const char* expected;
    int caret;
  } cases[] = {
      {"abcd", 1, 2, "X", "aXd", 2},
      {"abcd", 9, 0, "X", "abcdX", 5},  // caret past the end stays at the end
      {"中文", 3, 0, "a", "中a文", 3},  // inside a character: before it
      {"中文", 1, 2, "x", "x文", 1},    // selection edges move to character starts
  };
  for (const auto& c : cases) {
    form.NameEdt->SetText(Gbk(c.text));
    form.NameEdt->Select(c.selStart, c.selLength);
    TypeText(*form.NameEdt, Gbk(c.typed));
    EXPECT_EQ(form.NameEdt->Text(), Gbk(c.expected)) << c.text << " + " << c.typed;
    EXPECT_EQ(form.NameEdt->SelStart(), c.caret) << c.text << " + " << c.typed;
  }
}

// Backspace and Delete remove a whole character, a line break or the selection, and fire
// change only when they removed something.
TEST_F(EditingTest, BackspaceAndDeleteRemoveWholeCharactersLineBreaksOrTheSelection) {
  const struct {
    bool memo;
    const char* text;
    int caret, selLength;
    std::uint16_t key;
    const char* expected;
    int caretAfter;
  } cases[] = {
      {false, "中文", 4, 0, vk::Back, "中", 2},    {false, "中文", 0, 0, vk::Delete, "文", 0},
      {false, "ab", 0, 0, vk::Back, "ab", 0},      {false, "ab", 2, 0, vk::Delete, "ab", 2},
      {true, "a\r\nb", 3, 0, vk::Back, "ab", 1},   {true, "a\r\nb", 1, 0, vk::Delete, "ab", 1},
      {false, "abcdef", 1, 3, vk::Back, "aef", 1},
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
    EXPECT_EQ(Count(edit->Name + ".change"), std::string(c.text) != c.expected ? 1 : 0);
  }
}

TEST_F(EditingTest, KeyHandlersMayChangeOrSwallowTheKey) {
  form.NameEdt->OnKeyPress = [](TComponent*, char& key) {
    if (key >= '0' && key <= '9') {
      key = 0;
    }
    if (key >= 'a' && key <= 'z') {
      key = static_cast<char>(key - 32);
    }
  };
  TypeText(*form.NameEdt, "a1b");
  EXPECT_EQ(form.NameEdt->Text(), "AB");
  EXPECT_EQ(Count("NameEdt.change"), 2);  // none for the swallowed digit
  form.NameEdt->OnKeyPress = nullptr;
  form.NameEdt->OnKeyDown = [](TComponent*, std::uint16_t& key, TShiftState) {
    if (key == vk::Back || key == 'A') {
      key = 0;
    }
  };
  TypeText(*form.NameEdt, "ab");
  PressKey(*form.NameEdt, vk::Back);
  EXPECT_EQ(form.NameEdt->Text(), "ABb");
}

// A paste is one change, its line breaks follow the kind of edit; the maximum length
// stops typing and cuts a paste before a character.
TEST_F(EditingTest, PasteAndMaximumLength) {
  form.NameEdt->SetText("ad");
  form.NameEdt->SetSelStart(1);
  form.Log.clear();
  PasteText(*form.NameEdt, "bc\r\ntwo");
  EXPECT_EQ(form.NameEdt->Text(), "abcd");
  EXPECT_EQ(form.NameEdt->SelStart(), 3);
  EXPECT_EQ(Count("NameEdt.change"), 1);
  PasteText(*form.NoteMmo, "one\ntwo\rthree");
  EXPECT_EQ(form.NoteMmo->Text(), "one\r\ntwo\r\nthree");

  form.NameEdt->SetText("");
  form.NameEdt->SetMaxLength(5);
  TypeText(*form.NameEdt, Gbk("abc中文"));
  EXPECT_EQ(form.NameEdt->Text(), Gbk("abc中"));
  form.Log.clear();
  TypeText(*form.NameEdt, "z");
  EXPECT_EQ(form.NameEdt->Text(), Gbk("abc中"));
  EXPECT_EQ(Count("NameEdt.change"), 0);
  form.NameEdt->SetText("abc");
  form.NameEdt->SetSelStart(3);
  PasteText(*form.NameEdt, Gbk("d中e"));
  EXPECT_EQ(form.NameEdt->Text(), "abcd");
  // Code may still set a longer text, as the platform's edit allows.
  form.NameEdt->SetText("0123456789");
  EXPECT_EQ(form.NameEdt->Text(), "0123456789");

  EditBuffer buffer{"", 0, 0, 1, false};  // a broken lead byte fits alone
  EXPECT_TRUE(ReplaceSelection(buffer, "\xB0 "));
  EXPECT_EQ(buffer.Text, "\xB0");
}

TEST_F(EditingTest, ReadOnlyEditSeesKeysButDoesNotChange) {
  form.NameEdt->SetText("x");
  form.NameEdt->SetReadOnly(true);
  form.NameEdt->SetSelStart(1);
  form.Log.clear();
  TypeText(*form.NameEdt, "a");
  PasteText(*form.NameEdt, "b");
  PressKey(*form.NameEdt, vk::Back);
  EXPECT_EQ(form.NameEdt->Text(), "x");
  EXPECT_EQ(Count("NameEdt.change"), 0);
  EXPECT_EQ(Count("NameEdt.keypress 97"), 1);
}

TEST_F(EditingTest, MemoLinesDoNotCountATrailingEmptyLineAndAppendKeepsTheText) {
  const struct {
    const char* text;
    Strings lines;
  } cases[] = {{"", {}}, {"a\r\n", {"a"}}, {"a\r\n\r\n", {"a", ""}}, {"a\r\nb", {"a", "b"}}};
  for (const auto& c : cases) {
    form.NoteMmo->SetText(c.text);
    EXPECT_EQ(form.NoteMmo->Lines(), c.lines) << c.text;
  }
  form.NoteMmo->SetLines({"x", "y", "z"});
  form.NoteMmo->DeleteLine(1);
  form.NoteMmo->AddLine("w");
  EXPECT_EQ(form.NoteMmo->Text(), "x\r\nz\r\nw");

  // The in-place append ends as AddLine does, with one change event or none.
  for (const char* start : {"", "a", "a\r\n", "a\r\n\r\n"}) {
    for (const char* line : {"x", ""}) {
      form.NoteMmo->SetText(start);
      form.NoteMmo->AddLine(line);
      const std::string rebuilt = form.NoteMmo->Text();
      form.NoteMmo->SetText(start);
      form.Log.clear();
      form.NoteMmo->AppendLine(line);
      EXPECT_EQ(form.NoteMmo->Text(), rebuilt) << start << "+" << line;
      EXPECT_EQ(Count("NoteMmo.change"), rebuilt != start ? 1 : 0) << start << "+" << line;
    }
  }
  form.NoteMmo->SetText("a\nb\r");  // bare CR and LF are kept as written
  form.NoteMmo->AppendLine("c");
  EXPECT_EQ(form.NoteMmo->Text(), "a\nb\rc");
}

TEST_F(EditingTest, EnterInAMemoThatWantsReturnsBreaksTheLine) {
  TypeText(*form.NoteMmo, "ab");
  form.NoteMmo->SetSelStart(1);
  PressKey(*form.NoteMmo, vk::Return);
  EXPECT_EQ(form.NoteMmo->Text(), "a\r\nb");
  EXPECT_EQ(form.NoteMmo->SelStart(), 3);
  EXPECT_EQ(Count("UpdateBtn.click"), 0);
  form.NoteMmo->SetWantReturns(false);  // the default button takes Enter
  PressKey(*form.NoteMmo, vk::Return);
  EXPECT_EQ(form.NoteMmo->Text(), "a\r\nb");
  EXPECT_EQ(Count("UpdateBtn.click"), 1);
}

// Caret keys over the edit's "a中b" from caret 1 and the memo's "abcd\r\nxy\r\nlast" from 3;
// then Shift selects from the anchor over whole characters, Ctrl+A selects all.
TEST_F(EditingTest, CaretKeysMoveOverWholeCharactersAndLinesAndShiftSelects) {
  form.NameEdt->SetText(Gbk("a中b"));
  form.NameEdt->SetSelStart(1);
  form.NoteMmo->SetText("abcd\r\nxy\r\nlast");
  form.NoteMmo->SetSelStart(3);
  const struct {
    bool memo;
    std::uint16_t key;
    int caret;
  } steps[] = {{false, vk::Right, 3}, {false, vk::Left, 1},
               {false, vk::End, 4},   {true, vk::Down, 8},   // column 3 is beyond "xy"
               {true, vk::Down, 12},  {true, vk::Down, 12},  // already on the last line
               {true, vk::Home, 10},  {true, vk::Up, 6}};
  for (const auto& step : steps) {
    TCustomEdit& edit = step.memo ? static_cast<TCustomEdit&>(*form.NoteMmo) : *form.NameEdt;
    PressKey(edit, step.key);
    EXPECT_EQ(edit.SelStart(), step.caret) << edit.Name << " key " << step.key;
  }

  TEdit& edit = *form.NameEdt;
  edit.SetText(Gbk("ab中cd"));
  edit.SetSelStart(2);
  const struct {
    std::uint16_t key;
    TShiftState shift;
    int start, length;
  } selects[] = {
      {vk::Right, ssShift, 2, 2},  // the whole double-byte character
      {vk::Home, ssShift, 0, 2},   // across the anchor
      {vk::End, ssShift, 2, 4},   {vk::Left, 0, 2, 0}, {'A', ssCtrl, 0, 6},
  };
  for (const auto& step : selects) {
    PressKey(edit, step.key, step.shift);
    EXPECT_EQ(edit.SelStart(), step.start) << step.key;
    EXPECT_EQ(edit.SelLength(), step.length) << step.key;
  }
  TypeText(edit, "x");
  EXPECT_EQ(edit.Text(), "x");
}

// A double click selects the word at the caret (a Chinese word too); between words nothing.
TEST(EditWords, ADoubleClickSelectsTheWordAtTheCaret) {
  const std::string text = "ab  " + Gbk("中文") + " c\r\nd";  // 13 bytes
  const std::pair<int, const char*> cases[] = {{0, "ab"}, {2, "ab"}, {3, ""},  {5, "中文"},
                                               {9, "c"},  {11, ""},  {13, "d"}};
  for (const auto& [pos, word] : cases) {
    EditBuffer buffer{text};
    SelectWordAt(buffer, pos);
    EXPECT_EQ(SelectedText(buffer), Gbk(word)) << pos;
  }
}

// Tab into a one-line edit (or the form opening on it) selects its text; a memo keeps
// its caret, and so does a click.
TEST_F(EditingTest, TabIntoAnEditSelectsItsText) {
  TSampleFrm opened;
  opened.NameEdt->SetText("abc");
  opened.BeginModal();
  EXPECT_EQ(opened.NameEdt->SelText(), "abc");
  form.NoteMmo->SetText("note");
  form.CityEdt->SetText("Shanghai");
  PressKey(*form.NameEdt, vk::Tab);
  EXPECT_EQ(form.NoteMmo->SelLength(), 0);
  PressKey(*form.NoteMmo, vk::Tab);
  EXPECT_EQ(form.CityEdt->SelText(), "Shanghai");
  TypeText(*form.CityEdt, "Beijing");
  EXPECT_EQ(form.CityEdt->Text(), "Beijing");
  FocusByOperator(*form.NameEdt);
  FocusByOperator(*form.CityEdt);
  EXPECT_EQ(form.CityEdt->SelLength(), 0);
}

// A derived edit that puts the old text back on a digit, as the dialogs' restricted edits do.
TEST_F(EditingTest, ChangeOverrideSeesEveryChangeBeforeHandlersAndMayUndoIt) {
  class TNoDigitsEdit : public TEdit {
   public:
    using TEdit::TEdit;
    std::string saved;
    void KeyDown(std::uint16_t& key, TShiftState shift) override {
      saved = Text();
      TEdit::KeyDown(key, shift);
    }

   protected:
    void Change() override {
      if (Text().find_first_of("0123456789") != std::string::npos) {
        SetText(saved);
        SetSelStart(static_cast<int>(saved.size()));
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
  EXPECT_EQ(changes, 4);  // a, b, the restore, c
}

// A lead byte without its trail byte is one character: Backspace, Delete and the caret
// never take the byte after it (a field separator, a line break) along with it.
TEST(EditBufferBroken, BackspaceDeleteAndTheCaretStopAfterABrokenLeadByte) {
  const struct {
    bool memo;
    std::string text;
    int caret;
    bool back;
    std::string expected;
    int caretAfter;
  } cases[] = {
      {false, "\xB0\x07x", 2, true, "\xB0x", 1},   {false, "\xB0\x07x", 0, false, "\x07x", 0},
      {false, "\xB0\xA1\x07", 2, true, "\x07", 0}, {false, "a\xB0", 2, true, "a", 1},
      {false, "\xB0\x7F", 0, false, "\x7F", 0},    {true, "\xB0\r\nx", 3, true, "\xB0x", 1},
      {true, "\xB0\r\nx", 0, false, "\r\nx", 0},
  };
  for (const auto& c : cases) {
    EditBuffer buffer{c.text, c.caret, 0, 0, c.memo};
    EXPECT_TRUE(c.back ? DeleteBackward(buffer) : DeleteForward(buffer)) << c.expected;
    EXPECT_EQ(buffer.Text, c.expected);
    EXPECT_EQ(buffer.SelStart, c.caretAfter) << c.expected;
  }
  const struct {
    std::string text;
    int pos, start, prev, next;
  } carets[] = {
      {"\xB0\x07x", 1, 1, 0, 2}, {"\xB0\xA1x", 1, 0, 0, 2}, {"\xB0 \xB0\xA1", 3, 2, 2, 4}};
  for (const auto& c : carets) {
    const EditBuffer buffer{c.text, 0, 0, 0, false};
    EXPECT_EQ(CharStart(buffer, c.pos), c.start) << c.pos;
    EXPECT_EQ(PrevCharBoundary(buffer, c.pos), c.prev) << c.pos;
    EXPECT_EQ(NextCharBoundary(buffer, c.pos), c.next) << c.pos;
  }
  EditBuffer buffer{"\xB0\x07x", 0, 0, 0, false};
  SetSelection(buffer, 1, 1);
  EXPECT_EQ(SelectedText(buffer), "\x07");
}

}  // namespace
}  // namespace ui_test
