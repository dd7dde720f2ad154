// The platform of this module instance: chosen on first use (ui/PlatformFactory.h),
// replaced only by tests; and the module's own boxes on it.
#include "ui/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "ui/PlatformFactory.h"

namespace ui {
namespace {

// The platform of this module instance and the language of the entry call under way.
// The platform is created when an entry point first needs one, replaced only by tests.
// It is never destroyed at exit: the Qt platform's objects must go before Qt's own
// process-wide ones, which exit handlers destroy first (a Qt program destroys its
// application before main returns; the module has no such point).
struct PlatformSlot {
  std::unique_ptr<Platform> Current;
  std::optional<std::string> Language;  // set by BeginEntryCall, given to a new platform
};

PlatformSlot& TheSlot() {
  static auto* slot = new PlatformSlot();
  return *slot;
}

std::unique_ptr<Platform>& Slot() {
  return TheSlot().Current;
}

}  // namespace

Platform& CurrentPlatform() {
  auto& slot = Slot();
  if (!slot) {
    const PlatformChoice choice = ChoosePlatformFromEnvironment();
    if (!choice.Error.empty()) {
      throw std::runtime_error(choice.Error);
    }
    if (!choice.Notice.empty()) {
      std::fprintf(stderr, "%s\n", choice.Notice.c_str());
    }
    slot = CreatePlatform(choice.Kind);
    if (!slot) {
      // CreatePlatform has said why on standard error.
      throw std::runtime_error("user interface not available: " + choice.Kind);
    }
    if (TheSlot().Language) {
      slot->SetLanguage(*TheSlot().Language);
    }
  }
  return *slot;
}

std::unique_ptr<Platform> InstallPlatform(std::unique_ptr<Platform> platform) {
  auto previous = std::move(Slot());
  Slot() = std::move(platform);
  return previous;
}

void BeginEntryCall(const std::string& locale) {
  TheSlot().Language = locale;
  if (Slot()) {
    Slot()->SetLanguage(locale);
  }
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

HourglassScope::HourglassScope() {
  CurrentPlatform().SetHourglass(true);
}

HourglassScope::~HourglassScope() {
  CurrentPlatform().SetHourglass(false);
}

OwnerWindowScope::OwnerWindowScope(HWND_T owner) : previous_(CurrentPlatform().OwnerWindow()) {
  CurrentPlatform().SetOwnerWindow(owner);
}

OwnerWindowScope::~OwnerWindowScope() {
  CurrentPlatform().SetOwnerWindow(previous_);
}

}  // namespace ui
