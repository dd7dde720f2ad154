// The form: the window of a dialog, with its modal result, close query, default and
// cancel buttons and the focus.
//
// A dialog derives from TForm, creates its controls in its constructor (owned by the
// form) and overrides ClassName with its own class name:
//
//   class TUsageEdtFrm : public ui::TForm {
//    public:
//     TUsageEdtFrm() : TForm(nullptr, "UsageEdtFrm") {
//       SaveBtn = ui::Create<ui::TButton>(this, this, "SaveBtn");
//       SaveBtn->OnClick = [this](ui::TComponent*) { SaveBtnClick(); };
//     }
//     const char* ClassName() const override { return "TUsageEdtFrm"; }
//   };
//
// Closing: setting ModalResult to anything but mrNone asks to close once the current
// event has been handled; the close query may refuse, which sets it back to mrNone.
//
// The form keeps the list of its controls that changed (the form among them), which a
// platform takes after each input to bring only their widgets in step:
//
//   for (ui::TControl* control : form.TakeChangedControls()) {
//     const ui::TChangeRecord changes = control->TakeChanges();
//     ...  // show what changes.What() and changes.Rows() say
//   }
#pragma once

#include <string>

#include "ui/Control.h"
#include "ui/Platform.h"

namespace ui {

class TButton;

enum TPosition { poDesigned, poScreenCenter, poOwnerFormCenter };
// A dialog keeps its designed size; a sizeable form may be resized by the operator
// within its Constraints, its children following their anchors and docking.
enum TFormBorderStyle { bsDialog, bsSizeable };

class TForm : public TWinControl {
 public:
  TForm(TComponent* owner, std::string name);
  ~TForm() override;
  const char* ClassName() const override { return "TForm"; }
  bool AcceptsFocus() const override { return false; }

  // Anything but mrNone asks the form to close once the current event is handled.
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  // Where the platform puts the form when it shows it.
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style) { Assign(borderStyle_, style, chLook); }
  // Set while a platform shows the form modally.
  bool Modal() const { return modal_; }

  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
  // Asks the form before any control sees a key (the original's KeyPreview).
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool preview) { keyPreview_ = preview; }

  // Shows the form modally on the current platform; returns the modal result.
  int ShowModal();
  // Closes as the close box does: the cancel result, subject to the close query.
  void Close() { modalResult_ = mrCancel; }

  // Runs the close query; a refusal sets ModalResult back to mrNone. Returns whether
  // the form may close.
  bool CloseQuery();

  // The focused control (null when none); setting it moves the focus with its events.
  TWinControl* ActiveControl() const { return focused_; }
  void SetActiveControl(TWinControl* control);
  // Moves the focus to control, running exit events from the control losing it up to
  // the common container and enter events down to control. A handler that moves the
  // focus again meanwhile wins. Before the form is shown it only sets where the focus
  // will start.
  void FocusControl(TWinControl* control);
  // The next (or previous) focusable control in tab order after from, wrapping; from
  // may be null for the first. Null when nothing can take the focus.
  TWinControl* FindNextControl(TWinControl* from, bool forward) const;
  // Moves the focus to the next control in tab order, as Tab does; a one-line edit that
  // takes it has its text selected.
  void SelectNext(TWinControl* from, bool forward);

  // The enabled, visible button marked Default (or Cancel); null when there is none.
  TButton* DefaultButton() const;
  TButton* CancelButton() const;
  // The button Enter clicks, which the platform draws as the default one: the focused
  // button, else the default button (null when there is none), as on the original
  // platform the default moves to whichever button has the focus.
  TButton* EnterButton() const;

  // Used by the platform around a modal run: focus on the first control, OnShow.
  void BeginModal();
  void EndModal();

  // A control that is being destroyed leaves the focus.
  void ForgetControl(TControl* control);

  // The controls whose change records hold something (ui/ChangeRecord.h), each once, in
  // the order they first changed since the last call. The list is emptied; the records
  // stay with the controls until TakeChanges. Every control listed is on this form.
  std::vector<TControl*> TakeChangedControls();

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  friend class TControl;
  // Puts control on the list; false while the form is being destroyed.
  bool List(TControl* control);
  void Unlist(TControl* control);
  void SetFocused(TWinControl* control);

  std::vector<TControl*> changed_;
  bool destroying_ = false;
  TWinControl* focused_ = nullptr;
  unsigned focusSerial_ = 0;
  bool modal_ = false;
  int modalResult_ = mrNone;
  TPosition position_ = poDesigned;
  TFormBorderStyle borderStyle_ = bsDialog;
  bool keyPreview_ = false;
};

}  // namespace ui
