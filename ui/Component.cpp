// Components: ownership in creation order, lookup by name, and the visit of a const
// component.
#include "ui/Component.h"

#include <algorithm>
#include <utility>

namespace ui {
namespace {

// Hands what a component's Accept finds to a visitor of const components: the one
// AcceptKind of each kind serves both visitors.
class ConstVisit final : public ControlVisitor {
 public:
  explicit ConstVisit(ConstControlVisitor& visitor) : visitor_(visitor) {}
  void Visit(TComponent& component) override { visitor_.Visit(std::as_const(component)); }
  // Kind names a type, which cannot stand in parentheses.
  // NOLINTBEGIN(bugprone-macro-parentheses)
#define TAVRO_UI_PASS_CONST(Kind, Base)       \
  void Visit(Kind& component) override {      \
    visitor_.Visit(std::as_const(component)); \
  }
  // NOLINTEND(bugprone-macro-parentheses)
  TAVRO_UI_CONTROL_KINDS(TAVRO_UI_PASS_CONST)
#undef TAVRO_UI_PASS_CONST

 private:
  ConstControlVisitor& visitor_;
};

}  // namespace

TComponent::TComponent(TComponent* owner, std::string name) : Name(std::move(name)), owner_(owner) {
  if (owner_) {
    owner_->components_.push_back(this);
  }
}

// A component leaves its owner's list when it goes, so an owner never frees it twice.
TComponent::~TComponent() {
  DestroyComponents();
  if (owner_) {
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

// The component stays as it is: ConstVisit hands on const references only.
void TComponent::Accept(ConstControlVisitor& visitor) const {
  ConstVisit constVisit(visitor);
  const_cast<TComponent*>(this)->AcceptKind(constVisit);
}

// The last created goes first: later components may refer to earlier ones.
void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    delete last;  // removes itself from components_
  }
}

// Owned components first, then what they own, so a dialog's own names win over the
// inner parts of a compound control.
TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) {
    return nullptr;
  }
  for (TComponent* c : components_) {
    if (c->Name == name) {
      return c;
    }
  }
  for (TComponent* c : components_) {
    if (TComponent* found = c->FindComponent(name)) {
      return found;
    }
  }
  return nullptr;
}

}  // namespace ui
