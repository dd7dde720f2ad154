// The layout check of a form as it is shown: what a careful designer makes sure of,
// with texts measured in the platform's real fonts (Platform::TextExtent).
//
// For the form and each of its visible controls:
// - it has a designed place: a control left at the model's default bounds, or a form at
//   its default size, fails;
// - it lies inside its parent's client area (below a group box's caption line);
// - it overlaps no visible sibling (the sheets of one page control excepted);
// - its texts fit its font with a margin: the captions of labels, buttons (and a bit
//   button's glyph), check boxes, radio buttons, group boxes, radio groups, panels, tab
//   sheets and the form's title; each item and the text of a combo box; each column
//   title of a list view, and each cell of its first rows; each item of a list box's
//   first rows; one line of text in the height of an edit, memo, combo box and a list
//   box's rows;
// - a list view's columns lie within its width (the operator sees every one without
//   scrolling sideways);
// - within each container, the tab order of the visible windowed children follows the
//   reading order: top to bottom, and left to right among controls side by side.
//
//   for (const std::string& problem : ui::CheckLayout(form, ui::CurrentPlatform()))
//     ADD_FAILURE() << problem;
#pragma once

#include <string>
#include <vector>

#include "ui/Forms.h"

namespace ui {

// One line (UTF-8) per fault found, naming the control; empty when there is none.
std::vector<std::string> CheckLayout(const TForm& form, Platform& platform);

// Whether a reads before b: it lies wholly above b, or beside it (their heights overlap)
// and wholly to its left.
bool ReadsBefore(const TRect& a, const TRect& b);

}  // namespace ui
