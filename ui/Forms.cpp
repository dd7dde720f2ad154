// The form: closing, the focus and its moves, the tab order, the default and cancel
// buttons.
#include "ui/Forms.h"

#include <algorithm>

#include "ui/VisitKind.h"

namespace ui {

TForm::TForm(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {
  SetVisible(true);
}

// Controls go while the form is still whole: they leave the focus and their parents,
// with no list of changes kept for them any more.
TForm::~TForm() {
  destroying_ = true;
  changed_.clear();
  DestroyComponents();
}

int TForm::ShowModal() {
  return CurrentPlatform().ShowModal(*this);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) {
    OnCloseQuery(this, canClose);
  }
  if (!canClose) {
    modalResult_ = mrNone;
  }
  return canClose;
}

void TForm::SetActiveControl(TWinControl* control) {
  FocusControl(control);
}

namespace {

// The chain from control up to (not including) the form, innermost first.
std::vector<TWinControl*> Chain(TWinControl* control) {
  std::vector<TWinControl*> chain;
  for (TWinControl* c = control; c && c->Parent(); c = c->Parent()) {
    chain.push_back(c);
  }
  return chain;
}

}  // namespace

// Exit runs from the control losing the focus outwards to the first container shared
// with the new one, enter from below that container inwards. Each handler may move
// the focus itself; the serial tells this call that it has been overtaken.
void TForm::FocusControl(TWinControl* control) {
  unsigned serial = ++focusSerial_;
  if (control == focused_) {
    return;
  }
  // A form not yet shown only remembers where the focus will start.
  if (!modal_) {
    SetFocused(control);
    return;
  }
  std::vector<TWinControl*> from = Chain(focused_);
  std::vector<TWinControl*> to = Chain(control);
  auto shared = [](const std::vector<TWinControl*>& chain, TWinControl* c) {
    return std::find(chain.begin(), chain.end(), c) != chain.end();
  };
  for (TWinControl* c : from) {
    if (shared(to, c)) {
      break;
    }
    c->DoExit();
    if (serial != focusSerial_) {
      return;
    }
  }
  SetFocused(control);
  std::vector<TWinControl*> entering;
  for (TWinControl* c : to) {
    if (shared(from, c)) {
      break;
    }
    entering.push_back(c);
  }
  for (auto it = entering.rbegin(); it != entering.rend(); ++it) {
    (*it)->DoEnter();
    if (serial != focusSerial_) {
      return;
    }
  }
}

namespace {

// Focusable controls in tab order: siblings by TabOrder (ties by joining order), each
// container's children where the container stands.
void CollectTabOrder(const TWinControl& parent, std::vector<TWinControl*>& out) {
  std::vector<TWinControl*> windowed;
  for (TControl* c : parent.Controls()) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      windowed.push_back(w);
    }
  }
  std::stable_sort(windowed.begin(), windowed.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* w : windowed) {
    if (!w->Visible() || !w->Enabled()) {
      continue;
    }
    if (w->AcceptsFocus() && w->TabStop()) {
      out.push_back(w);
    }
    CollectTabOrder(*w, out);
  }
}

}  // namespace

TWinControl* TForm::FindNextControl(TWinControl* from, bool forward) const {
  std::vector<TWinControl*> order;
  CollectTabOrder(*this, order);
  if (order.empty()) {
    return nullptr;
  }
  auto it = std::find(order.begin(), order.end(), from);
  if (it == order.end()) {
    return forward ? order.front() : order.back();
  }
  std::size_t i = static_cast<std::size_t>(it - order.begin());
  std::size_t n = order.size();
  return order[forward ? (i + 1) % n : (i + n - 1) % n];
}

namespace {

// A one-line edit the keyboard (or the form's opening) brings the focus to has all its
// text selected, so typing replaces it, as the platform's edits do.
void SelectOnEntry(TWinControl& control) {
  if (control.Focused()) {
    VisitKind(
        control, [](TMemo&) {}, [](TCustomEdit& edit) { edit.SelectAll(); }, [](TComponent&) {});
  }
}

}  // namespace

void TForm::SelectNext(TWinControl* from, bool forward) {
  if (TWinControl* next = FindNextControl(from, forward)) {
    FocusControl(next);
    SelectOnEntry(*next);
  }
}

namespace {

// A button's children are not looked into; any other container's are.
TButton* FindButton(const TWinControl& parent, bool wantDefault) {
  for (TControl* c : parent.Controls()) {
    if (!c->Visible() || !c->Enabled()) {
      continue;
    }
    TButton* found = VisitKind(
        *c,
        [&](TButton& b) -> TButton* {
          return (wantDefault ? b.Default() : b.Cancel()) ? &b : nullptr;
        },
        [&](TWinControl& w) { return FindButton(w, wantDefault); },
        [](TComponent&) -> TButton* { return nullptr; });
    if (found != nullptr) {
      return found;
    }
  }
  return nullptr;
}

}  // namespace

TButton* TForm::DefaultButton() const {
  return FindButton(*this, true);
}
TButton* TForm::CancelButton() const {
  return FindButton(*this, false);
}

TButton* TForm::EnterButton() const {
  if (focused_ != nullptr) {
    if (TButton* focused = VisitKind(
            *focused_, [](TButton& b) { return &b; },
            [](TComponent&) -> TButton* { return nullptr; })) {
      return focused;
    }
  }
  return DefaultButton();
}

// The focus starts where OnShow put it, else on the active control chosen by the
// dialog, else on the first control in tab order.
void TForm::BeginModal() {
  modal_ = true;
  modalResult_ = mrNone;
  TWinControl* preset = focused_;
  SetFocused(nullptr);
  if (OnShow) {
    OnShow(this);
  }
  if (focused_) {
    return;
  }
  TWinControl* start = preset && preset->CanFocus() ? preset : FindNextControl(nullptr, true);
  if (start) {
    FocusControl(start);
    SelectOnEntry(*start);
  }
}

void TForm::EndModal() {
  modal_ = false;
  if (OnClose) {
    OnClose(this);
  }
}

void TForm::SetFocused(TWinControl* control) {
  if (control != focused_) {
    focused_ = control;
    Changed(chFocus);
  }
}

std::vector<TControl*> TForm::TakeChangedControls() {
  std::vector<TControl*> taken;
  taken.swap(changed_);
  for (TControl* control : taken) {
    control->listed_ = false;
  }
  return taken;
}

bool TForm::List(TControl* control) {
  if (destroying_) {
    return false;
  }
  changed_.push_back(control);
  return true;
}

// A control leaves the list only when it leaves the form, which is rare once the form
// is shown: a search of the list is cheap enough.
void TForm::Unlist(TControl* control) {
  if (!destroying_) {
    changed_.erase(std::remove(changed_.begin(), changed_.end(), control), changed_.end());
  }
}

void TForm::ForgetControl(TControl* control) {
  for (TWinControl* c = focused_; c; c = c->Parent()) {
    if (c == control) {
      SetFocused(nullptr);
      return;
    }
  }
}

}  // namespace ui
