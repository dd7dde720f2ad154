#include "ui/Platform.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "ui/PlatformFactory.h"

namespace ui {
namespace {

// The platform of this module instance. Created when an entry point first needs one,
// replaced only by tests.
std::unique_ptr<Platform>& Slot() {
  static std::unique_ptr<Platform> platform;
  return platform;
}

}  // namespace

Platform& CurrentPlatform() {
  auto& slot = Slot();
  if (!slot) {
    const char* env = std::getenv("TAVRO_UI");
    const std::string kind = env && *env ? env : "headless";
    slot = CreatePlatform(kind);
    if (!slot) {
      throw std::runtime_error("unknown user interface: " + kind);
    }
  }
  return *slot;
}

std::unique_ptr<Platform> InstallPlatform(std::unique_ptr<Platform> platform) {
  auto previous = std::move(Slot());
  Slot() = std::move(platform);
  return previous;
}

void EndEntryCall() {
  const char* script = std::getenv("TAVRO_UI_SCRIPT");
  if (!Slot() && (script == nullptr || *script == 0)) {
    return;
  }
  CurrentPlatform().EntryCallEnded();
}

void ShowMessage(const std::string& text) {
  CurrentPlatform().MessageBox(kAppTitle, text, MsgButtons::Ok, MsgIcon::None);
}

bool AskYesNo(const std::string& caption, const std::string& text, MsgIcon icon,
              int defaultButton) {
  return CurrentPlatform().MessageBox(caption, text, MsgButtons::YesNo, icon, defaultButton) ==
         mrYes;
}

OwnerWindowScope::OwnerWindowScope(HWND_T owner) : previous_(CurrentPlatform().OwnerWindow()) {
  CurrentPlatform().SetOwnerWindow(owner);
}

OwnerWindowScope::~OwnerWindowScope() {
  CurrentPlatform().SetOwnerWindow(previous_);
}

}  // namespace ui
