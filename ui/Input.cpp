// The operator's mouse and keyboard, delivered as the original platform delivers them.
#include "ui/Input.h"

#include <exception>

#include "sys/GbkChar.h"
#include "ui/Platform.h"
#include "ui/VisitKind.h"

namespace ui {
namespace {

void ShowError(const std::string& text) {
  CurrentPlatform().MessageBox(kAppTitle, text, MsgButtons::Ok, MsgIcon::Error);
}

// Moves the focus to control as a mouse press or a keystroke would; false when a
// handler kept it elsewhere (a validation that sends the focus back).
bool TakeFocus(TWinControl& control) {
  if (control.Focused()) {
    return true;
  }
  TForm* form = control.ParentForm();
  if (!form || !control.CanFocus()) {
    return false;
  }
  form->FocusControl(&control);
  return control.Focused();
}

struct KeyStroke {
  std::uint16_t Key;
  TShiftState Shift;
};

// The key of a US keyboard that types c.
KeyStroke KeyOfChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') {
    return {static_cast<std::uint16_t>(c - 32), 0};
  }
  if (c >= 'A' && c <= 'Z') {
    return {c, ssShift};
  }
  if (c >= '0' && c <= '9') {
    return {c, 0};
  }
  if (c >= 1 && c <= 26) {
    return {static_cast<std::uint16_t>('A' + c - 1), ssCtrl};
  }
  static constexpr struct {
    char Plain, Shifted;
    std::uint16_t Key;
  } kOem[] = {{';', ':', 186},  {'=', '+', 187}, {',', '<', 188}, {'-', '_', 189},
              {'.', '>', 190},  {'/', '?', 191}, {'`', '~', 192}, {'[', '{', 219},
              {'\\', '|', 220}, {']', '}', 221}, {'\'', '"', 222}};
  for (const auto& k : kOem) {
    if (c == static_cast<unsigned char>(k.Plain)) {
      return {k.Key, 0};
    }
    if (c == static_cast<unsigned char>(k.Shifted)) {
      return {k.Key, ssShift};
    }
  }
  static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
  for (int d = 0; d < 10; ++d) {
    if (c == static_cast<unsigned char>(kShiftedDigits[d])) {
      return {static_cast<std::uint16_t>('0' + d), ssShift};
    }
  }
  if (c == ' ') {
    return {vk::Space, 0};
  }
  return {0, 0};
}

// Key up goes to whichever control holds the focus by then.
void ReleaseKey(TWinControl& control, std::uint16_t key, TShiftState shift) {
  TForm* form = control.ParentForm();
  TWinControl* target = form && form->ActiveControl() ? form->ActiveControl() : &control;
  if (form && form->KeyPreview()) {
    form->KeyUp(key, shift);
  }
  if (key) {
    target->KeyUp(key, shift);
  }
}

// Key down (form first when it previews keys); the control's own reaction only when no
// handler consumed the key. Returns the key as the handlers left it.
std::uint16_t PressDown(TWinControl& control, std::uint16_t key, TShiftState shift) {
  TForm* form = control.ParentForm();
  if (form && form->KeyPreview()) {
    form->KeyDown(key, shift);
  }
  if (key) {
    control.KeyDown(key, shift);
  }
  if (key) {
    control.HandleKey(key, shift);
  }
  return key;
}

// Returns the character as the handlers left it (0 when one took it).
char PressChar(TWinControl& control, char ch) {
  TForm* form = control.ParentForm();
  if (form && form->KeyPreview()) {
    form->KeyPress(ch);
  }
  if (ch) {
    control.KeyPress(ch);
  }
  if (ch) {
    control.HandleChar(ch);
  }
  return ch;
}

// The character a key types, 0 for none. Backspace and Delete edit without one.
char CharOfKey(std::uint16_t key) {
  switch (key) {
    case vk::Return:
      return '\r';
    case vk::Escape:
      return '\x1b';
    case vk::Tab:
      return '\t';
    case vk::Space:
      return ' ';
    default:
      return 0;
  }
}

// Enter, Escape and Tab belong to the form unless the control takes them itself.
bool DialogKey(TWinControl& control, std::uint16_t key, TShiftState shift) {
  TForm* form = control.ParentForm();
  if (!form || control.WantsKey(key)) {
    return false;
  }
  if (key == vk::Return || key == vk::Escape) {
    TButton* button = key == vk::Return ? form->EnterButton() : form->CancelButton();
    if (!button) {
      return false;
    }
    button->Click();
    return true;
  }
  if (key == vk::Tab) {
    form->SelectNext(&control, (shift & ssShift) == 0);
    return true;
  }
  return false;
}

// Escape that no handler took closes a form without a cancel button as its close box
// does (the same close query); a handler that gives Escape a meaning of its own takes it.
void EscapeClose(TWinControl& control) {
  TForm* form = control.ParentForm();
  if (form != nullptr && !control.WantsKey(vk::Escape) && form->ModalResult() == mrNone) {
    CloseByOperator(*form);
  }
}

void KeyStrokeOn(TWinControl& control, std::uint16_t key, TShiftState shift) {
  if (!TakeFocus(control)) {
    return;
  }
  if (DialogKey(control, key, shift)) {
    return;
  }
  std::uint16_t left = PressDown(control, key, shift);
  char ch = left ? CharOfKey(left) : 0;
  if (ch) {
    ch = PressChar(control, ch);
  }
  ReleaseKey(control, key, shift);
  if (key == vk::Escape && left == vk::Escape && ch != 0) {
    EscapeClose(control);
  }
}

}  // namespace

bool Dispatch(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const std::exception& e) {
    ShowError(e.what());
  } catch (...) {
    ShowError("Unknown exception");
  }
  return false;
}

void FocusByOperator(TWinControl& control) {
  Dispatch([&] { TakeFocus(control); });
}

void ClickControl(TControl& control) {
  Dispatch([&] {
    if (auto* w = dynamic_cast<TWinControl*>(&control); w && w->AcceptsFocus()) {
      if (!TakeFocus(*w)) {
        return;
      }
    }
    VisitKind(
        control, [](TCheckBox& box) { box.SetChecked(!box.Checked()); },
        [](TRadioButton& radio) { radio.SetChecked(true); },
        [](TFileNameEdit& file) { file.ButtonClick(); }, [](TControl& other) { other.Click(); },
        [](TComponent&) {});
  });
}

void ClickMenuItem(TMenuItem& item) {
  Dispatch([&] {
    if (item.Menu() && item.Menu()->OnPopup) {
      item.Menu()->OnPopup(item.Menu());
    }
    item.Click();
  });
}

void DblClickControl(TControl& control) {
  Dispatch([&] {
    if (auto* w = dynamic_cast<TWinControl*>(&control); w && w->AcceptsFocus()) {
      if (!TakeFocus(*w)) {
        return;
      }
    }
    // An edit selects the word at the caret (where the first click put it) first.
    VisitKind(
        control, [](TCustomEdit& edit) { edit.SelectWord(edit.Caret()); }, [](TComponent&) {});
    control.DblClick();
  });
}

void PressKey(TWinControl& control, std::uint16_t key, TShiftState shift) {
  Dispatch([&] { KeyStrokeOn(control, key, shift); });
}

void TypeText(TWinControl& control, const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    TForm* form = control.ParentForm();
    if (form && form->ModalResult() != mrNone) {
      return;  // the form is closing
    }
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      PressKey(control, vk::Return);
    } else if (c == '\t') {
      PressKey(control, vk::Tab);
    } else if (c == '\b') {
      PressKey(control, vk::Back);
    } else if (sys::GbkCharLength(text, i) == 2) {
      std::string character = text.substr(i, 2);
      ++i;
      Dispatch([&] {
        if (!TakeFocus(control)) {
          return;
        }
        if (PressDown(control, vk::ProcessKey, 0)) {
          control.HandleDoubleByte(character);
        }
        ReleaseKey(control, vk::ProcessKey, 0);
      });
    } else {
      KeyStroke stroke = KeyOfChar(c);
      Dispatch([&] {
        if (!TakeFocus(control)) {
          return;
        }
        if (stroke.Key == 0 || PressDown(control, stroke.Key, stroke.Shift)) {
          PressChar(control, static_cast<char>(c));
        }
        ReleaseKey(control, stroke.Key, stroke.Shift);
      });
    }
  }
}

void PasteText(TWinControl& control, const std::string& text) {
  Dispatch([&] {
    if (!TakeFocus(control)) {
      return;
    }
    if (PressDown(control, 'V', ssCtrl)) {
      char ch = '\x16';
      TForm* form = control.ParentForm();
      if (form && form->KeyPreview()) {
        form->KeyPress(ch);
      }
      if (ch) {
        control.KeyPress(ch);
      }
      if (ch) {
        control.HandlePaste(text);
      }
    }
    ReleaseKey(control, 'V', ssCtrl);
  });
}

void SelectItem(TWinControl& control, int index) {
  Dispatch([&] {
    if (!TakeFocus(control)) {
      return;
    }
    VisitKind(
        control, [index](TComboBox& combo) { combo.SelectByOperator(index); },
        [index](TListBox& list) { list.SelectByOperator(index); },
        [index](TListView& view) { view.SelectByOperator(index); },
        [index](TTreeView& tree) {
          if (TTreeNode* node = tree.Node(index)) {
            tree.SelectByOperator(node);
          }
        },
        [index](TRadioGroup& group) {
          group.SetItemIndex(index);
          group.Click();
        },
        [](TComponent&) {});
  });
}

void CheckControl(TWinControl& control, bool checked) {
  Dispatch([&] {
    if (!TakeFocus(control)) {
      return;
    }
    VisitKind(
        control, [checked](TCheckBox& box) { box.SetChecked(checked); },
        [checked](TRadioButton& radio) {
          if (checked) {
            radio.SetChecked(true);
          }
        },
        [](TComponent&) {});
  });
}

void CheckItem(TCheckListBox& list, int index, bool checked) {
  Dispatch([&] {
    if (TakeFocus(list)) {
      list.CheckByOperator(index, checked);
    }
  });
}

namespace {

TShiftState ButtonShift(TMouseButton button) {
  return button == mbLeft ? ssLeft : button == mbRight ? ssRight : ssMiddle;
}

// The end of a gesture over list that began with a press at (x, y0): a drag the press
// started comes to (x, y1) and drops there if the list accepts it; without a drag the
// button comes up at (x, y1).
void FinishGesture(TListBox& list, TMouseButton button, int x, int y1) {
  if (!list.Dragging()) {
    list.MouseUp(button, ButtonShift(button), x, y1);
    return;
  }
  bool accepted = list.DragOver(&list, x, y1, dsDragMove);
  list.EndDrag();
  if (accepted) {
    list.DragDrop(&list, x, y1);
  }
}

// The press over item from; the left button selects the item first, as on the
// platform, and so does the right one: a context menu acts on the row it was opened on.
void PressOver(TListBox& list, int from, TMouseButton button, int x, int y0) {
  if (button != mbMiddle) {
    list.SelectByOperator(from);
  }
  list.MouseDown(button, ButtonShift(button), x, y0);
}

}  // namespace

// The pointer goes down over item from, moves past the drag threshold, then to the
// target item, and comes up there.
void DragItem(TListBox& list, int from, int to, TMouseButton button) {
  Dispatch([&] {
    if (!TakeFocus(list)) {
      return;
    }
    int x = list.Width() / 2;
    int y0 = list.ItemCenterY(from);
    int count = static_cast<int>(list.Items().size());
    int y1 = to < 0 ? list.ItemCenterY(count) + list.ItemHeight() : list.ItemCenterY(to);
    PressOver(list, from, button, x, y0);
    if (list.DragPending()) {
      StartPendingDrag(list);
      list.DragOver(&list, x, y0 + list.DragThreshold() + 1, dsDragEnter);
    }
    FinishGesture(list, button, x, y1);
  });
  list.EndDrag();  // also when a handler raised
}

// The pointer goes down over item from and comes up dy pixels lower. A drag waiting
// for the threshold begins only when the way reaches it.
void PressAndMove(TListBox& list, int from, int dy, TMouseButton button) {
  Dispatch([&] {
    if (!TakeFocus(list)) {
      return;
    }
    int x = list.Width() / 2;
    int y0 = list.ItemCenterY(from);
    int y1 = y0 + dy;
    PressOver(list, from, button, x, y0);
    if (list.DragPending() && (dy >= list.DragThreshold() || -dy >= list.DragThreshold())) {
      StartPendingDrag(list);
      list.DragOver(&list, x, y1, dsDragEnter);
    }
    FinishGesture(list, button, x, y1);
  });
  list.EndDrag();  // the release ends a drag that never began
}

void CloseByOperator(TForm& form) {
  form.SetModalResult(mrCancel);
}

}  // namespace ui
