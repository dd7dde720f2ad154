// Colours and fonts of the control model, as the original platform holds them. A leaf:
// it includes nothing of the model, so what needs only a font (the screen-font mapping,
// the platform interface) does not pull in the controls.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

// A colour as the original platform holds it: 0x00BBGGRR, or a system colour.
using TColor = std::int32_t;
constexpr TColor RGB(int r, int g, int b) {
  return TColor(r | (g << 8) | (b << 16));
}
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWindow = TColor(0x80000005u);
constexpr TColor clBtnFace = TColor(0x8000000Fu);
constexpr TColor clWindowText = TColor(0x80000008u);

struct TFont {
  std::string Name = "MS Sans Serif";
  int Size = 8;
  int Charset = 1;  // DEFAULT_CHARSET; 134 is GB2312
  bool Bold = false;
  TColor Color = clWindowText;
  bool operator==(const TFont&) const = default;
};

}  // namespace ui
