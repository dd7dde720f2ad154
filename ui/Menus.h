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

  // Read when the menu opens, so setting them needs no notice.
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  TNotifyEvent OnClick;
  TPopupMenu* Menu() const { return menu_; }
  virtual void Click();

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  friend class TPopupMenu;
  TPopupMenu* menu_ = nullptr;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
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
