// A picture of a window as the screen shows it, for the gallery of the dialogs: the
// window's pixels, frame and caption included, copied from its device context and
// written as a 24-bit BMP file, the format Windows writes without an image library (the
// gallery script turns them into PNG files). The caret is hidden while the pixels are
// copied, so that two runs give the same picture whatever the moment of its blink.
#pragma once

#include <string>

#include "ui/win32/WinApi.h"

namespace ui::win32 {

// Writes the window's picture to path (UTF-8), after letting it paint what is pending.
// False, with why, when the window is gone or shows nothing, or the file cannot be
// written.
bool SaveWindowPicture(HWND window, const std::string& path, std::string& why);

}  // namespace ui::win32
