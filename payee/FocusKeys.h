// The key handler that the payee dialogs share for their entry fields: Enter and the
// arrow keys walk the tab order, so a clerk can fill a form without the mouse.
#pragma once

#include <cstdint>

#include "ui/Control.h"

namespace payee {

// Down arrow (and Enter) moves the focus to the next control in tab order, Up arrow to
// the previous one; the key is then consumed (set to 0). Other keys pass untouched.
// A form with a default button gives Enter to that button before any control sees it,
// so there Enter never reaches this handler.
void MoveFocusByKey(ui::TComponent* sender, std::uint16_t& key, ui::TShiftState shift);

}  // namespace payee
