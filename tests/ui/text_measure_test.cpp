// The headless platform measures text with the fonts a desktop draws with (pango on
// Linux, GDI on Windows), so that a designed form's captions are checked against real
// glyphs.
#include <gtest/gtest.h>

#include "sys/CodePage.h"
#include "ui/ScreenFont.h"
#include "ui/headless/TextMeasure.h"

namespace {

ui::TFont Font(const char* utf8Name, int size) {
  ui::TFont font;
  font.Name = sys::Utf8ToGbk(utf8Name);
  font.Size = size;
  return font;
}

TEST(ScreenFont, PointsBecomePixelsAt96PerInch) {
  const struct {
    const char* name;
    int size;
    const char* family;
    int pixels;
  } cases[] = {
      {"宋体", 10, "DejaVu Sans Condensed,Noto Serif CJK SC", 13},
      {"Courier New", 9, "Noto Sans Mono CJK SC", 12},
      {"MS Sans Serif", 8, "Noto Sans CJK SC", 11},
      {"", 0, "Noto Sans CJK SC", 1},
  };
  for (const auto& c : cases) {
    const ui::ScreenFont screen = ui::ScreenFontOf(Font(c.name, c.size));
    EXPECT_EQ(screen.Family.rfind(c.family, 0), 0u) << c.name;
    EXPECT_EQ(screen.PixelSize, c.pixels) << c.name;
  }
}

TEST(TextMeasure, ExtentsComeFromTheRealFont) {
  ui::TextMeasure measure;
  const ui::TFont font = Font("MS Sans Serif", 9);
  const ui::TextSize wide = measure.Extent(font, "WWWWWWWWWW");
  const ui::TextSize narrow = measure.Extent(font, "iiiiiiiiii");
  // A proportional face: no fixed cell per character.
  EXPECT_GT(wide.Width, narrow.Width * 2);
  // Chinese glyphs are square, about one pixel size wide each.
  const int pixels = ui::ScreenFontOf(font).PixelSize;
  const ui::TextSize chinese = measure.Extent(font, sys::Utf8ToGbk("企业名称"));
  EXPECT_GE(chinese.Width, 4 * pixels - 2);
  EXPECT_LE(chinese.Width, 4 * pixels + 4);
  EXPECT_GE(chinese.Height, pixels);

  const ui::TextSize twoLines = measure.Extent(font, sys::Utf8ToGbk("企业\r\n名称"));
  EXPECT_GE(twoLines.Height, 2 * chinese.Height - 2);
  EXPECT_LT(twoLines.Width, chinese.Width);

  EXPECT_GT(measure.Extent(Font("宋体", 10), "Save").Width,
            measure.Extent(Font("宋体", 8), "Save").Width);
}

// A fixed-pitch face of the model draws every single-byte character in one column and a
// double-byte one in two, so a field's byte limit is a limit the operator sees.
TEST(TextMeasure, FixedPitchFacesTakeOneColumnPerByte) {
  ui::TextMeasure measure;
  for (const char* name : {"Courier New", "Courier"}) {
    const ui::TFont font = Font(name, 9);
    const int column = measure.Extent(font, "WWWWWWWWWW").Width;
    EXPECT_GT(column, 0) << name;
    EXPECT_EQ(measure.Extent(font, "iiiiiiiiii").Width, column) << name;
    EXPECT_EQ(measure.Extent(font, "1.,:- /?()").Width, column) << name;
    EXPECT_EQ(measure.Extent(font, sys::Utf8ToGbk("中国银行上海")).Width,
              measure.Extent(font, "WWWWWWWWWWWW").Width)
        << name;
  }
}

}  // namespace
