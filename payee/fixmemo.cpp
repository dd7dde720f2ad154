#include "payee/fixmemo.h"

#include "payee/SwiftText.h"

namespace payee {

TFixedMemo::TFixedMemo(ui::TComponent* owner, std::string name)
    : ui::TMemo(owner, std::move(name)), Mapstr(kSwiftBodySet), HeadMapstr(kSwiftHeadSet) {
  WordWrap = false;
  WantReturns = true;
  ui::TFont font = Font();
  font.Name = "Courier New";
  SetFont(font);
}

// Lines past the new limit go, one deletion at a time, each an ordinary change. The
// count is bounded so that a deletion that changes nothing cannot loop.
void TFixedMemo::SetMaxline(int maxline) {
  if (maxline > 0) {
    for (int excess = LineCount() - maxline; excess > 0 && LineCount() > maxline; --excess) {
      DeleteLine(maxline);
    }
  }
  maxline_ = maxline;
}

// Backspace and Delete are never validated; any other key keeps the text and caret
// so that what it does can be taken back.
void TFixedMemo::KeyDown(std::uint16_t& key, ui::TShiftState shift) {
  if (key == ui::vk::Back || key == ui::vk::Delete) {
    armed_ = false;
  } else {
    savedText_ = Text();
    savedCaret_ = SelStart();
    armed_ = true;
  }
  ui::TMemo::KeyDown(key, shift);
}

// The line count leaves out an empty last line, so Enter at the end of the last
// allowed line is accepted and only the first character typed after it is refused.
bool TFixedMemo::Acceptable() const {
  ui::TStrings lines = Lines();
  if (maxline_ > 0 && static_cast<int>(lines.size()) > maxline_) {
    return false;
  }
  int codePage = SwiftCodePage();
  for (const std::string& line : lines) {
    if (!IsSwiftLine(line, CharPerLine, codePage)) {
      return false;
    }
  }
  return true;
}

void TFixedMemo::Change() {
  if (armed_) {
    if (!Acceptable()) {
      Undo();
      return;
    }
    // What was accepted is what a later refusal returns to, so a change refused
    // after an accepted one never takes the accepted one with it.
    savedText_ = Text();
    savedCaret_ = SelStart();
  }
  ui::TMemo::Change();
}

// The whole text goes back in one change, line breaks as they were (a final one
// included), so a refused key leaves exactly what was there before it.
void TFixedMemo::Undo() {
  armed_ = false;
  SetText(savedText_);
  SetSelStart(savedCaret_);
}

}  // namespace payee
