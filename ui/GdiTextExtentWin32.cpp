// The GDI text measure: one line at a time with GetTextExtentPoint32W, each line as high
// as the font's metrics say.
#include "ui/GdiTextExtent.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace ui {

TextSize GdiTextExtent(HDC dc, std::wstring_view wide) {
  TEXTMETRICW metrics{};
  if (::GetTextMetricsW(dc, &metrics) == 0) {
    throw std::runtime_error("no metrics of the font to measure text with (GDI)");
  }
  TextSize size;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = wide.find(L'\n', start);
    std::wstring_view line =
        wide.substr(start, end == std::wstring_view::npos ? wide.npos : end - start);
    if (!line.empty() && line.back() == L'\r') {
      line.remove_suffix(1);
    }
    SIZE extent{};
    if (!line.empty() &&
        ::GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &extent) == 0) {
      throw std::runtime_error("text could not be measured (GDI)");
    }
    size.Width = std::max(size.Width, static_cast<int>(extent.cx));
    size.Height += metrics.tmHeight;
    if (end == std::wstring_view::npos) {
      break;
    }
    start = end + 1;
  }
  return size;
}

}  // namespace ui
