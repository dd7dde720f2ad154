// Making the Win32 platform from the environment, and its display probe.
#include "ui/win32/Win32Platform.h"

#include <cstdlib>

#include "ui/script/ScriptRunner.h"
#include "ui/win32/Win32Desktop.h"
#include "ui/win32/WinApi.h"

namespace ui {

std::unique_ptr<Platform> CreateWin32Platform() {
  std::unique_ptr<ScriptRunner> script;
  if (const char* file = std::getenv("TAVRO_UI_SCRIPT"); file != nullptr && *file != 0) {
    script = ScriptRunner::FromEnvironment();
  }
  const bool scripted = script != nullptr;
  auto desktop = std::make_unique<win32::Win32Desktop>(std::move(script));
  // Read wide, so that a folder of any name reaches the files as UTF-8.
  if (const wchar_t* folder = _wgetenv(L"TAVRO_UI_SHOT_DIR");
      scripted && folder != nullptr && *folder != 0) {
    desktop->SetShotFolder(sys::win32::Narrow(folder));
  }
  return desktop;
}

// A window that is never shown: made, it proves the desktop takes windows.
bool Win32DisplayReachable(std::string& why) {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (probe == nullptr) {
    why = "no window can be made on this desktop: " + sys::win32::LastErrorText();
    return false;
  }
  DestroyWindow(probe);
  why.clear();
  return true;
}

const PlatformPlugin& Win32PlatformPlugin() {
  static const PlatformPlugin plugin{kPlatformPluginVersion, &CreateWin32Platform,
                                     &Win32DisplayReachable};
  return plugin;
}

}  // namespace ui
