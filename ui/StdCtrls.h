// Labels, buttons, check boxes, radio buttons and the containers: group box, radio
// group, panel, tab sheet and page control.
#pragma once

#include <string>

#include "ui/Control.h"

namespace ui {

class TLabel : public TControl {
 public:
  TLabel(TComponent* owner, std::string name) : TControl(owner, std::move(name)) {}
  const char* ClassName() const override { return "TLabel"; }
  bool AutoSize() const { return autoSize_; }
  bool WordWrap() const { return wordWrap_; }
  bool Transparent() const { return transparent_; }
  TAlignment Alignment() const { return alignment_; }
  void SetAutoSize(bool autoSize) { Assign(autoSize_, autoSize, chLook); }
  void SetWordWrap(bool wordWrap) { Assign(wordWrap_, wordWrap, chLook); }
  void SetTransparent(bool transparent) { Assign(transparent_, transparent, chLook); }
  void SetAlignment(TAlignment alignment) { Assign(alignment_, alignment, chLook); }

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool transparent_ = false;
  TAlignment alignment_ = taLeftJustify;
};

// A push button. Clicking sets the form's modal result to ModalResult (when not
// none), then runs OnClick. Default: Enter clicks it; Cancel: Escape clicks it.
class TButton : public TWinControl {
 public:
  TButton(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}
  const char* ClassName() const override { return "TButton"; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  bool Default() const { return default_; }
  void SetDefault(bool isDefault) { Assign(default_, isDefault, chLook); }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool cancel) { cancel_ = cancel; }
  void Click() override;
  // Space clicks the focused button.
  void HandleKey(std::uint16_t key, TShiftState shift) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  int modalResult_ = 0;
  bool default_ = false;
  bool cancel_ = false;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore };

class TBitBtn : public TButton {
 public:
  TBitBtn(TComponent* owner, std::string name) : TButton(owner, std::move(name)) {}
  const char* ClassName() const override { return "TBitBtn"; }
  TBitBtnKind Kind() const { return kind_; }
  // A kind brings its modal result and, for OK and Cancel, the default or cancel role;
  // a Close button closes its form.
  void SetKind(TBitBtnKind kind);
  void Click() override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  TBitBtnKind kind_ = bkCustom;
};

// Setting Checked to a new value fires Click (and so OnClick), from code as from the
// operator.
class TCheckBox : public TWinControl {
 public:
  TCheckBox(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}
  const char* ClassName() const override { return "TCheckBox"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  void HandleKey(std::uint16_t key, TShiftState shift) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  bool checked_ = false;
};

// Checking a radio button unchecks the other radio buttons of its parent (without
// their Click) and fires its own Click.
class TRadioButton : public TWinControl {
 public:
  TRadioButton(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}
  const char* ClassName() const override { return "TRadioButton"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  // Space checks it; the arrow keys move the focus to the previous or next usable radio
  // button of its parent (wrapping) and check that one, as in the platform's groups.
  void HandleKey(std::uint16_t key, TShiftState shift) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  bool checked_ = false;
};

// Containers: hold children, do not take the focus themselves.
class TGroupBox : public TWinControl {
 public:
  TGroupBox(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}
  const char* ClassName() const override { return "TGroupBox"; }
  bool AcceptsFocus() const override { return false; }
  // Inside the frame, below the caption's line (ui::LineHeightOf the box's font).
  TRect ClientRect() const override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

// A frame of radio buttons: its own Items, or radio buttons placed in it as children.
class TRadioGroup : public TGroupBox {
 public:
  TRadioGroup(TComponent* owner, std::string name) : TGroupBox(owner, std::move(name)) {}
  const char* ClassName() const override { return "TRadioGroup"; }
  const TStrings& Items() const { return items_; }
  void SetItems(TStrings items);
  // Setting from code does not fire OnClick; the operator's choice does.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index) { Assign(itemIndex_, index, chSelection); }

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  TStrings items_;
  int itemIndex_ = -1;
};

class TPanel : public TWinControl {
 public:
  TPanel(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}
  const char* ClassName() const override { return "TPanel"; }
  bool AcceptsFocus() const override { return false; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment) { Assign(alignment_, alignment, chLook); }

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  TAlignment alignment_ = taCenter;
};

class TPageControl;

class TTabSheet : public TWinControl {
 public:
  TTabSheet(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}
  const char* ClassName() const override { return "TTabSheet"; }
  bool AcceptsFocus() const override { return false; }
  int PageIndex() const;
  // The operator's click on the tab makes the sheet the active page (OnChange of the
  // page control), then runs OnClick.
  void Click() override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

// Holds tab sheets (its children); the active one is the one shown.
class TPageControl : public TWinControl {
 public:
  TPageControl(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}
  const char* ClassName() const override { return "TPageControl"; }
  bool AcceptsFocus() const override { return false; }
  std::vector<TTabSheet*> Pages() const;
  TTabSheet* ActivePage() const { return active_; }
  // Shows sheet and hides the others; does not fire OnChange (the operator's choice does).
  void SetActivePage(TTabSheet* sheet);
  TNotifyEvent OnChange;

  // Below the row of tabs, inside the frame: every sheet fills it.
  TRect ClientRect() const override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
  void PlaceOwnChildren() override;

 private:
  TTabSheet* active_ = nullptr;
};

}  // namespace ui
