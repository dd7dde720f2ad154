// Controls and windowed controls; the layout of docked and anchored children; the
// change records and the form's list of changed controls.
#include "ui/Control.h"

#include <algorithm>
#include <stdexcept>

#include "ui/Forms.h"

namespace ui {

TControl::TControl(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}

TControl::~TControl() {
  SetParent(nullptr);
}

// A windowed control joins at the end of its new siblings' tab order. Both parents
// record that their children changed; the control, new where it arrives, records
// everything. Leaving its form, it and its children leave the form's list of changed
// controls, so that the list never names a control of another form or a destroyed one.
void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) {
    return;
  }
  TForm* oldForm = ParentForm();
  if (parent_) {
    auto& list = parent_->children_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    parent_->Changed(chChildren);
  }
  parent_ = parent;
  if (oldForm != nullptr && oldForm != this && oldForm != ParentForm()) {
    UnlistTree(*oldForm);
  }
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
    self->tabOrder_ = windowed;
  }
  parent_->children_.push_back(this);
  RecordAnchorOrigin();
  parent_->Changed(chChildren);
  Changed(chAll);
}

void TControl::UnlistTree(TForm& form) {
  if (listed_) {
    form.Unlist(this);
    listed_ = false;
  }
  if (auto* windowed = dynamic_cast<TWinControl*>(this)) {
    for (TControl* child : windowed->children_) {
      child->UnlistTree(form);
    }
  }
}

TChangeRecord& TControl::Record() {
  if (!listed_) {
    if (TForm* form = ParentForm()) {
      listed_ = form->List(this);
    }
  }
  return changes_;
}

TChangeRecord TControl::TakeChanges() {
  TChangeRecord taken = std::move(changes_);
  changes_.Clear();
  return taken;
}

void TControl::SetEnabled(bool enabled) {
  Assign(enabled_, enabled, chEnabled);
}

void TControl::SetVisible(bool visible) {
  Assign(visible_, visible, chVisible);
}

void TControl::SetCaption(std::string caption) {
  Assign(caption_, std::move(caption), chText);
}

void TControl::SetColor(TColor color) {
  Assign(color_, color, chLook);
}

void TControl::SetHint(std::string hint) {
  Assign(hint_, std::move(hint), chLook);
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
    if (!c->visible_) {
      return false;
    }
  }
  return true;
}

bool TControl::IsUsable() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->visible_ || !c->enabled_) {
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
  if (!parentFont_ && font == font_) {
    return;
  }
  font_ = font;
  parentFont_ = false;
  Changed(chFont);
}

void TControl::SetParentFont(bool parentFont) {
  Assign(parentFont_, parentFont, chFont);
}

void TControl::SetAnchors(TAnchors anchors) {
  anchors_ = anchors;
  RecordAnchorOrigin();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  PlaceAt(left, top, width, height);
  RecordAnchorOrigin();
  if (align_ != alNone && parent_ != nullptr) {
    parent_->Realign();
  }
}

void TControl::SetConstraints(const TSizeConstraints& constraints) {
  Assign(constraints_, constraints, chGeometry);
}

void TControl::PlaceAt(int left, int top, int width, int height) {
  width = std::max(width, constraints_.MinWidth);
  height = std::max(height, constraints_.MinHeight);
  if (constraints_.MaxWidth > 0) {
    width = std::min(width, constraints_.MaxWidth);
  }
  if (constraints_.MaxHeight > 0) {
    height = std::min(height, constraints_.MaxHeight);
  }
  width = std::max(width, 0);
  height = std::max(height, 0);
  const bool resized = width != width_ || height != height_;
  if (resized || left != left_ || top != top_) {
    Changed(chGeometry);
  }
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (resized) {
    SizeChanged();
    Resize();
  }
}

void TControl::RecordAnchorOrigin() {
  origin_ = {left_,
             top_,
             width_,
             height_,
             parent_ != nullptr ? parent_->Width() : 0,
             parent_ != nullptr ? parent_->Height() : 0};
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

namespace {

// One axis of an anchored control for its parent's new extent: both edges stretch it,
// the far edge moves it, no edge keeps its centre in proportion, the near edge keeps it.
void AnchorAxis(bool nearEdge, bool farEdge, int origin, int originSize, int originParent,
                int parent, int& position, int& size) {
  const int grown = parent - originParent;
  position = origin;
  size = originSize;
  if (nearEdge && farEdge) {
    size = originSize + grown;
  } else if (farEdge) {
    position = origin + grown;
  } else if (!nearEdge && originParent > 0) {
    const long long centre = (2LL * origin + originSize) * parent / originParent;
    position = static_cast<int>((centre - originSize) / 2);
  }
}

}  // namespace

// Docked children first, as the original platform docks them: the top edge (in the
// order of their tops), the bottom edge (lowest first), left, right, then the fill.
// Hidden children take no room. Then the anchored children for the present size.
void TWinControl::Realign() {
  if (aligning_) {
    return;
  }
  aligning_ = true;
  PlaceOwnChildren();
  TRect room = ClientRect();
  auto docked = [this](TAlign align) {
    std::vector<TControl*> list;
    for (TControl* c : children_) {
      if (c->align_ == align && c->Visible()) {
        list.push_back(c);
      }
    }
    std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop:
          return a->Top() < b->Top();
        case alBottom:
          return a->Top() + a->Height() > b->Top() + b->Height();
        case alLeft:
          return a->Left() < b->Left();
        case alRight:
          return a->Left() + a->Width() > b->Left() + b->Width();
        default:
          return false;
      }
    });
    return list;
  };
  for (TControl* c : docked(alTop)) {
    c->PlaceAt(room.Left, room.Top, room.Width(), c->Height());
    room.Top += c->Height();
  }
  for (TControl* c : docked(alBottom)) {
    c->PlaceAt(room.Left, room.Bottom - c->Height(), room.Width(), c->Height());
    room.Bottom -= c->Height();
  }
  for (TControl* c : docked(alLeft)) {
    c->PlaceAt(room.Left, room.Top, c->Width(), room.Height());
    room.Left += c->Width();
  }
  for (TControl* c : docked(alRight)) {
    c->PlaceAt(room.Right - c->Width(), room.Top, c->Width(), room.Height());
    room.Right -= c->Width();
  }
  for (TControl* c : docked(alClient)) {
    c->PlaceAt(room.Left, room.Top, std::max(room.Width(), 0), std::max(room.Height(), 0));
  }
  for (TControl* c : children_) {
    if (c->align_ != alNone || c->anchors_ == akLeftTop) {
      continue;
    }
    const AnchorOrigin& o = c->origin_;
    int left = 0, width = 0, top = 0, height = 0;
    AnchorAxis((c->anchors_ & akLeft) != 0, (c->anchors_ & akRight) != 0, o.Left, o.Width,
               o.ParentWidth, Width(), left, width);
    AnchorAxis((c->anchors_ & akTop) != 0, (c->anchors_ & akBottom) != 0, o.Top, o.Height,
               o.ParentHeight, Height(), top, height);
    c->PlaceAt(left, top, width, height);
  }
  aligning_ = false;
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
