// Text that reads on the screen: a disabled control's text keeps a contrast of at least
// 4.5:1 with what it is drawn on, and a field the operator cannot change (an edit or
// combo box disabled, by itself or by its container) shows its information at the full
// contrast of an enabled field, on the window's colour and without a caret, as a
// read-only field is drawn. The styles' own disabled grey (Fusion's reads at 1.6:1) is
// too faint for information an operator has to read all day.
#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

// The least contrast of a disabled text with its background.
inline constexpr double kDisabledTextContrast = 4.5;

// The contrast ratio of two colours (1 to 21), from their relative luminance in sRGB.
double ContrastRatio(const QColor& a, const QColor& b);

// text, darkened (or lightened on a dark background) until it reads on background at
// kDisabledTextContrast or more.
QColor ReadableOn(const QColor& text, const QColor& background);

// Sets the widget's disabled text colours: readable greys, or for a field the enabled
// text colours. Changes the palette only when a colour differs, so it may run on every
// update.
void MakeDisabledTextReadable(QWidget& widget, bool field);

}  // namespace ui
