#include "ui/Menus.h"

#include <algorithm>

namespace ui {

TMenuItem::TMenuItem(TComponent* owner, std::string name, TPopupMenu* menu)
    : TComponent(owner, std::move(name)) {
  if (menu) {
    menu->Add(this);
  }
}

TMenuItem::~TMenuItem() {
  if (menu_) {
    menu_->Remove(this);
  }
}

void TMenuItem::Click() {
  if (OnClick) {
    OnClick(this);
  }
}

// Items owned elsewhere outlive the menu only as loose items.
TPopupMenu::~TPopupMenu() {
  DestroyComponents();
  for (TMenuItem* item : items_) {
    item->menu_ = nullptr;
  }
}

void TPopupMenu::Add(TMenuItem* item) {
  if (item->menu_) {
    item->menu_->Remove(item);
  }
  item->menu_ = this;
  items_.push_back(item);
}

void TPopupMenu::Remove(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  if (item->menu_ == this) {
    item->menu_ = nullptr;
  }
}

}  // namespace ui
