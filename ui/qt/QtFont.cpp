// Fonts and text extents on Qt: the family list of ScreenFontOf becomes QFont's family
// list (fontconfig picks the first installed one), its size a pixel size.
#include "ui/qt/QtFont.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

#include "ui/qt/QtText.h"

namespace ui {

QFont QtFontOf(const TFont& font) {
  const ScreenFont screen = ScreenFontOf(font);
  QFont qfont;
  QStringList families;
  for (const QString& family :
       QString::fromStdString(screen.Family).split(QChar(','), Qt::SkipEmptyParts)) {
    families.append(family.trimmed());
  }
  qfont.setFamilies(families);
  qfont.setPixelSize(screen.PixelSize);
  qfont.setBold(screen.Bold);
  return qfont;
}

TextSize QtTextExtent(const TFont& font, const std::string& text) {
  const QFontMetrics metrics(QtFontOf(font));
  const QStringList lines = ShownText(text, true).split(QChar('\n'));
  TextSize size;
  for (const QString& line : lines) {
    size.Width = std::max(size.Width, metrics.horizontalAdvance(line));
  }
  const int count = static_cast<int>(lines.size());
  size.Height = metrics.height() + (count - 1) * metrics.lineSpacing();
  return size;
}

}  // namespace ui
