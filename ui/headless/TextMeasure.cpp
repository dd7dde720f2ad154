#include "ui/headless/TextMeasure.h"

#include <pango/pangocairo.h>

#include <stdexcept>

#include "sys/CodePage.h"

namespace ui {

// A font map of our own rather than pango's process-wide default: it is freed with the
// platform, and nothing else in the process can change its settings.
struct TextMeasure::Fonts {
  PangoFontMap* map = nullptr;
  PangoContext* context = nullptr;
  PangoLayout* layout = nullptr;

  Fonts() {
    map = pango_cairo_font_map_new();
    if (map != nullptr) {
      context = pango_font_map_create_context(map);
    }
    if (context != nullptr) {
      pango_cairo_context_set_resolution(context, kScreenPixelsPerInch);
      // Screens place glyphs at fractional advances; rounding each glyph's position
      // measures a run of blanks (2.46 pixels each at 11 pixels) a fifth too narrow.
      pango_context_set_round_glyph_positions(context, FALSE);
      layout = pango_layout_new(context);
    }
    if (layout == nullptr) {
      Release();
      throw std::runtime_error("no fonts to measure text with (pango)");
    }
  }
  ~Fonts() { Release(); }
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  void Release() {
    if (layout != nullptr) g_object_unref(layout);
    if (context != nullptr) g_object_unref(context);
    if (map != nullptr) g_object_unref(map);
    layout = nullptr;
    context = nullptr;
    map = nullptr;
  }
};

TextMeasure::TextMeasure() : fonts_(std::make_unique<Fonts>()) {}

TextMeasure::~TextMeasure() = default;

TextSize TextMeasure::Extent(const TFont& font, const std::string& text) {
  const ScreenFont screen = ScreenFontOf(font);
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, screen.Family.c_str());
  pango_font_description_set_absolute_size(description,
                                           static_cast<double>(screen.PixelSize) * PANGO_SCALE);
  pango_font_description_set_weight(description,
                                    screen.Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(fonts_->layout, description);
  pango_font_description_free(description);
  const std::string utf8 = sys::GbkToUtf8(text);
  pango_layout_set_text(fonts_->layout, utf8.data(), static_cast<int>(utf8.size()));
  TextSize size;
  pango_layout_get_pixel_size(fonts_->layout, &size.Width, &size.Height);
  return size;
}

}  // namespace ui
