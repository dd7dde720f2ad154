// Frames that stay whole at a fractional scale factor (QT_SCALE_FACTOR 1.25, 1.5). A
// list's frame is one pixel of the form; at 1.5 that pixel is one and a half on the
// screen, and where a widget's edge falls inside a screen pixel the style's line there
// is lost: the widget's own pixels end before it and its viewport's start over it. So
// a framed view's far edges are laid on whole screen pixels (WholePixelRect), and its
// frame is drawn on the whole screen pixels inside the widget (WholePixelFrameStyle).
#pragma once

#include <QPoint>
#include <QRect>
#include <QStyle>
#include <QWidget>

namespace ui {

// rect (in its parent, whose top left lies at origin in the window) with its right and
// bottom edges moved in, by less than a pixel of the form each, to the nearest screen
// pixel boundary at ratio screen pixels per form pixel. Whole ratios change nothing.
QRect WholePixelRect(const QRect& rect, QPoint origin, double ratio);

// The application style with framed views' frames (PE_Frame) drawn on the whole screen
// pixels inside the frame's rectangle, one screen pixel per whole ratio. One per
// window, owned by it.
QStyle* WholePixelFrameStyleOf(QWidget& inWindow);

}  // namespace ui
