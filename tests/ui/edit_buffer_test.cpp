// The edit buffer over text with broken GBK characters: a lead byte without its trail
// byte is one character, so Backspace, Delete and the caret never take the byte after
// it (a field separator, a line break) along with it.
#include <gtest/gtest.h>

#include <string>

#include "ui/EditBuffer.h"

namespace {

using ui::EditBuffer;

enum class Key { Back, Delete };

struct DeleteCase {
  const char* what;
  bool memo;
  std::string text;
  int caret;
  Key key;
  std::string expected;
  int caretAfter;
};

TEST(EditBufferBroken, BackspaceAndDeleteRemoveOneCharacter) {
  const DeleteCase cases[] = {
      {"Backspace after a separator", false, "\xB0\x07x", 2, Key::Back, "\xB0x", 1},
      {"Backspace after a broken lead", false, "\xB0\x07x", 1, Key::Back, "\x07x", 0},
      {"Delete on a broken lead", false, "\xB0\x07x", 0, Key::Delete, "\x07x", 0},
      {"Delete on the separator", false, "\xB0\x07x", 1, Key::Delete, "\xB0x", 1},
      {"Backspace after a separator after a pair", false, "\xB0\xA1\x07", 3, Key::Back, "\xB0\xA1",
       2},
      {"Backspace after a pair", false, "\xB0\xA1\x07", 2, Key::Back, "\x07", 0},
      {"Backspace on a lead at the end", false, "a\xB0", 2, Key::Back, "a", 1},
      {"Delete on a lead before 0x7F", false, "\xB0\x7F", 0, Key::Delete, "\x7F", 0},
      {"Backspace after a line break after a broken lead", true, "\xB0\r\nx", 3, Key::Back, "\xB0x",
       1},
      {"Delete on a broken lead before a line break", true, "\xB0\r\nx", 0, Key::Delete, "\r\nx",
       0},
  };
  for (const auto& c : cases) {
    EditBuffer buffer{c.text, c.caret, 0, 0, c.memo};
    const bool changed =
        c.key == Key::Back ? ui::DeleteBackward(buffer) : ui::DeleteForward(buffer);
    EXPECT_TRUE(changed) << c.what;
    EXPECT_EQ(buffer.Text, c.expected) << c.what;
    EXPECT_EQ(buffer.SelStart, c.caretAfter) << c.what;
    EXPECT_EQ(buffer.SelLength, 0) << c.what;
  }
}

struct CaretCase {
  const char* what;
  std::string text;
  int pos;
  int start;
  int prev;
  int next;
};

TEST(EditBufferBroken, CaretStopsAfterABrokenLeadByte) {
  const CaretCase cases[] = {
      {"on the separator after a broken lead", "\xB0\x07x", 1, 1, 0, 2},
      {"on the trail byte of a pair", "\xB0\xA1x", 1, 0, 0, 2},
      {"after a broken lead before a pair", "\xB0 \xB0\xA1", 3, 2, 2, 4},
  };
  for (const auto& c : cases) {
    const EditBuffer buffer{c.text, 0, 0, 0, false};
    EXPECT_EQ(ui::CharStart(buffer, c.pos), c.start) << c.what;
    EXPECT_EQ(ui::PrevCharBoundary(buffer, c.pos), c.prev) << c.what;
    EXPECT_EQ(ui::NextCharBoundary(buffer, c.pos), c.next) << c.what;
  }
}

TEST(EditBufferBroken, SelectionEdgesKeepTheSeparatorApart) {
  EditBuffer buffer{"\xB0\x07x", 0, 0, 0, false};
  ui::SetSelection(buffer, 1, 1);
  EXPECT_EQ(buffer.SelStart, 1);
  EXPECT_EQ(ui::SelectedText(buffer), "\x07");
}

TEST(EditBufferBroken, AMaximumLengthTakesABrokenLeadByteAlone) {
  EditBuffer buffer{"", 0, 0, 1, false};
  EXPECT_TRUE(ui::ReplaceSelection(buffer, "\xB0 "));
  EXPECT_EQ(buffer.Text, "\xB0");
  EXPECT_EQ(buffer.SelStart, 1);
}

}  // namespace
