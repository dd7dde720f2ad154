// The model's fonts on the Qt screen: the stand-in family and pixel size of
// ui/ScreenFont.h for every widget, and text extents measured with that same font.
#pragma once

#include <QFont>
#include <string>

#include "ui/Control.h"
#include "ui/ScreenFont.h"

namespace ui {

QFont QtFontOf(const TFont& font);

// The widest line and the height of all lines of text (GBK; "\r\n" or "\n" between
// lines) in font; an empty text is zero wide and one line high. Needs the application.
TextSize QtTextExtent(const TFont& font, const std::string& text);

}  // namespace ui
