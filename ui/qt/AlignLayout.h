// Where aligned controls sit: the original platform's alignment of a parent's children
// (alTop, alBottom, alLeft, alRight, alClient) worked out on the model's bounds, so the
// screen places them as a designed form of that platform would be placed.
#pragma once

#include <vector>

#include "ui/Control.h"

namespace ui {

struct Bounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const Bounds&) const = default;
};

// The bounds of each of children (same order) inside area, the part of the parent that
// aligned children share. Visible aligned children take, in this order, the top strips
// (by Top), the bottom strips (lowest first), the left strips (by Left), the right
// strips (rightmost first), each as high or wide as the control is; a client-aligned
// control fills what is left. Other children keep their own bounds.
std::vector<Bounds> AlignChildren(const std::vector<TControl*>& children, const Bounds& area);

}  // namespace ui
