// The root of the control model: named components that own the components created
// with them, as the original component library's TComponent does.
//
// Creating components: every component is constructed with its owner and its name and
// is then owned by that owner, which destroys it (components are destroyed in reverse
// creation order). Controls are normally made with ui::Create<T>(owner, parent, name),
// declared in ui/Control.h, which also sets the parent:
//
//   UpdateBtn = ui::Create<ui::TButton>(this, ButtonPnl, "UpdateBtn");
//
// A form is the top of its tree: it has no owner and lives on the stack or in a
// std::unique_ptr of the code that shows it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ControlVisitor.h"
#include "ui/Graphics.h"

namespace ui {

// Lists of GBK texts: combo items, list items, memo lines.
using TStrings = std::vector<std::string>;

class TComponent {
 public:
  // Registers the component with owner (when not null), which then owns it.
  TComponent(TComponent* owner, std::string name);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // The exact class name of the original platform ("TButton", "TUserEditFrm", ...).
  // Every class overrides it; localisation compares it exactly.
  virtual const char* ClassName() const { return "TComponent"; }

  // Calls the visitor's Visit for the component's own kind (ui/ControlVisitor.h).
  void Accept(ControlVisitor& visitor) { AcceptKind(visitor); }
  void Accept(ConstControlVisitor& visitor) const;

  std::string Name;
  int Tag = 0;

  TComponent* Owner() const { return owner_; }
  // Owned components in creation order.
  const std::vector<TComponent*>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }

  // The owned component with this name, looked for among the owned components and
  // then, depth first, among what they own (a panel owns its own parts). Names are
  // compared exactly. Null when there is none.
  TComponent* FindComponent(std::string_view name) const;

  // Destroys every owned component, the last created first.
  void DestroyComponents();

 protected:
  // Each kind of the model overrides it with the same line, so that the Visit of its own
  // class is the one called.
  virtual void AcceptKind(ControlVisitor& visitor) { visitor.Visit(*this); }

 private:
  TComponent* owner_;
  std::vector<TComponent*> components_;
};

// The component of that name as a T; null when there is none or it is of another type.
template <class T>
T* FindAs(const TComponent& owner, std::string_view name) {
  return dynamic_cast<T*>(owner.FindComponent(name));
}

}  // namespace ui
