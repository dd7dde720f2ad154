// Applying a form's designed geometry: places, anchors, docking and tab order.
#include "ui/FormDesign.h"

#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "ui/ScreenFont.h"
#include "ui/VisitKind.h"

namespace ui {
namespace {

void Refuse(const TForm& form, const std::string& what) {
  throw std::logic_error("design of " + form.Name + ": " + what);
}

// Lays out every container from the top down, so docked controls settle in the sizes
// their parents have now.
void RealignAll(TWinControl& parent) {
  parent.Realign();
  for (TControl* child : parent.Controls()) {
    if (auto* w = dynamic_cast<TWinControl*>(child)) {
      RealignAll(*w);
    }
  }
}

}  // namespace

void ApplyDesign(TForm& form, const TFormDesign& design) {
  form.SetBorderStyle(design.BorderStyle);
  if (design.BorderStyle == bsSizeable) {
    form.Constraints.MinWidth = design.Width;
    form.Constraints.MinHeight = design.Height;
  }
  form.SetBounds(form.Left(), form.Top(), design.Width, design.Height);

  std::set<const TControl*> placed;
  std::map<const TWinControl*, int> nextTab;
  for (const TPlacement& place : design.Places) {
    auto* control = FindAs<TControl>(form, place.Name);
    if (control == nullptr) {
      Refuse(form, "no control named " + std::string(place.Name));
    }
    if (!placed.insert(control).second) {
      Refuse(form, std::string(place.Name) + " placed twice");
    }
    TWinControl* parent = control->Parent();
    if (parent != nullptr && parent != &form && placed.count(parent) == 0 &&
        parent->Owner() == &form) {
      Refuse(form, std::string(place.Name) + " placed before its parent " + parent->Name);
    }
    control->Align = place.Align;
    control->SetBounds(place.Left, place.Top, place.Width, place.Height);
    control->SetAnchors(place.Anchors);
    VisitKind(
        *control, [](TLabel& label) { label.SetAutoSize(false); },
        [](TListBox& list) { list.ItemHeight = LineHeightOf(list.Font()); }, [](TComponent&) {});
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && parent) {
      windowed->TabOrder = nextTab[parent]++;
    }
  }
  for (const TComponent* component : form.Components()) {
    const auto* control = dynamic_cast<const TControl*>(component);
    if (control != nullptr && placed.count(control) == 0) {
      Refuse(form, "no place for " + control->Name);
    }
  }
  RealignAll(form);
}

}  // namespace ui
