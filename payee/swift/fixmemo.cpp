#include "payee/swift/fixmemo.h"

#include "payee/swift/SwiftText.h"

namespace payee {

TFixedMemo::TFixedMemo(ui::TComponent* owner, std::string name)
    : ui::TMemo(owner, std::move(name)) {
  SetWordWrap(false);
  SetWantReturns(true);
  ui::TFont font = Font();
  font.Name = "Courier New";
  SetFont(font);
}

// Lines past the new limit go, one deletion at a time, each an ordinary change. While
// armed, a deletion can be refused (another line breaks the rules); the refusal
// disarms, so the next deletion passes. A second deletion in a row that removes
// nothing ends the loop rather than spinning.
void TFixedMemo::SetMaxline(int maxline) {
  if (maxline > 0) {
    int stalls = 0;
    for (int count = LineCount(); count > maxline && stalls < 2;) {
      DeleteLine(maxline);
      const int after = LineCount();
      stalls = after < count ? 0 : stalls + 1;
      count = after;
    }
  }
  maxline_ = maxline;
}

// Backspace and Delete are never validated; any other key arms the guard.
void TFixedMemo::KeyDown(std::uint16_t& key, ui::TShiftState shift) {
  GuardKeyDown(guard_, *this, key);
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
    if (!IsSwiftLine(line, charPerLine_, codePage)) {
      return false;
    }
  }
  return true;
}

// Listeners hear only accepted changes and the restoring of a refused one.
void TFixedMemo::Change() {
  if (GuardChange(guard_, *this, [this] { return Acceptable(); })) {
    ui::TMemo::Change();
  }
}

}  // namespace payee
