// The change guard of the SWIFT-restricted edit and memo: a key press (other than
// Backspace or Delete) arms it and keeps the text and caret; a change that fails the
// control's check while armed is taken back silently. Deletions and changes made by
// code while disarmed are never checked.
#pragma once

#include <cstdint>
#include <string>

#include "ui/Edits.h"

namespace payee {

struct TChangeGuard {
  bool Armed = false;     // a key press's effect is still to be validated
  std::string SavedText;  // the text at that key press, or as last accepted since,
                          // line breaks as they were
  int SavedCaret = 0;     // selection start then
};

// Key down: Backspace and Delete disarm; any other key keeps the edit's text and caret
// so that what it does can be taken back.
void GuardKeyDown(TChangeGuard& guard, const ui::TCustomEdit& edit, std::uint16_t key);

// Puts the saved text and caret back, disarmed first so that the restoring passes.
void UndoGuardedChange(TChangeGuard& guard, ui::TCustomEdit& edit);
// An armed change that passed becomes what a later refusal returns to, so a change
// refused after an accepted one never takes the accepted one with it.
void KeepAcceptedChange(TChangeGuard& guard, const ui::TCustomEdit& edit);

// A change of the edit's text; acceptable is the control's own check, asked only while
// armed. Returns whether the change goes on to the listeners; false when it was taken
// back (the restoring itself then went to them as an ordinary change).
template <class Check>
bool GuardChange(TChangeGuard& guard, ui::TCustomEdit& edit, Check&& acceptable) {
  if (!guard.Armed) {
    return true;
  }
  if (!acceptable()) {
    UndoGuardedChange(guard, edit);
    return false;
  }
  KeepAcceptedChange(guard, edit);
  return true;
}

}  // namespace payee
