#include "ui/ScreenFont.h"

#include <algorithm>

#include "sys/CodePage.h"

namespace ui {
namespace {

constexpr char kSansFaces[] = "Noto Sans CJK SC,Noto Sans CJK,sans-serif";
constexpr char kSerifFaces[] = "Noto Serif CJK SC,Noto Serif CJK,Noto Sans CJK SC,serif";

bool IsSongFace(const std::string& utf8Name) {
  return utf8Name == "宋体" || utf8Name == "新宋体" || utf8Name == "SimSun" ||
         utf8Name == "NSimSun";
}

}  // namespace

ScreenFont ScreenFontOf(const TFont& font) {
  ScreenFont screen;
  screen.Family = IsSongFace(sys::GbkToUtf8(font.Name)) ? kSerifFaces : kSansFaces;
  const int points = std::max(font.Size, 1);
  // Rounded as the original platform rounds a point size to pixels.
  screen.PixelSize = (points * kScreenPixelsPerInch + 36) / 72;
  screen.Bold = font.Bold;
  return screen;
}

int LineHeightOf(const TFont& font) {
  const int pixels = ScreenFontOf(font).PixelSize;
  return (3 * pixels + 1) / 2 + 1;
}

}  // namespace ui
