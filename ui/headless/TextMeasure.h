// Text extents with the fonts a desktop draws with: pango on fontconfig's fonts, the
// families and pixel sizes of ui/ScreenFont.h. Used by the headless platform so that
// designed forms are checked against the real fonts without a display.
#pragma once

#include <memory>
#include <string>

#include "ui/ScreenFont.h"

namespace ui {

class TextMeasure {
 public:
  TextMeasure();
  ~TextMeasure();
  TextMeasure(const TextMeasure&) = delete;
  TextMeasure& operator=(const TextMeasure&) = delete;

  // The extent of text (GBK) in font; an empty text is zero wide and one line high.
  TextSize Extent(const TFont& font, const std::string& text);

 private:
  struct Fonts;
  std::unique_ptr<Fonts> fonts_;
};

}  // namespace ui
