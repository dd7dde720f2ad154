// Which platform the module runs its dialogs on, and making it.
//
// The control model never links a platform. Each platform is a plugin beside the module
// (ui/PlatformPlugin.h): libTavroUiHeadless.so, always built, and libTavroUiQt.so, built
// when Qt is. A plugin is loaded by name from the folder of the control model's library,
// which sits beside the module, when a platform of its kind is first needed, and stays
// loaded.
//
// The choice (ChoosePlatform) is made once, when an entry point first needs a platform:
//   TAVRO_UI=qt        the desktop platform (an error when its plugin cannot be loaded or
//                      there is no display)
//   TAVRO_UI=headless  the headless platform
//   TAVRO_UI unset     headless when TAVRO_UI_SCRIPT names a script; otherwise the desktop
//                      when its plugin loads and a display is reachable; otherwise
//                      headless, with one line on standard error saying why.
//
// On Windows the desktop is TAVRO_UI=win32, linked into the module (no plugin file), and
// a script plays on it too when a display is reachable: its windows show what is played,
// and the transcript is the headless one.
#pragma once

#include <memory>
#include <string>

#include "ui/Platform.h"

namespace ui {

using PlatformMaker = std::unique_ptr<Platform> (*)();
// True when the desktop can open windows now; otherwise why says what is missing.
using DisplayProbe = bool (*)(std::string& why);

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

// The choice for this process's environment (TAVRO_UI, TAVRO_UI_SCRIPT) and plugins.
PlatformChoice ChoosePlatformFromEnvironment();

// Creates a platform by its name ("headless", "qt") as the environment configures it.
// Null for an unknown name or a platform whose plugin cannot be loaded; a plugin that
// cannot be loaded is reported in one line on standard error.
std::unique_ptr<Platform> CreatePlatform(const std::string& kind);

}  // namespace ui
