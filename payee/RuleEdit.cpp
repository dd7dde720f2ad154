#include "payee/RuleEdit.h"

#include "payee/swift/SwiftText.h"

namespace payee {

TRuleEdit::TRuleEdit(ui::TComponent* owner, std::string name) : ui::TEdit(owner, std::move(name)) {
  ui::TFont font = Font();
  font.Name = "Courier New";
  SetFont(font);
}

// Backspace and Delete are never validated; any other key arms the guard.
void TRuleEdit::KeyDown(std::uint16_t& key, ui::TShiftState shift) {
  GuardKeyDown(guard_, *this, key);
  ui::TEdit::KeyDown(key, shift);
}

// Listeners hear only accepted changes and the restoring of a refused one.
void TRuleEdit::Change() {
  if (GuardChange(guard_, *this, [this] { return IsSwiftLine(Text(), 0, SwiftCodePage()); })) {
    ui::TEdit::Change();
  }
}

}  // namespace payee
