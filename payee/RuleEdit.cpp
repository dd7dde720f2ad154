#include "payee/RuleEdit.h"

#include "payee/SwiftText.h"

namespace payee {

TRuleEdit::TRuleEdit(ui::TComponent* owner, std::string name)
    : ui::TEdit(owner, std::move(name)), Mapstr(kSwiftBodySet), HeadMapstr(kSwiftHeadSet) {
  ui::TFont font = Font();
  font.Name = "Courier New";
  SetFont(font);
}

// Backspace and Delete are never validated; any other key keeps the text and caret
// so that what it does can be taken back.
void TRuleEdit::KeyDown(std::uint16_t& key, ui::TShiftState shift) {
  if (key == ui::vk::Back || key == ui::vk::Delete) {
    armed_ = false;
  } else {
    savedText_ = Text();
    savedCaret_ = SelStart();
    armed_ = true;
  }
  ui::TEdit::KeyDown(key, shift);
}

// Listeners hear only accepted changes and the restoring of a refused one.
void TRuleEdit::Change() {
  if (armed_) {
    if (!IsSwiftLine(Text(), 0, SwiftCodePage())) {
      Undo();
      return;
    }
    // What was accepted is what a later refusal returns to, so a change refused
    // after an accepted one never takes the accepted one with it.
    savedText_ = Text();
    savedCaret_ = SelStart();
  }
  ui::TEdit::Change();
}

// Disarmed first, so that putting the text back passes as an ordinary change.
void TRuleEdit::Undo() {
  armed_ = false;
  SetText(savedText_);
  SetSelStart(savedCaret_);
}

}  // namespace payee
