// The window of one form on Win32: a top-level window owned by the window beneath it
// (the shell's window, or the form that opened this one), holding the native windows of
// its controls (ui/win32/NativeControls.h), brought in step with the model from the
// form's change notices, and the one place where the operator's input on it is turned
// into the model's input (ui/Input.h).
//
// What the operator does reaches the model only: a check box does not check itself, an
// edit does not take the key; the model's handlers run, and the windows then show what
// the model recorded as changed (SyncChanges), so that a window never shows a state the
// model does not have. Keys go to the model as keys (Tab, Enter and Esc are its dialog
// keys), typed characters as text; a character the module's code page cannot write is
// refused with a beep.
//
// While a script plays a form, its window only shows it: it takes no input.
#pragma once

#include <functional>
#include <unordered_map>

#include "ui/Controls.h"
#include "ui/win32/NativeControls.h"
#include "ui/win32/WinApi.h"

namespace ui::win32 {

// What a form's window asks of its platform.
class FormHost {
 public:
  virtual ~FormHost() = default;
  // After each input handed to the model: closing forms that asked, showing changes.
  virtual void AfterInput() = 0;
  // Input refused (a character the module's code page lacks): the platform beeps.
  virtual void Refused() = 0;
  // False while long work gives the platform its turn: input is dropped.
  virtual bool TakesInput() const = 0;
};

class FormWindow {
 public:
  // owner: the window the form is modal to (null: none). interactive: the operator's
  // input reaches the form; otherwise the window only shows it.
  FormWindow(TForm& form, FormHost& host, HWND owner, bool interactive);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND Handle() const { return window_; }
  TForm& Form() const { return form_; }
  // Shows the model whole: every control's windows made, placed and filled.
  void Sync();
  // Shows what the form recorded as changed since the last Sync or SyncChanges.
  void SyncChanges();
  // Closes the form if it asked to (a modal result) and its close query agrees.
  void CheckClose();
  bool Closed() const { return closed_; }
  int Result() const { return result_; }
  // Centres the window on its owner (or the work area) and shows it.
  void Present();
  // The native window of a control (tests send it messages); null when it has none.
  HWND WindowOf(const TControl& control) const;

 private:
  static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The procedure of every control's window, in place of its class's (kept in its
  // ControlWindow): the model takes the window's input first.
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Gives a control's window the form's procedure and record, once.
  void Subclass(HWND window, TControl& control, int item);
  // The control and item (-1: the control itself) a window belongs to; null when the
  // window is none of the form's controls'.
  TControl* ControlOf(HWND window, int& item) const;
  LRESULT OnFormMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A message to one control's window; true when the model took it.
  bool OnControlMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(HWND source, UINT code);
  LRESULT OnNotify(NMHDR& header);
  // The right button over a control: a press selects the row or node under it (or only
  // focuses), the release opens the model's menu of the control or its parents there.
  bool OnRightPress(TWinControl& target, HWND window, LPARAM point);
  bool OnRightRelease(TWinControl& target, HWND window, LPARAM point);
  // The menu's OnPopup runs as it opens, then the items show as they are then; the
  // chosen one is clicked.
  void ShowMenu(TPopupMenu& menu, POINT screen);
  // An edit without a menu of its own has the system's: Cut, Copy, Paste, Delete and
  // Select All, each done through the model as its keys are, so the edit's rules judge
  // the change and the model and the screen never part.
  void ShowEditMenu(TCustomEdit& edit, POINT screen);
  // The selection onto the system's clipboard (never a password's); a cut then takes it
  // out through the model.
  void CopySelection(const TWinControl& target);
  void CutSelection(TWinControl& target);
  // The operator's button on a tree's node: the model opens or closes it, and the tree
  // shows that from the model's notice. True: the native tree must not do it itself.
  bool OnTreeExpanding(TTreeView& tree, HTREEITEM item, UINT action);
  // Runs the operator's action on the model, then lets the platform show the outcome;
  // dropped while the form only shows or long work runs.
  void Input(const std::function<void()>& action);

  void SyncForm(const TChangeRecord& changes);
  void Walk(TWinControl& parent);
  void SyncFocus();
  // Whether a change needs the walk of Sync: a control came or went, it has no windows
  // yet, or a container changed what its children show (place, visibility, font, page).
  bool NeedsWalk(const TControl& control, const TChangeRecord& changes) const;
  void Place(bool keepPosition);

  TForm& form_;
  FormHost& host_;
  HWND owner_;
  bool interactive_;
  HWND window_ = nullptr;
  Scale scale_;
  FontCache fonts_;
  std::unordered_map<const TControl*, NativeControl> natives_;
  // Each control window's record, found through the window's GWLP_USERDATA (the class's
  // data is in its extra bytes: the user data is the application's). Kept here rather
  // than in window properties or the common controls' subclass data, which Wine keeps
  // in its server: every message to a control would ask the server for them. A record
  // goes with its window (WM_NCDESTROY); the map's nodes never move.
  struct ControlWindow {
    FormWindow* Form;
    TControl* Control;
    int Item;     // a radio group's button or a file-name edit's browse button; -1 otherwise
    WNDPROC Own;  // the class's procedure, which gets what the model leaves
  };
  std::unordered_map<HWND, ControlWindow> windows_;
  std::wstring rowText_;  // the text a list view asked for, kept until it asks again
  bool syncing_ = false;
  bool closed_ = false;
  int result_ = 0;
};

}  // namespace ui::win32
