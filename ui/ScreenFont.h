// The fonts of the model on a screen: which installed family stands in for a font
// name of the original platform, and its size in pixels.
//
// Every platform draws and measures with this one mapping, so a text that fits on the
// headless platform's measure fits on the desktop too. The screen is taken at 96 pixels
// per inch, the original platform's normal resolution, whatever the display says: the
// designed geometry of a form is in those pixels.
#pragma once

#include <string>

#include "ui/Graphics.h"

namespace ui {

inline constexpr int kScreenPixelsPerInch = 96;

struct ScreenFont {
  std::string Family;  // fontconfig family list, UTF-8, most wanted first
  int PixelSize = 11;
  bool Bold = false;
};

// The installed stand-in for font: a fixed-pitch face (Courier New, ...) becomes Noto Sans
// Mono CJK; a Song face (宋体, SimSun, 新宋体) DejaVu Sans for Latin letters with Noto
// Serif CJK for Chinese; every other name Noto Sans CJK. The point size (at least 1) at
// 96 pixels per inch.
ScreenFont ScreenFontOf(const TFont& font);

// The height of one line of text in font, in pixels: one and a half times the stand-in
// face's pixel size and a pixel more, which holds the CJK faces' ascent and descent as
// fontconfig renders them (a 11-pixel face takes 17). The model lays out with it where
// it needs a line without measuring (a group box's caption, a list's rows); the layout
// check compares it with the platform's measure.
int LineHeightOf(const TFont& font);

// The size a text takes on the screen, in pixels: the widest line and the height of all
// lines ("\r\n" or "\n" between lines).
struct TextSize {
  int Width = 0;
  int Height = 0;
};

}  // namespace ui
