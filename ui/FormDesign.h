// The designed geometry of a form, kept as data: one table per form that names each of
// its controls with its place, its anchors and its docking, applied once after the
// controls exist and their texts and font are set.
//
//   constexpr ui::TPlacement kPlaces[] = {
//       {"NameLbl", 12, 15, 96, 19},
//       {"NameEdt", 112, 12, 276, 24, ui::akLeft | ui::akTop | ui::akRight},
//       {"OkBtn", 228, 52, 80, 28, ui::akRight | ui::akBottom},
//   };
//   ui::ApplyDesign(*this, {400, 92, ui::bsDialog, kPlaces});
//
// Rules the table follows:
// - every control the form owns has a row (ApplyDesign refuses a form that leaves one
//   out, or a row that names no control); parts that a control owns and places itself
//   may be given rows too, after that control's row;
// - a container's row comes before the rows of its children;
// - the rows of the windowed children of one parent are in tab order: each gets its
//   TabOrder from its place among them;
// - a label's box holds its text in every language (the layout check measures it); a
//   placed label keeps that box rather than sizing itself.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "ui/Forms.h"

namespace ui {

struct TPlacement {
  std::string_view Name;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  TAnchors Anchors = akLeftTop;
  TAlign Align = alNone;
  // The key of the control's caption in a language file, for the module to apply; the
  // model itself never reads it.
  std::string_view TextKey{};
};

struct TFormDesign {
  int Width = 0;  // the client area
  int Height = 0;
  // A sizeable form may be resized by the operator, never below its designed size.
  TFormBorderStyle BorderStyle = bsDialog;
  std::span<const TPlacement> Places;
  std::string_view TextKey{};  // the form's caption, as TPlacement::TextKey
};

// Puts the form and every control where the design says, sets their tab order, gives
// the rows of list boxes the height of a line of their font, and lays the docked
// controls out. Throws std::logic_error when the table and the form disagree.
void ApplyDesign(TForm& form, const TFormDesign& design);

// A design kept as text, the form's layout file, one row a line in the table's order:
//
//   form <width> <height> dialog|sizeable [text <key>]
//   <name> <left> <top> <width> <height> [anchors <kinds>] [align top|bottom|left|right|client]
//                                        [text <key>]
//
// where <kinds> is "all" or anchor kinds joined by '+' (left+top+right); a row without
// anchors keeps left+top; <key> names the caption in a language file (TextKey). '#'
// starts a comment; blank lines are skipped. The names are viewed in text, which must
// outlive the design.
class TDesignText {
 public:
  // Throws std::logic_error naming the line of the first row it cannot read.
  explicit TDesignText(std::string_view text);
  // The design views its own rows.
  TDesignText(const TDesignText&) = delete;
  TDesignText& operator=(const TDesignText&) = delete;
  const TFormDesign& Design() const { return design_; }

 private:
  std::vector<TPlacement> places_;
  TFormDesign design_;
};

// ApplyDesign with a design kept as text.
void ApplyDesign(TForm& form, std::string_view designText);

}  // namespace ui
