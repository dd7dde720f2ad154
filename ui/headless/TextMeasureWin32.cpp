// Text extents on Windows: GDI on a memory device context, with the family and pixel size
// of ui/ScreenFont.h, so the layout checks run against the fonts Windows draws with. The
// same interface as the pango measure of the Linux build (TextMeasure.cpp).
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "sys/CodePage.h"
#include "sys/Win32Api.h"
#include "ui/GdiTextExtent.h"
#include "ui/headless/TextMeasure.h"

namespace ui {
namespace {

// The first family of a fontconfig list, bounded by LOGFONTW's face field (GDI takes one
// face and substitutes its own when it is not installed).
void CopyFirstFamily(const std::string& families, LOGFONTW& logFont) {
  const std::wstring wide = sys::win32::Widen(families.substr(0, families.find(',')));
  const std::size_t n = std::min<std::size_t>(wide.size(), LF_FACESIZE - 1);
  wide.copy(logFont.lfFaceName, n);
  logFont.lfFaceName[n] = L'\0';
}

// A GDI font selected into a device context for one measure, put back and freed after.
class SelectedFont {
 public:
  SelectedFont(HDC dc, const ScreenFont& screen) : dc_(dc) {
    LOGFONTW logFont{};
    // A negative height asks for the em size in pixels, as pango's absolute size does.
    logFont.lfHeight = -screen.PixelSize;
    logFont.lfWeight = screen.Bold ? FW_BOLD : FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = ANTIALIASED_QUALITY;
    CopyFirstFamily(screen.Family, logFont);
    font_ = ::CreateFontIndirectW(&logFont);
    if (font_ == nullptr) {
      throw std::runtime_error("no font to measure text with (GDI)");
    }
    previous_ = ::SelectObject(dc_, font_);
  }
  ~SelectedFont() {
    ::SelectObject(dc_, previous_);
    ::DeleteObject(font_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HFONT font_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace

// A memory device context of our own: nothing else selects fonts into it, and it needs
// no window or display.
struct TextMeasure::Fonts {
  HDC dc = nullptr;

  Fonts() : dc(::CreateCompatibleDC(nullptr)) {
    if (dc == nullptr) {
      throw std::runtime_error("no device context to measure text with (GDI)");
    }
  }
  ~Fonts() { ::DeleteDC(dc); }
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
};

TextMeasure::TextMeasure() : fonts_(std::make_unique<Fonts>()) {}

TextMeasure::~TextMeasure() = default;

TextSize TextMeasure::Extent(const TFont& font, const std::string& text) {
  const SelectedFont selected(fonts_->dc, ScreenFontOf(font));
  return GdiTextExtent(fonts_->dc, sys::win32::Widen(sys::GbkToUtf8(text)));
}

}  // namespace ui
