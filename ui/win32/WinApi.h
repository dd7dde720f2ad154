// The Win32 API as the Win32 platform's files use it: <windows.h> (sys/Win32Api.h) and
// the common controls, with the two macros taken back that would rename the control
// model's own members (Platform::MessageBox, PrinterCanvas::TextOut); the platform calls
// the wide functions by their W names; and the one cast from the API's integers to its
// pointers. Included before any model header.
#pragma once

#include "sys/Win32Api.h"
// clang-format off
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

#undef MessageBox
#undef TextOut

#include <cstdint>

namespace ui::win32 {

// A pointer or handle that a message, a window's data or a property carries as an
// integer (LPARAM, LONG_PTR, DWORD_PTR, a colour index as brush): the Win32 API's own
// way, cast in this one place.
template <class T>
T FromInteger(std::intptr_t value) {
  return reinterpret_cast<T>(value);  // NOLINT(performance-no-int-to-ptr)
}

}  // namespace ui::win32
