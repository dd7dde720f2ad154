#include "ui/qt/ReadableText.h"

#include <QPalette>
#include <cmath>

namespace ui {
namespace {

double Linear(double channel) {
  return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
  return 0.2126 * Linear(c.redF()) + 0.7152 * Linear(c.greenF()) + 0.0722 * Linear(c.blueF());
}

// The text roles and the background each is drawn on.
struct TextRole {
  QPalette::ColorRole Text;
  QPalette::ColorRole Background;
};
constexpr TextRole kTextRoles[] = {
    {QPalette::WindowText, QPalette::Window},
    {QPalette::Text, QPalette::Base},
    {QPalette::ButtonText, QPalette::Button},
};

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& text, const QColor& background) {
  const bool darkBackground = Luminance(background) < 0.18;
  QColor readable = text;
  // Each step changes the brightness by a tenth; where that cannot reach the contrast
  // (lightening black), black or white does.
  for (int step = 0; step < 64 && ContrastRatio(readable, background) < kDisabledTextContrast;
       ++step) {
    readable = darkBackground ? readable.lighter(110) : readable.darker(110);
  }
  if (ContrastRatio(readable, background) < kDisabledTextContrast) {
    readable = darkBackground ? QColor(Qt::white) : QColor(Qt::black);
  }
  return readable;
}

void MakeDisabledTextReadable(QWidget& widget, bool field) {
  QPalette palette = widget.palette();
  bool changed = false;
  for (const TextRole& role : kTextRoles) {
    const QColor background = palette.color(QPalette::Disabled, role.Background);
    const QColor wanted =
        field ? ReadableOn(palette.color(QPalette::Active, role.Text), background)
              : ReadableOn(palette.color(QPalette::Disabled, role.Text), background);
    if (palette.color(QPalette::Disabled, role.Text) != wanted) {
      palette.setColor(QPalette::Disabled, role.Text, wanted);
      changed = true;
    }
  }
  if (changed) {
    widget.setPalette(palette);
  }
}

}  // namespace ui
