// Buttons, check boxes, radio buttons and the containers; the client areas of the
// group box and the page control.
#include "ui/StdCtrls.h"

#include <algorithm>

#include "ui/Forms.h"
#include "ui/ScreenFont.h"
#include "ui/VisitKind.h"

namespace ui {

// The form takes the button's modal result before the handler runs, so a handler
// may still take it back by setting the form's ModalResult to mrNone.
void TButton::Click() {
  if (modalResult_ != mrNone) {
    if (TForm* form = ParentForm()) {
      form->SetModalResult(modalResult_);
    }
  }
  TControl::Click();
}

void TButton::HandleKey(std::uint16_t key, TShiftState) {
  if (key == vk::Space) {
    Click();
  }
}

void TBitBtn::SetKind(TBitBtnKind kind) {
  Assign(kind_, kind, chLook);
  switch (kind) {
    case bkOK:
      SetModalResult(mrOk);
      SetDefault(true);
      break;
    case bkCancel:
      SetModalResult(mrCancel);
      SetCancel(true);
      break;
    case bkYes:
      SetModalResult(mrYes);
      SetDefault(true);
      break;
    case bkNo:
      SetModalResult(mrNo);
      SetCancel(true);
      break;
    case bkAbort:
      SetModalResult(mrAbort);
      break;
    case bkRetry:
      SetModalResult(mrRetry);
      break;
    case bkIgnore:
      SetModalResult(mrIgnore);
      break;
    case bkClose:
    case bkCustom:
      break;
  }
}

void TBitBtn::Click() {
  if (kind_ == bkClose) {
    if (TForm* form = ParentForm()) {
      form->Close();
    }
  }
  TButton::Click();
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) {
    return;
  }
  checked_ = checked;
  Changed(chSelection);
  Click();
}

void TCheckBox::HandleKey(std::uint16_t key, TShiftState) {
  if (key == vk::Space) {
    SetChecked(!checked_);
  }
}

void TRadioButton::HandleKey(std::uint16_t key, TShiftState) {
  if (key == vk::Space) {
    SetChecked(true);
    return;
  }
  const bool back = key == vk::Up || key == vk::Left;
  if ((!back && key != vk::Down && key != vk::Right) || Parent() == nullptr) {
    return;
  }
  std::vector<TRadioButton*> group;
  for (TControl* c : Parent()->Controls()) {
    VisitKind(
        *c,
        [&](TRadioButton& radio) {
          if (&radio == this || radio.CanFocus()) {
            group.push_back(&radio);
          }
        },
        [](TComponent&) {});
  }
  const auto at = std::find(group.begin(), group.end(), this);
  const std::size_t n = group.size();
  const std::size_t i = static_cast<std::size_t>(at - group.begin());
  TRadioButton* next = group[back ? (i + n - 1) % n : (i + 1) % n];
  TForm* form = ParentForm();
  if (next == this || form == nullptr) {
    return;
  }
  form->FocusControl(next);
  if (next->Focused()) {
    next->SetChecked(true);
  }
}

void TRadioButton::SetChecked(bool checked) {
  if (checked == checked_) {
    return;
  }
  checked_ = checked;
  Changed(chSelection);
  if (!checked) {
    return;
  }
  if (Parent()) {
    for (TControl* c : Parent()->Controls()) {
      VisitKind(
          *c,
          [this](TRadioButton& other) {
            if (&other != this && other.checked_) {
              other.checked_ = false;
              other.Changed(chSelection);
            }
          },
          [](TComponent&) {});
    }
  }
  Click();
}

int TTabSheet::PageIndex() const {
  auto* pages = dynamic_cast<TPageControl*>(Parent());
  if (!pages) {
    return -1;
  }
  auto list = pages->Pages();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == this) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void TTabSheet::Click() {
  auto* pages = dynamic_cast<TPageControl*>(Parent());
  if (pages && pages->ActivePage() != this) {
    pages->SetActivePage(this);
    if (pages->OnChange) {
      pages->OnChange(pages);
    }
  }
  TWinControl::Click();
}

std::vector<TTabSheet*> TPageControl::Pages() const {
  std::vector<TTabSheet*> pages;
  for (TControl* c : Controls()) {
    VisitKind(
        *c, [&pages](TTabSheet& sheet) { pages.push_back(&sheet); }, [](TComponent&) {});
  }
  return pages;
}

void TPageControl::SetActivePage(TTabSheet* sheet) {
  Assign(active_, sheet, chSelection);
  for (TTabSheet* page : Pages()) {
    page->SetVisible(page == sheet);
  }
}

void TRadioGroup::SetItems(TStrings items) {
  Assign(items_, std::move(items), chItems);
}

// The frame is a pixel or two; the caption sits on its top edge and takes one line.
TRect TGroupBox::ClientRect() const {
  constexpr int kFrame = 2;
  return {kFrame, std::max(LineHeightOf(Font()), kFrame), std::max(Width() - kFrame, kFrame),
          std::max(Height() - kFrame, kFrame)};
}

// A tab is a line of text with a few pixels above and below; the frame takes four.
TRect TPageControl::ClientRect() const {
  constexpr int kFrame = 4;
  constexpr int kTabPadding = 6;
  const int tabs = LineHeightOf(Font()) + kTabPadding;
  return {kFrame, tabs + kFrame, std::max(Width() - kFrame, kFrame),
          std::max(Height() - kFrame, tabs + kFrame)};
}

void TPageControl::PlaceOwnChildren() {
  const TRect room = ClientRect();
  for (TTabSheet* sheet : Pages()) {
    PlaceChild(*sheet, room.Left, room.Top, room.Width(), room.Height());
  }
}

}  // namespace ui
