// The headless platform's plugin record, and the entry point of libTavroUiHeadless.so
// that hands it to the platform choice. Built into the plugin on Linux and into the
// headless library on Windows, whose module links the platform in; programs that link
// the headless library otherwise call HeadlessPlatform themselves.
#include "ui/headless/HeadlessPlugin.h"

#include "sys/Abi.h"
#include "ui/headless/HeadlessPlatform.h"

namespace ui {

namespace {

std::unique_ptr<Platform> MakeHeadless() {
  return HeadlessPlatform::FromEnvironment();
}

}  // namespace

const PlatformPlugin& HeadlessPlatformPlugin() {
  static const PlatformPlugin plugin{kPlatformPluginVersion, &MakeHeadless, nullptr};
  return plugin;
}

}  // namespace ui

TAVRO_EXPORT const ui::PlatformPlugin* TavroUiPlatformPlugin() {
  return &ui::HeadlessPlatformPlugin();
}
