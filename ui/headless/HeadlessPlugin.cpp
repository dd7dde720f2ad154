// The entry point of libTavroUiHeadless.so: hands the platform choice the headless
// platform. Built into the plugin only; programs that link the headless library call
// HeadlessPlatform themselves.
#include "sys/Abi.h"
#include "ui/PlatformPlugin.h"
#include "ui/headless/HeadlessPlatform.h"

namespace {

std::unique_ptr<ui::Platform> MakeHeadless() {
  return ui::HeadlessPlatform::FromEnvironment();
}

}  // namespace

TAVRO_EXPORT const ui::PlatformPlugin* TavroUiPlatformPlugin() {
  static const ui::PlatformPlugin plugin{ui::kPlatformPluginVersion, &MakeHeadless, nullptr};
  return &plugin;
}
