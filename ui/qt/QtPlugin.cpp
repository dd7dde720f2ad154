// The entry point of libTavroUiQt.so: hands the platform choice the Qt desktop platform
// and its display probe. The one place that knows both the platform choice and Qt.
#include "sys/Abi.h"
#include "ui/PlatformPlugin.h"
#include "ui/qt/QtPlatform.h"

TAVRO_EXPORT const ui::PlatformPlugin* TavroUiPlatformPlugin() {
  static const ui::PlatformPlugin plugin{ui::kPlatformPluginVersion, &ui::CreateQtPlatform,
                                         &ui::QtDisplayReachable};
  return &plugin;
}
