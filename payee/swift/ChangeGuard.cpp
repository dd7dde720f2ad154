// The change guard shared by the SWIFT-restricted edit and memo.
#include "payee/swift/ChangeGuard.h"

namespace payee {

void GuardKeyDown(TChangeGuard& guard, const ui::TCustomEdit& edit, std::uint16_t key) {
  if (key == ui::vk::Back || key == ui::vk::Delete) {
    guard.Armed = false;
    return;
  }
  guard.SavedText = edit.Text();
  guard.SavedCaret = edit.SelStart();
  guard.Armed = true;
}

// The whole text goes back in one change, so a refused key leaves exactly what was
// there before it.
void UndoGuardedChange(TChangeGuard& guard, ui::TCustomEdit& edit) {
  guard.Armed = false;
  edit.SetText(guard.SavedText);
  edit.SetSelStart(guard.SavedCaret);
}

void KeepAcceptedChange(TChangeGuard& guard, const ui::TCustomEdit& edit) {
  guard.SavedText = edit.Text();
  guard.SavedCaret = edit.SelStart();
}

}  // namespace payee
