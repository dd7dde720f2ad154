// The Windows module's start: ManageEdit.dll carries its platforms linked in, since no
// plugin file stands beside it, and records them with the platform choice when the
// process loads it, before any entry point runs: the headless platform and the Win32
// desktop.
#include <exception>

#include "sys/Win32Api.h"
#include "ui/PlatformPlugin.h"
#include "ui/headless/HeadlessPlugin.h"
#include "ui/win32/Win32Platform.h"

// NOLINTNEXTLINE(readability-identifier-naming): the name and shape the loader calls
extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
  if (reason != DLL_PROCESS_ATTACH) {
    return TRUE;
  }
  // No exception may leave into the loader: a module that cannot record its platform
  // refuses to load, and the caller's LoadLibrary fails instead.
  try {
    ui::LinkPlatformPlugin("headless", ui::HeadlessPlatformPlugin());
    ui::LinkPlatformPlugin("win32", ui::Win32PlatformPlugin());
  } catch (const std::exception&) {
    return FALSE;
  }
  return TRUE;
}
