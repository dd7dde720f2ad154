#include "ui/Component.h"

#include <algorithm>

namespace ui {

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
