#include "ui/ScreenFont.h"

#include <algorithm>

#include "sys/CodePage.h"

namespace ui {
namespace {

constexpr char kSansFaces[] = "Noto Sans CJK SC,Noto Sans CJK,sans-serif";
// The original platform's Song face draws Latin letters without serifs and Chinese in
// Song strokes: a Latin sans face first, whose missing Chinese glyphs come from the
// serif CJK face.
constexpr char kSongFaces[] =
    "DejaVu Sans Condensed,Noto Serif CJK SC,Noto Serif CJK,Noto Sans CJK SC,sans-serif";
// One face for Latin and Chinese, so a double-byte character takes exactly two columns
// of a single-byte one, as the byte limits of the fields count them.
constexpr char kFixedFaces[] = "Noto Sans Mono CJK SC,Noto Sans Mono CJK,monospace";

bool IsSongFace(const std::string& utf8Name) {
  return utf8Name == "宋体" || utf8Name == "新宋体" || utf8Name == "SimSun" ||
         utf8Name == "NSimSun";
}

// The original platform's fixed-pitch faces.
bool IsFixedFace(const std::string& utf8Name) {
  return utf8Name == "Courier New" || utf8Name == "Courier" || utf8Name == "Lucida Console" ||
         utf8Name == "Consolas" || utf8Name == "Fixedsys" || utf8Name == "Terminal";
}

const char* FacesOf(const std::string& utf8Name) {
  if (IsFixedFace(utf8Name)) {
    return kFixedFaces;
  }
  return IsSongFace(utf8Name) ? kSongFaces : kSansFaces;
}

}  // namespace

ScreenFont ScreenFontOf(const TFont& font) {
  ScreenFont screen;
  screen.Family = FacesOf(sys::GbkToUtf8(font.Name));
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
