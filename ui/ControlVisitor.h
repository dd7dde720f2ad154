// One dispatch over the kinds of the control model. Code that treats a label, a button,
// an edit or a list each its own way (a platform making its widgets, a script reading a
// control's state, the layout check, the operator's click) writes a visitor, and the
// component's Accept calls the Visit of its own class: one virtual call instead of a
// chain of casts, and a new kind is added in one place, the table below.
//
// A Visit that a visitor leaves alone hands the component on to the Visit of its base
// class (a bit button to TButton's, a memo to TCustomEdit's, a radio group to
// TGroupBox's, ... up to TComponent's, which does nothing). So a visitor names only what
// it handles, and a class made outside the model (a dialog's own edit or panel) is
// visited as the model's class it derives from.
//
//   class Captions : public ui::ConstControlVisitor {
//    public:
//     using ConstControlVisitor::Visit;
//     void Visit(const ui::TButton& button) override { ... }  // bit buttons too
//   };
//   Captions captions;
//   control.Accept(captions);
//
// ui/VisitKind.h writes the same dispatch in place with lambdas.
#pragma once

#include <type_traits>

// The kinds of the model, each with the kind a visitor falls back to for it. The root,
// TComponent, is not in the table.
#define TAVRO_UI_CONTROL_KINDS(KIND) \
  KIND(TControl, TComponent)         \
  KIND(TWinControl, TControl)        \
  KIND(TLabel, TControl)             \
  KIND(TButton, TWinControl)         \
  KIND(TBitBtn, TButton)             \
  KIND(TCheckBox, TWinControl)       \
  KIND(TRadioButton, TWinControl)    \
  KIND(TGroupBox, TWinControl)       \
  KIND(TRadioGroup, TGroupBox)       \
  KIND(TPanel, TWinControl)          \
  KIND(TTabSheet, TWinControl)       \
  KIND(TPageControl, TWinControl)    \
  KIND(TCustomEdit, TWinControl)     \
  KIND(TEdit, TCustomEdit)           \
  KIND(TMemo, TCustomEdit)           \
  KIND(TFileNameEdit, TCustomEdit)   \
  KIND(TComboBox, TWinControl)       \
  KIND(TListBox, TWinControl)        \
  KIND(TCheckListBox, TListBox)      \
  KIND(TTreeView, TWinControl)       \
  KIND(TListView, TWinControl)       \
  KIND(TForm, TWinControl)           \
  KIND(TMenuItem, TComponent)        \
  KIND(TPopupMenu, TComponent)       \
  KIND(TPrintDialog, TComponent)

namespace ui {

class TComponent;
#define TAVRO_UI_DECLARE_KIND(Kind, Base) class Kind;
TAVRO_UI_CONTROL_KINDS(TAVRO_UI_DECLARE_KIND)
#undef TAVRO_UI_DECLARE_KIND

// The visitor of components (IsConst false) or of const components (IsConst true).
template <bool IsConst>
class BasicControlVisitor {
 public:
  // A reference to a component of kind T, const in the visitor of const components.
  template <class T>
  using Ref = std::conditional_t<IsConst, const T&, T&>;

  virtual ~BasicControlVisitor() = default;

  // A component of no kind of the table: nothing.
  virtual void Visit(Ref<TComponent>) {}
  // Each kind: by default the Visit of the kind it falls back to.
#define TAVRO_UI_DECLARE_VISIT(Kind, Base) virtual void Visit(Ref<Kind> component);
  TAVRO_UI_CONTROL_KINDS(TAVRO_UI_DECLARE_VISIT)
#undef TAVRO_UI_DECLARE_VISIT
};

using ControlVisitor = BasicControlVisitor<false>;
using ConstControlVisitor = BasicControlVisitor<true>;

// Both are made once, in the control model's library.
extern template class BasicControlVisitor<false>;
extern template class BasicControlVisitor<true>;

}  // namespace ui
