// The platform choice of the module and the registry of its desktop platform.
#include "ui/PlatformFactory.h"

#include <cstdlib>

#include "ui/headless/HeadlessPlatform.h"

namespace ui {
namespace {

struct Desktop {
  PlatformMaker Make = nullptr;
  DisplayProbe Probe = nullptr;
};

// Filled once, while the module is loaded, by the desktop platform's registration.
Desktop& Registered() {
  static Desktop desktop;
  return desktop;
}

bool Set(const char* value) {
  return value != nullptr && *value != 0;
}

}  // namespace

void RegisterDesktopPlatform(PlatformMaker make, DisplayProbe probe) {
  Registered() = Desktop{make, probe};
}

bool DesktopPlatformBuilt() {
  return Registered().Make != nullptr;
}

PlatformChoice ChoosePlatform(const char* ui, const char* script, bool desktopBuilt,
                              DisplayProbe display) {
  PlatformChoice choice;
  std::string why;
  if (Set(ui)) {
    const std::string kind = ui;
    if (kind != "qt" && kind != "headless") {
      choice.Error = "unknown user interface: " + kind + " (TAVRO_UI takes qt or headless)";
    } else if (kind == "qt" && !desktopBuilt) {
      choice.Error = "TAVRO_UI=qt, but this module was built without the Qt platform";
    } else if (kind == "qt" && display != nullptr && !display(why)) {
      choice.Error = "TAVRO_UI=qt, but no display can be reached: " + why;
    } else {
      choice.Kind = kind;
    }
    return choice;
  }
  choice.Kind = "headless";
  if (Set(script)) {
    return choice;  // a script is played headless unless the desktop is asked for
  }
  if (!desktopBuilt) {
    choice.Notice =
        "ManageEdit: the dialogs run headless (this module was built without the Qt platform)";
  } else if (display == nullptr || !display(why)) {
    choice.Notice = "ManageEdit: the dialogs run headless, since no display can be reached (" +
                    why + "); TAVRO_UI=headless chooses this without the notice";
  } else {
    choice.Kind = "qt";
  }
  return choice;
}

PlatformChoice ChoosePlatformFromEnvironment() {
  return ChoosePlatform(std::getenv("TAVRO_UI"), std::getenv("TAVRO_UI_SCRIPT"),
                        DesktopPlatformBuilt(), Registered().Probe);
}

std::unique_ptr<Platform> CreatePlatform(const std::string& kind) {
  if (kind == "headless") {
    return HeadlessPlatform::FromEnvironment();
  }
  if (kind == "qt" && Registered().Make != nullptr) {
    return Registered().Make();
  }
  return nullptr;
}

}  // namespace ui
