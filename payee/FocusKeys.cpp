// Focus moves by Enter, Up and Down for the payee dialogs' entry fields.
#include "payee/FocusKeys.h"

#include "ui/Forms.h"

namespace payee {

void MoveFocusByKey(ui::TComponent* sender, std::uint16_t& key, ui::TShiftState /*shift*/) {
  const bool forward = key == ui::vk::Down || key == ui::vk::Return;
  if (!forward && key != ui::vk::Up) {
    return;
  }
  auto* control = dynamic_cast<ui::TWinControl*>(sender);
  ui::TForm* form = control != nullptr ? control->ParentForm() : nullptr;
  if (form == nullptr) {
    return;
  }
  key = 0;
  form->SelectNext(control, forward);
}

}  // namespace payee
