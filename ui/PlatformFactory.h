// Which platform the module runs its dialogs on, and making it.
//
// The headless platform is always there. A desktop platform (ui/qt) is built only when
// Qt is, and then registers itself here when the module is loaded, so this file and the
// rest of the control model never depend on Qt:
//
//   ui::RegisterDesktopPlatform(&ui::CreateQtPlatform, &ui::QtDisplayReachable);
//
// The choice (ChoosePlatform) is made once, when an entry point first needs a platform:
//   TAVRO_UI=qt        the desktop platform (an error when it is not built or has no display)
//   TAVRO_UI=headless  the headless platform
//   TAVRO_UI unset     headless when TAVRO_UI_SCRIPT names a script; otherwise the desktop
//                      when it is built and a display is reachable; otherwise headless,
//                      with one line on standard error saying why.
#pragma once

#include <memory>
#include <string>

#include "ui/Platform.h"

namespace ui {

using PlatformMaker = std::unique_ptr<Platform> (*)();
// True when the desktop can open windows now; otherwise why says what is missing.
using DisplayProbe = bool (*)(std::string& why);

// Makes the desktop platform available under the name "qt". A later call replaces it.
void RegisterDesktopPlatform(PlatformMaker make, DisplayProbe probe);
bool DesktopPlatformBuilt();

// The outcome of the choice: the platform's name ("qt" or "headless"), or an error
// for a choice that cannot be met; Notice is the line for standard error when the
// choice fell back to headless on its own.
struct PlatformChoice {
  std::string Kind;
  std::string Error;
  std::string Notice;
};

// The choice for these settings (null or empty: unset). display is asked only when the
// answer depends on it.
PlatformChoice ChoosePlatform(const char* ui, const char* script, bool desktopBuilt,
                              DisplayProbe display);

// The choice for this process's environment (TAVRO_UI, TAVRO_UI_SCRIPT) and build.
PlatformChoice ChoosePlatformFromEnvironment();

// Creates a platform by its name ("headless", "qt") as the environment configures it.
// Null for an unknown name or a platform that is not built.
std::unique_ptr<Platform> CreatePlatform(const std::string& kind);

}  // namespace ui
