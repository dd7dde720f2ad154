// The Win32 desktop platform: every dialog of the module in native windows of the
// common controls (ui/win32/Win32Desktop.h). This is its one public header, free of
// <windows.h>, so that the module's start records it with the platform choice
// (ui/PlatformPlugin.h) as it records the headless platform.
//
// The platform takes its settings from the environment as the headless one does: with
// TAVRO_UI_SCRIPT it plays that operator script through the model with the windows on
// screen and writes the same transcript; without one, the operator drives the windows.
// With a script and TAVRO_UI_SHOT_DIR naming a folder, a BMP picture of every form (as it
// opens and as the script leaves it) goes there (ui/win32/WindowPicture.h).
#pragma once

#include <memory>
#include <string>

#include "ui/Platform.h"
#include "ui/PlatformPlugin.h"

namespace ui {

// The platform as the environment configures it.
std::unique_ptr<Platform> CreateWin32Platform();

// Whether this process can open windows now (a window station with a desktop, and under
// Wine a display); otherwise false, and why says what failed.
bool Win32DisplayReachable(std::string& why);

// The record the platform choice takes: CreateWin32Platform and its display probe.
const PlatformPlugin& Win32PlatformPlugin();

}  // namespace ui
