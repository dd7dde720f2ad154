// Fonts and text extents on Qt: the family list of ScreenFontOf becomes QFont's family
// list (fontconfig picks the first installed one), its size a pixel size.
#include "ui/qt/QtFont.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

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

// Each line laid out as a label draws it: a line holding glyphs of a face behind the
// first (Chinese in the Song family's serif CJK face) is as tall as that face makes it.
TextSize QtTextExtent(const TFont& font, const std::string& text) {
  const QFont qfont = QtFontOf(font);
  const QFontMetrics metrics(qfont);
  TextSize size;
  for (const QString& line : ShownText(text, true).split(QChar('\n'))) {
    size.Width = std::max(size.Width, metrics.horizontalAdvance(line));
    QTextLayout layout(line, qfont);
    layout.beginLayout();
    const QTextLine laid = layout.createLine();
    layout.endLayout();
    size.Height += std::max(metrics.height(), static_cast<int>(std::ceil(laid.height())));
  }
  return size;
}

}  // namespace ui
