#include "ui/Control.h"

#include <algorithm>
#include <stdexcept>

#include "ui/Forms.h"

namespace ui {

TControl::TControl(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}

TControl::~TControl() {
  SetParent(nullptr);
}

// A windowed control joins at the end of its new siblings' tab order.
void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) {
    return;
  }
  if (parent_) {
    auto& list = parent_->children_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  parent_ = parent;
  if (!parent_) {
    return;
  }
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    int windowed = 0;
    for (TControl* c : parent_->children_) {
      if (dynamic_cast<TWinControl*>(c)) {
        ++windowed;
      }
    }
    self->TabOrder = windowed;
  }
  parent_->children_.push_back(this);
}

TForm* TControl::ParentForm() const {
  const TControl* top = this;
  while (top->parent_) {
    top = top->parent_;
  }
  return dynamic_cast<TForm*>(const_cast<TControl*>(top));
}

bool TControl::IsShowing() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->Visible) {
      return false;
    }
  }
  return true;
}

bool TControl::IsUsable() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->Visible || !c->Enabled) {
      return false;
    }
  }
  return true;
}

TFont TControl::Font() const {
  if (parentFont_ && parent_) {
    return parent_->Font();
  }
  return font_;
}

void TControl::SetFont(const TFont& font) {
  font_ = font;
  parentFont_ = false;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (resized) {
    Resize();
  }
}

void TControl::Resize() {
  if (OnResize) {
    OnResize(this);
  }
}

void TControl::BeginDrag(bool immediate, int threshold) {
  dragThreshold_ = threshold < 0 ? kDefaultDragThreshold : threshold;
  dragState_ = immediate ? DragActive : DragPendingState;
}

void StartPendingDrag(TControl& control) {
  if (control.dragState_ == TControl::DragPendingState) {
    control.dragState_ = TControl::DragActive;
  }
}

void TControl::Click() {
  if (OnClick) {
    OnClick(this);
  }
}

void TControl::DblClick() {
  if (OnDblClick) {
    OnDblClick(this);
  }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) {
    OnMouseDown(this, button, shift, x, y);
  }
}

// A release before the pointer reached the threshold ends the drag that waited for it.
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (dragState_ == DragPendingState) {
    dragState_ = DragIdle;
  }
  if (OnMouseUp) {
    OnMouseUp(this, button, shift, x, y);
  }
}

// Without a drag-over handler a control accepts nothing; with one it accepts unless
// the handler says otherwise.
bool TControl::DragOver(TComponent* source, int x, int y, TDragState state) {
  if (!OnDragOver) {
    return false;
  }
  bool accept = true;
  OnDragOver(this, source, x, y, state, accept);
  return accept;
}

void TControl::DragDrop(TComponent* source, int x, int y) {
  if (OnDragDrop) {
    OnDragDrop(this, source, x, y);
  }
}

TWinControl::TWinControl(TComponent* owner, std::string name) : TControl(owner, std::move(name)) {}

// The focus leaves first, then the owned parts go while this control is still whole,
// and children owned by others are let go rather than left pointing here.
TWinControl::~TWinControl() {
  if (TForm* form = ParentForm()) {
    form->ForgetControl(this);
  }
  DestroyComponents();
  while (!children_.empty()) {
    children_.back()->SetParent(nullptr);
  }
}

bool TWinControl::CanFocus() const {
  return AcceptsFocus() && IsUsable() && ParentForm() != nullptr;
}

bool TWinControl::Focused() const {
  TForm* form = ParentForm();
  return form && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) {
    throw std::runtime_error("Cannot focus a disabled or invisible window");
  }
  ParentForm()->FocusControl(this);
}

bool TWinControl::WantsKey(std::uint16_t) const {
  return false;
}

void TWinControl::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (OnKeyDown) {
    OnKeyDown(this, key, shift);
  }
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) {
    OnKeyPress(this, key);
  }
}

void TWinControl::KeyUp(std::uint16_t& key, TShiftState shift) {
  if (OnKeyUp) {
    OnKeyUp(this, key, shift);
  }
}

void TWinControl::HandleKey(std::uint16_t, TShiftState) {}
void TWinControl::HandleChar(char) {}
void TWinControl::HandleDoubleByte(const std::string&) {}
void TWinControl::HandlePaste(const std::string&) {}

void TWinControl::DoEnter() {
  if (OnEnter) {
    OnEnter(this);
  }
}

void TWinControl::DoExit() {
  if (OnExit) {
    OnExit(this);
  }
}

}  // namespace ui
