// The native control of each kind of the control model, and how it shows the model.
//
// Every control of a form is one child window of the form's window (a radio group's items
// and a file-name edit's browse button are further windows of the same control), all
// children of the form's client area, so that every notification reaches the form's one
// window procedure. A container (panel, group box, page control, tab sheet) lies below
// its children: the walk of a whole form raises each window, parents first (RaiseNative).
//
// Geometry is the model's, in the original platform's 96 pixels per inch, scaled for the
// window's DPI (Scale). A list view is virtual (LVS_OWNERDATA): the control knows only
// the row count and asks for each shown row's texts (RowText).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/win32/WinApi.h"

namespace ui::win32 {

// The scale from designed pixels (96 per inch) to the window's.
struct Scale {
  int Dpi = 96;
  int Px(int designed) const { return MulDiv(designed, Dpi, 96); }
};

// The windows of one control.
struct NativeControl {
  HWND Window = nullptr;
  std::vector<HWND> Items;  // a radio group's buttons; a file-name edit's browse button
  HWND Inner = nullptr;     // the edit inside a combo box that takes typed text
  const std::type_info* Kind = nullptr;  // the control's class when the windows were made
  bool Seen = false;                     // met by the current walk of the form
  // A tree view's items by node, for its selection: only the nodes that have theirs (a
  // closed node's children get items when it is first shown open).
  std::map<const TTreeNode*, HTREEITEM> Nodes;
};

// The fonts of one window by the model's font, made at the window's DPI and kept until
// the window goes.
class FontCache {
 public:
  FontCache() = default;
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  ~FontCache();
  HFONT Get(const TFont& font, int dpi);
  void Clear();

 private:
  std::map<std::string, HFONT> fonts_;
};

// Makes the native windows of control inside form (the form's client window). The
// windows show nothing yet; ShowControl fills them.
NativeControl CreateNative(TControl& control, HWND form);

// Destroys the control's windows.
void DestroyNative(NativeControl& native);

// Brings the windows of control in step with the model: what changes says (chAll for
// everything), placed at the control's place in the form's client area.
void ShowControl(TControl& control, NativeControl& native, const TChangeRecord& changes,
                 const Scale& scale, FontCache& fonts);

// Stacks the control's windows above everything made before them: called parents
// first, it puts every container below its children.
void RaiseNative(const NativeControl& native);

// The control's top left in its form's client area, in designed pixels.
POINT FormOrigin(const TControl& control);

// The colour of a disabled label's text: the system's grey of disabled text, darkened
// until it reads on the dialog's face at 4.5:1, as the Qt platform keeps disabled text
// legible (Windows' own grey gives about 2:1 there).
COLORREF LegibleDisabledText();

// The texts of a list view's row and column (0: the caption), for the list view's
// request of a shown row. Empty outside the rows.
std::string RowText(const TListView& list, int row, int column);

}  // namespace ui::win32
