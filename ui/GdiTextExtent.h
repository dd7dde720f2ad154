// The extent of a text in the font selected into a GDI device context: the one measure
// of the Windows build, used by the headless platform's layout checks and by the Win32
// desktop, so that both lay out with the same widths. Windows only.
#pragma once

#include <string_view>

#include "sys/Win32Api.h"
#include "ui/ScreenFont.h"

namespace ui {

// text is UTF-16, converted by the caller from the model's code page. Lines end at "\n" (a "\r"
// before it goes with it) and a text ending in a line break has an empty last line. The font must
// be selected into dc. Throws std::runtime_error when GDI cannot measure.
TextSize GdiTextExtent(HDC dc, std::wstring_view text);

}  // namespace ui
