// The input router. Each handler ends in one of the operator functions of ui/Input.h, or
// in the model calls the list gesture of ui/Input.h is made of, then in AfterInput.
#include "ui/qt/InputRouter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

#include "ui/Input.h"
#include "ui/VisitKind.h"
#include "ui/qt/ControlViews.h"
#include "ui/qt/QtFont.h"
#include "ui/qt/QtText.h"

namespace ui {
namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers) {
  TShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) {
    shift |= ssShift;
  }
  if (modifiers & Qt::ControlModifier) {
    shift |= ssCtrl;
  }
  if (modifiers & Qt::AltModifier) {
    shift |= ssAlt;
  }
  return shift;
}

TMouseButton ButtonOf(Qt::MouseButton button) {
  return button == Qt::RightButton ? mbRight : button == Qt::MiddleButton ? mbMiddle : mbLeft;
}

TShiftState ButtonShift(TMouseButton button) {
  return button == mbLeft ? ssLeft : button == mbRight ? ssRight : ssMiddle;
}

// A key that types its text: printable characters without Ctrl, Alt or Meta.
bool TypesText(const QKeyEvent& event) {
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    return false;
  }
  const QString text = event.text();
  if (text.isEmpty()) {
    return false;
  }
  return std::all_of(text.begin(), text.end(),
                     [](QChar c) { return c.unicode() >= 0x20 && c.unicode() != 0x7F; });
}

// The model's pixels of a point over a list box's item: the item's middle, so the
// list's ItemAtPos finds that item whatever the screen's row height; below the last
// item for a point under them, above the list for a point above it.
int ListY(const TListBox& list, int item, const QPoint& pos) {
  if (item >= 0) {
    return list.ItemCenterY(item);
  }
  return pos.y() < 0 ? -1 : list.ItemCenterY(static_cast<int>(list.Items().size()));
}

TPopupMenu* PopupOf(TControl& control) {
  for (TControl* c = &control; c != nullptr; c = c->Parent()) {
    if (c->PopupMenu() != nullptr) {
      return c->PopupMenu();
    }
  }
  return nullptr;
}

QWidget* WidgetOf(QObject* source) {
  return qobject_cast<QWidget*>(source);
}

bool IsComboBox(const TControl& control) {
  return VisitKind(
      control, [](const TComboBox&) { return true; }, [](const TComponent&) { return false; });
}

}  // namespace

std::uint16_t InputRouter::VirtualKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return vk::Return;
    case Qt::Key_Escape:
      return vk::Escape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return vk::Tab;
    case Qt::Key_Backspace:
      return vk::Back;
    case Qt::Key_Delete:
      return vk::Delete;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_Home:
      return vk::Home;
    case Qt::Key_End:
      return vk::End;
    case Qt::Key_Left:
      return vk::Left;
    case Qt::Key_Up:
      return vk::Up;
    case Qt::Key_Right:
      return vk::Right;
    case Qt::Key_Down:
      return vk::Down;
    case Qt::Key_Space:
      return vk::Space;
    default:
      break;
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
    return static_cast<std::uint16_t>(vk::F1 + (qtKey - Qt::Key_F1));
  }
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return static_cast<std::uint16_t>(qtKey);  // Qt's letters and digits are their ASCII codes
  }
  return 0;
}

bool InputRouter::Route(TControl& control, ControlView& view, QObject* source, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (view.IsPopupList(source)) {
        return PopupKey(control, view, static_cast<QKeyEvent&>(*event));
      }
      return Key(static_cast<QKeyEvent&>(*event));
    case QEvent::KeyRelease:
      // A key is delivered whole (down, press, up) when it goes down.
      return !view.IsPopupList(source);
    case QEvent::InputMethod:
      return InputMethod(source, static_cast<QInputMethodEvent&>(*event));
    case QEvent::MouseButtonPress:
      return Press(control, view, source, static_cast<QMouseEvent&>(*event));
    case QEvent::MouseMove:
      return Move(view, source, static_cast<QMouseEvent&>(*event));
    case QEvent::MouseButtonRelease:
      return Release(control, view, source, static_cast<QMouseEvent&>(*event));
    case QEvent::MouseButtonDblClick:
      return DoubleClick(control, view, source, static_cast<QMouseEvent&>(*event));
    case QEvent::ContextMenu:
      if (view.IsPopupList(source)) {
        return true;
      }
      return ContextMenu(control, source, static_cast<QContextMenuEvent*>(event)->globalPos());
    case QEvent::Wheel:
      // The wheel scrolls a list on screen, but would pick another item of a combo box.
      return IsComboBox(control) && !view.IsPopupList(source);
    case QEvent::Shortcut:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

bool InputRouter::Key(QKeyEvent& event) {
  TWinControl* target = host_.HostForm().ActiveControl();
  if (target == nullptr) {
    return true;  // no control has the focus: the key goes nowhere
  }
  ControlView* targetView = host_.ViewOf(*target);
  const int key = event.key();
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  const TShiftState shift = ShiftOf(modifiers);
  if (event.matches(QKeySequence::Paste) ||
      (key == Qt::Key_Insert && (modifiers & Qt::ShiftModifier))) {
    Paste(*target);
  } else if (key == Qt::Key_Menu || (key == Qt::Key_F10 && (modifiers & Qt::ShiftModifier))) {
    if (targetView != nullptr) {
      ContextMenu(*target, targetView->Widget(), targetView->MenuPoint());
    }
    return true;
  } else if (event.matches(QKeySequence::Copy)) {
    PressKey(*target, 'C', ssCtrl);
    Copy(*target);
  } else if (event.matches(QKeySequence::Cut)) {
    Cut(*target);
  } else if (TypesText(event)) {
    Type(*target, event.text());
  } else if (std::uint16_t code = VirtualKey(key)) {
    if (IsComboBox(*target) && targetView != nullptr &&
        (key == Qt::Key_F4 ||
         ((modifiers & Qt::AltModifier) && (key == Qt::Key_Down || key == Qt::Key_Up)))) {
      targetView->ShowPopupList();  // the list only opens; choosing in it selects
      return true;
    }
    PressKey(*target, code, shift);
  } else {
    return true;  // a key the model has no code for (a lone Shift, a media key)
  }
  host_.AfterInput();
  return true;
}

// Keys in an open drop-down list: Enter chooses the highlighted item, Escape (or the
// keys that open it) closes it; the arrows move the highlight on screen only.
bool InputRouter::PopupKey(TControl& control, ControlView& view, QKeyEvent& event) {
  const int key = event.key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    const int row = view.PopupRow();
    view.HidePopupList();
    SelectFromPopup(control, row);
    host_.AfterInput();
    return true;
  }
  if (key == Qt::Key_Escape || key == Qt::Key_F4 ||
      ((event.modifiers() & Qt::AltModifier) && (key == Qt::Key_Up || key == Qt::Key_Down))) {
    view.HidePopupList();
    return true;
  }
  return false;
}

// Only a combo box has a drop-down list to choose from.
void InputRouter::SelectFromPopup(TControl& control, int row) {
  if (row < 0) {
    return;
  }
  VisitKind(
      control, [row](TComboBox& combo) { SelectItem(combo, row); }, [](TComponent&) {});
}

void InputRouter::Type(TWinControl& target, const QString& text) {
  const std::optional<std::string> gbk = FromQt(text);
  if (!gbk) {
    host_.Refused();
    return;
  }
  TypeText(target, *gbk);
}

// The clipboard's text as one paste; an empty clipboard pastes nothing.
void InputRouter::Paste(TWinControl& target) {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) {
    return;
  }
  const std::optional<std::string> gbk = FromQt(text);
  if (!gbk) {
    host_.Refused();
    return;
  }
  PasteText(target, *gbk);
}

// A password is never copied, as on the original platform.
void InputRouter::Copy(TWinControl& target) {
  auto copy = [](const TCustomEdit& edit, bool memo) {
    if (edit.SelLength() != 0) {
      QGuiApplication::clipboard()->setText(ShownText(edit.SelText(), memo));
    }
  };
  VisitKind(
      target,
      [&](const TEdit& edit) {
        if (edit.PasswordChar() == 0) {
          copy(edit, false);
        }
      },
      [&](const TMemo& memo) { copy(memo, true); },
      [&](const TCustomEdit& edit) { copy(edit, false); }, [](const TComponent&) {});
}

// A committed text is typed as the input method delivers it (each double-byte character
// as one); the composition still under way is the widget's to show, not the control's
// text yet.
bool InputRouter::InputMethod(QObject* source, QInputMethodEvent& event) {
  if (forwarding_) {
    return false;
  }
  if (event.commitString().isEmpty()) {
    return false;
  }
  if (TWinControl* target = host_.HostForm().ActiveControl()) {
    Type(*target, event.commitString());
    host_.AfterInput();
  }
  QInputMethodEvent composing(event.preeditString(), event.attributes());
  forwarding_ = true;
  QCoreApplication::sendEvent(source, &composing);
  forwarding_ = false;
  return true;
}

bool InputRouter::Press(TControl& control, ControlView& view, QObject* source, QMouseEvent& event) {
  if (view.IsPopupList(source)) {
    return false;  // the list highlights the row; the release chooses it
  }
  gesture_ = Gesture{};
  const TMouseButton button = ButtonOf(event.button());
  const QPoint pos = event.position().toPoint();
  if (button == mbMiddle || !control.IsUsable()) {
    return true;  // no paste of the X selection: the platform's edits have none
  }
  // A press over a list box: mouse down with the left button's selection, and the
  // gesture that may become a drag.
  auto pressList = [&](TListBox& list, int item) {
    FocusByOperator(list);
    if (list.Focused()) {
      gesture_ = Gesture{&list, source, button, pos, true};
      Dispatch([&] {
        if (item >= 0) {  // the right button too: its menu acts on the row
          list.SelectByOperator(item);
        }
        list.MouseDown(button, ButtonShift(button), pos.x(), ListY(list, item, pos));
      });
    }
  };
  // Buttons, check boxes, labels, tabs, radio items, a browse button: the click comes
  // when the button comes up over the same place.
  auto awaitRelease = [&] {
    if (button == mbLeft) {
      gesture_ = Gesture{&control, source, button, pos};
      gesture_.Item = view.ItemAt(source, pos);
    }
    return false;
  };
  // A tree's node or a list view's row under the left or right button is selected (a
  // context menu acts on it); elsewhere the press only focuses.
  auto selectOrFocus = [&](TWinControl& list) {
    const int item = view.ItemAt(source, pos);
    if (item >= 0) {
      SelectItem(list, item);
    } else {
      FocusByOperator(list);
    }
    return true;
  };
  // Lists and edits take the press at once (true: the model took an input).
  const bool taken = VisitKind(
      control,
      [&](TCheckListBox& list) {
        const int item = view.ItemAt(source, pos);
        if (button == mbLeft && view.OnCheckBox(source, pos, item)) {
          CheckItem(list, item, !list.Checked(item));
        } else {
          pressList(list, item);
        }
        return true;
      },
      [&](TListBox& list) {
        pressList(list, view.ItemAt(source, pos));
        return true;
      },
      [&](TTreeView& tree) {
        const int expander = button == mbLeft ? view.ExpanderAt(source, pos) : -1;
        if (TTreeNode* node = expander >= 0 ? tree.Node(expander) : nullptr) {
          Dispatch([&] { tree.SetExpanded(node, !node->Expanded()); });
          return true;
        }
        return selectOrFocus(tree);
      },
      [&](TListView& list) { return selectOrFocus(list); },
      [&](TComboBox& combo) {
        if (button != mbLeft) {
          return false;
        }
        FocusByOperator(combo);
        if (combo.Focused()) {
          const int byte = view.ByteAt(control, source, pos);
          if (byte >= 0) {
            Dispatch([&] { combo.SetSelStart(byte); });
          } else {
            view.ShowPopupList();
          }
        }
        return true;
      },
      [&](TCustomEdit& edit) {
        if (view.IsButton(source)) {
          return awaitRelease();
        }
        if (button != mbLeft) {
          return false;
        }
        // A click in the text: the focus (if it gets there), the click, the caret.
        FocusByOperator(edit);
        if (edit.Focused()) {
          Dispatch([&] { edit.Click(); });
          const int byte = view.ByteAt(control, source, pos);
          if (byte >= 0 && edit.Focused()) {
            Dispatch([&] { edit.SetSelStart(byte); });
            gesture_ = Gesture{&edit, source, button, pos, false, true, edit.SelStart()};
          }
        }
        return true;
      },
      [&](TComponent&) { return awaitRelease(); });
  if (taken) {
    host_.AfterInput();
  }
  return true;
}

bool InputRouter::Move(ControlView& view, QObject* source, QMouseEvent& event) {
  if (view.IsPopupList(source)) {
    return false;
  }
  const QPoint pos = event.position().toPoint();
  if (gesture_.OverList && gesture_.Source == source) {
    auto& list = static_cast<TListBox&>(*gesture_.Control);
    const int x = pos.x();
    const int y = ListY(list, view.ItemAt(source, pos), pos);
    const QPoint moved = pos - gesture_.Start;
    const int distance = std::max(std::abs(moved.x()), std::abs(moved.y()));
    bool accepted = false;
    bool ran = false;
    if (list.DragPending() && distance >= list.DragThreshold()) {
      ran = Dispatch([&] {
        StartPendingDrag(list);
        accepted = list.DragOver(&list, x, y, dsDragEnter);
      });
    } else if (list.Dragging()) {
      ran = Dispatch([&] { accepted = list.DragOver(&list, x, y, dsDragMove); });
    }
    if (ran && list.Dragging()) {
      view.Widget()->setCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    }
    return true;
  }
  if (gesture_.Selecting && gesture_.Source == source) {
    auto& edit = static_cast<TCustomEdit&>(*gesture_.Control);
    const int byte = view.ByteAt(edit, source, pos);
    if (byte >= 0) {
      const int anchor = gesture_.Anchor;
      Dispatch([&] { edit.Select(std::min(anchor, byte), std::abs(byte - anchor)); });
      host_.AfterInput();
    }
    return true;
  }
  return event.buttons() != Qt::NoButton;
}

void InputRouter::FinishListGesture(ControlView& view, QObject* source, const QPoint& pos) {
  auto& list = static_cast<TListBox&>(*gesture_.Control);
  const TMouseButton button = gesture_.Button;
  const int x = pos.x();
  const int y = ListY(list, view.ItemAt(source, pos), pos);
  gesture_ = Gesture{};
  Dispatch([&] {
    if (!list.Dragging()) {
      list.MouseUp(button, ButtonShift(button), x, y);
      return;
    }
    const bool accepted = list.DragOver(&list, x, y, dsDragMove);
    list.EndDrag();
    if (accepted) {
      list.DragDrop(&list, x, y);
    }
  });
  list.EndDrag();  // also when a handler raised: the release ends any drag
  view.Widget()->unsetCursor();
  host_.AfterInput();
}

bool InputRouter::Release(TControl& control, ControlView& view, QObject* source,
                          QMouseEvent& event) {
  const QPoint pos = event.position().toPoint();
  if (view.IsPopupList(source)) {
    const int row = view.ItemAt(source, pos);
    if (row < 0) {
      return false;
    }
    view.HidePopupList();
    SelectFromPopup(control, row);
    host_.AfterInput();
    return true;
  }
  if (gesture_.OverList && gesture_.Source == source) {
    FinishListGesture(view, source, pos);
    return true;
  }
  const Gesture pressed = gesture_;
  gesture_ = Gesture{};
  QWidget* widget = WidgetOf(source);
  const bool over = widget != nullptr && widget->rect().contains(pos);
  if (pressed.Control != &control || pressed.Source != source || pressed.Selecting || !over ||
      ButtonOf(event.button()) != mbLeft || !control.IsUsable()) {
    return true;
  }
  VisitKind(
      control,
      [&](TPageControl& pages) {
        const std::vector<TTabSheet*> sheets = pages.Pages();
        const int tab = view.ItemAt(source, pos);
        if (tab >= 0 && tab == pressed.Item && tab < static_cast<int>(sheets.size())) {
          ClickControl(*sheets[static_cast<std::size_t>(tab)]);
        }
      },
      [&](TRadioGroup& group) {
        if (pressed.Item >= 0) {
          SelectItem(group, pressed.Item);
        } else {
          ClickControl(group);
        }
      },
      // A file name edit's browse button opens its dialog.
      [](TControl& other) { ClickControl(other); }, [](TComponent&) {});
  host_.AfterInput();
  return true;
}

bool InputRouter::DoubleClick(TControl& control, ControlView& view, QObject* source,
                              QMouseEvent& event) {
  if (view.IsPopupList(source)) {
    return false;
  }
  const QPoint pos = event.position().toPoint();
  if (event.button() != Qt::LeftButton || !control.IsUsable()) {
    return true;
  }
  // A quick second press on a button, a check box or a tab is another press.
  const bool pressAgain =
      view.IsButton(source) ||
      VisitKind(
          control, [](TButton&) { return true; }, [](TCheckBox&) { return true; },
          [](TRadioButton&) { return true; }, [](TPageControl&) { return true; },
          [](TRadioGroup&) { return true; }, [](TComponent&) { return false; });
  if (pressAgain) {
    return Press(control, view, source, event);
  }
  VisitKind(
      control, [](TComboBox&) {},
      [&](TTreeView& tree) {
        if (view.ExpanderAt(source, pos) >= 0) {
          return;
        }
        // A double click opens or closes the node, as on the original platform.
        const int order = view.ItemAt(source, pos);
        DblClickControl(tree);
        if (TTreeNode* node = order >= 0 ? tree.Node(order) : nullptr) {
          Dispatch([&] { tree.SetExpanded(node, !node->Expanded()); });
        }
        host_.AfterInput();
      },
      [&](TControl& other) {
        gesture_ = Gesture{};
        DblClickControl(other);
        host_.AfterInput();
      },
      [](TComponent&) {});
  return true;
}

// A password is not cut, as it is not copied; a read-only text is not cut either.
void InputRouter::Cut(TWinControl& target) {
  const bool cuts = VisitKind(
      target, [](const TEdit& edit) { return !edit.ReadOnly() && edit.PasswordChar() == 0; },
      [](const TCustomEdit& edit) { return !edit.ReadOnly(); },
      [](const TComponent&) { return false; });
  if (cuts) {
    Copy(target);
    PressKey(target, 'X', ssCtrl);
  }
}

// An edit without a menu of its own has the platform's: Cut, Copy, Paste, Delete and
// Select All, each done as its keys do it, so the edit's rules judge the change. Qt's
// own texts (and so its translations) name them.
void InputRouter::EditMenu(TCustomEdit& edit, const QPoint& global, QWidget* parent) {
  const bool selected = edit.SelLength() != 0;
  const bool writable = !edit.ReadOnly();
  const bool hidden = VisitKind(
      edit, [](const TEdit& e) { return e.PasswordChar() != 0; },
      [](const TComponent&) { return false; });
  QMenu popup(parent);
  popup.setFont(QtFontOf(host_.HostForm().Font()));
  auto add = [&](const char* text, QKeySequence::StandardKey keys, bool enabled) {
    QAction* action = popup.addAction(QCoreApplication::translate("QLineEdit", text));
    action->setShortcut(QKeySequence(keys));
    action->setEnabled(enabled && edit.IsUsable());
    return action;
  };
  QAction* cut = add("Cu&t", QKeySequence::Cut, selected && writable && !hidden);
  QAction* copy = add("&Copy", QKeySequence::Copy, selected && !hidden);
  QAction* paste = add("&Paste", QKeySequence::Paste,
                       writable && !QGuiApplication::clipboard()->text().isEmpty());
  QAction* remove = add("Delete", QKeySequence::Delete, selected && writable);
  popup.addSeparator();
  QAction* all = add("Select All", QKeySequence::SelectAll, !edit.Text().empty());
  QAction* chosen = popup.exec(global);
  if (chosen == nullptr || !edit.IsUsable()) {
    return;
  }
  FocusByOperator(edit);
  if (!edit.Focused()) {
    return;
  }
  if (chosen == cut) {
    Cut(edit);
  } else if (chosen == copy) {
    PressKey(edit, 'C', ssCtrl);
    Copy(edit);
  } else if (chosen == paste) {
    Paste(edit);
  } else if (chosen == remove) {
    PressKey(edit, vk::Delete);
  } else if (chosen == all) {
    PressKey(edit, 'A', ssCtrl);
  }
  host_.AfterInput();
}

bool InputRouter::ContextMenu(TControl& control, QObject* source, const QPoint& global) {
  // The button comes up before the menu opens, as on the original platform.
  if (gesture_.OverList) {
    ControlView* view = host_.ViewOf(*gesture_.Control);
    QWidget* widget = WidgetOf(gesture_.Source);
    if (view != nullptr && widget != nullptr) {
      FinishListGesture(*view, gesture_.Source, widget->mapFromGlobal(global));
    }
  }
  gesture_ = Gesture{};
  TPopupMenu* menu = PopupOf(control);
  if (menu == nullptr && control.IsUsable()) {
    VisitKind(
        control, [&](TCustomEdit& edit) { EditMenu(edit, global, WidgetOf(source)); },
        [](TComponent&) {});
    return true;
  }
  if (menu == nullptr || !control.IsUsable()) {
    return true;
  }
  ShowMenu(*menu, global, WidgetOf(source));
  return true;
}

// The menu's OnPopup runs as it opens (its items may change), then the menu shows the
// items as they are; the chosen one is clicked.
void InputRouter::ShowMenu(TPopupMenu& menu, const QPoint& global, QWidget* parent) {
  Dispatch([&] {
    if (menu.OnPopup) {
      menu.OnPopup(&menu);
    }
  });
  host_.AfterInput();
  QMenu popup(parent);
  popup.setFont(QtFontOf(host_.HostForm().Font()));
  std::vector<std::pair<QAction*, TMenuItem*>> actions;
  for (TMenuItem* item : menu.Items()) {
    if (!item->Visible()) {
      continue;
    }
    if (item->Caption() == "-") {
      popup.addSeparator();
      continue;
    }
    QAction* action = popup.addAction(ToQt(item->Caption()));
    action->setEnabled(item->Enabled());
    action->setCheckable(item->Checked());
    action->setChecked(item->Checked());
    actions.emplace_back(action, item);
  }
  if (actions.empty()) {
    return;
  }
  QAction* chosen = popup.exec(global);
  for (const auto& [action, item] : actions) {
    if (action == chosen) {
      TMenuItem* clicked = item;
      Dispatch([clicked] { clicked->Click(); });
      host_.AfterInput();
      return;
    }
  }
}

}  // namespace ui
