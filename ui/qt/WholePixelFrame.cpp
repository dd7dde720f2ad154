// Framed views whose four edges show at any scale factor: their rectangles end on
// whole screen pixels and their frames are drawn on whole screen pixels.
#include "ui/qt/WholePixelFrame.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

#include "ui/qt/WindowStyle.h"

namespace ui {
namespace {

// How far from a whole screen pixel a scaled coordinate may be and still count as one.
constexpr double kPixelSlack = 0.01;

bool OnWholePixel(int at, double ratio) {
  const double scaled = at * ratio;
  return std::abs(scaled - std::round(scaled)) < kPixelSlack;
}

// The last form coordinate at or before end that lies on a whole screen pixel, no
// further back than one screen pixel's worth of form pixels (a ratio of 1.25 repeats
// every 4 form pixels).
int WholePixelEnd(int end, double ratio) {
  for (int back = 0; back < 4; ++back) {
    if (OnWholePixel(end - back, ratio)) {
      return end - back;
    }
  }
  return end;
}

class WholePixelFrameStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    const QTransform toScreen = painter->deviceTransform();
    const double ratio = toScreen.m11();
    if (element != PE_Frame || toScreen.type() > QTransform::TxScale ||
        std::abs(ratio - std::round(ratio)) < kPixelSlack) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    // The whole screen pixels inside the frame's rectangle, as the style's outline.
    const QRectF seen = toScreen.mapRect(QRectF(option->rect));
    const double left = std::ceil(seen.left() - kPixelSlack);
    const double top = std::ceil(seen.top() - kPixelSlack);
    const double right = std::floor(seen.right() + kPixelSlack);
    const double bottom = std::floor(seen.bottom() + kPixelSlack);
    const double thick = std::max(1.0, std::floor(ratio + kPixelSlack));
    const QColor ink = option->palette.window().color().darker(140).lighter(108);
    const QTransform toForm = toScreen.inverted();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    for (const QRectF& line :
         {QRectF(left, top, right - left, thick), QRectF(left, bottom - thick, right - left, thick),
          QRectF(left, top, thick, bottom - top),
          QRectF(right - thick, top, thick, bottom - top)}) {
      painter->fillRect(toForm.mapRect(line), ink);
    }
    painter->restore();
  }
};

}  // namespace

QRect WholePixelRect(const QRect& rect, QPoint origin, double ratio) {
  const int right = WholePixelEnd(origin.x() + rect.x() + rect.width(), ratio);
  const int bottom = WholePixelEnd(origin.y() + rect.y() + rect.height(), ratio);
  return {rect.x(), rect.y(), std::max(0, right - origin.x() - rect.x()),
          std::max(0, bottom - origin.y() - rect.y())};
}

QStyle* WholePixelFrameStyleOf(QWidget& inWindow) {
  return WindowStyle<WholePixelFrameStyle>(inWindow,
                                           QStringLiteral("tavro-whole-pixel-frame-style"));
}

}  // namespace ui
