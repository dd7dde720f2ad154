#include "ui/Dialogs.h"

#include "ui/Platform.h"

namespace ui {

bool TPrintDialog::Execute() {
  return CurrentPlatform().PrintDialog();
}

}  // namespace ui
