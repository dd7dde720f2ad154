// Pop-up menus and their items.
#pragma once

#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

class TPopupMenu;

class TMenuItem : public TComponent {
 public:
  // Joins menu (when not null) as its last item.
  TMenuItem(TComponent* owner, std::string name, TPopupMenu* menu = nullptr);
  ~TMenuItem() override;
  const char* ClassName() const override { return "TMenuItem"; }

  std::string Caption;
  bool Enabled = true;
  bool Visible = true;
  bool Checked = false;
  TNotifyEvent OnClick;
  TPopupMenu* Menu() const { return menu_; }
  virtual void Click();

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  friend class TPopupMenu;
  TPopupMenu* menu_ = nullptr;
};

class TPopupMenu : public TComponent {
 public:
  TPopupMenu(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}
  ~TPopupMenu() override;
  const char* ClassName() const override { return "TPopupMenu"; }

  const std::vector<TMenuItem*>& Items() const { return items_; }
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  TNotifyEvent OnPopup;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  std::vector<TMenuItem*> items_;
};

}  // namespace ui
