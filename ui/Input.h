// What the operator does with the mouse and the keyboard, delivered to the controls as
// the original platform delivers it. The headless platform's script actions and the
// tests drive forms through these functions.
//
// Every function runs the control's handlers inside the dispatch: an exception raised
// by a handler is caught, shown in an error message box, and the form stays open.
// The functions do not check whether the control is usable; the caller does (a
// script reports a disabled or invisible control as its error).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Controls.h"

namespace ui {

// Runs action; an exception it raises is shown as an error message box. Returns false
// when it raised.
bool Dispatch(const std::function<void()>& action);

// Focus moves (with exit and enter events) to control on its form.
void FocusByOperator(TWinControl& control);

// A mouse click: a button, check box, radio button or menu item is pressed; any other
// control gets its Click.
void ClickControl(TControl& control);
void ClickMenuItem(TMenuItem& item);
// A double click; in an edit it first selects the word at the caret.
void DblClickControl(TControl& control);

// Presses and releases key on control (focusing it first). Dialog keys come first:
// Enter clicks the focused button or else the form's default button, and Escape its
// cancel button, unless the control takes the key itself; Tab moves the focus.
// Otherwise key down, the character (for Enter, Escape and Backspace-free character
// keys) as key press, the control's own reaction, key up. Escape that no handler took
// then closes a form without a cancel button as its close box does.
void PressKey(TWinControl& control, std::uint16_t key, TShiftState shift = 0);

// Types text (GBK) character by character into control at its caret: for each
// single-byte character key down, key press, insertion, change, key up; a double-byte
// character comes from the input method (key down ProcessKey, insertion, change, key
// up). "\r" types Enter, "\t" Tab, "\b" Backspace.
void TypeText(TWinControl& control, const std::string& text);

// Ctrl+V with text on the clipboard: key down V with Ctrl, key press Ctrl+V, one
// insertion, one change, key up.
void PasteText(TWinControl& control, const std::string& text);

// The operator picks item index of a combo box, list box, check list box or list
// view, or node index (tree order) of a tree view.
void SelectItem(TWinControl& control, int index);
// The operator checks or unchecks a check box, or item index of a check list box.
void CheckControl(TWinControl& control, bool checked);
void CheckItem(TCheckListBox& list, int index, bool checked);

// Presses the mouse button over item from of list, moves past the drag threshold and
// releases over item to (-1: below the last item). Delivers mouse down, then drag
// over and drag drop when a handler started a drag, else mouse up.
void DragItem(TListBox& list, int from, int to, TMouseButton button = mbLeft);
// Presses the mouse button over item from of list and releases it dy pixels lower
// (higher when negative), moving straight there. A drag a handler started to wait for
// the threshold begins only when the move reaches the threshold: then drag over and
// drag drop at the release point; otherwise mouse up there, and the drag never begins.
void PressAndMove(TListBox& list, int from, int dy, TMouseButton button = mbLeft);

// The form's close box: the cancel result, then the close query.
void CloseByOperator(TForm& form);

}  // namespace ui
