// Registers the Qt platform with the platform choice when the module is loaded. This
// file is linked into the module itself (not kept in an archive, where nothing would
// pull it in), which is the one place that knows both the model and Qt.
#include "ui/PlatformFactory.h"
#include "ui/qt/QtPlatform.h"

namespace {

const bool kRegistered = [] {
  ui::RegisterDesktopPlatform(&ui::CreateQtPlatform, &ui::QtDisplayReachable);
  return true;
}();

}  // namespace
