// The window of one form: a dialog holding a view per control of the form, brought in
// step with the model (after every input and before any box or nested form is shown),
// and the filter through which every input event of its widgets reaches the model
// instead of the widgets (ui/qt/InputRouter.h).
//
// The form says what changed (TForm::TakeChangedControls): SyncChanges updates the
// widgets of those controls only, so an input costs what it changed, not what the form
// holds. Sync walks every control; it runs when the form is first shown and when
// controls came or went, or a container's font changed, since then.
//
// Geometry comes from the model as it is: the form's Width and Height are its client
// area; a control's Left, Top, Width and Height are in its parent's pixels; Align
// (alTop, alBottom, alLeft, alRight, alClient) places a control in what its aligned
// siblings leave, in the order the original platform aligns them. When the operator
// resizes the window, the new size goes into the model first (the form's Resize
// handlers run) and the window then follows the model. A form larger than the room the
// screen gives it (SetRoom) is shown in a window of that room whose client area scrolls,
// so that every control, its buttons too, stays within the operator's reach.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ui/Controls.h"
#include "ui/qt/InputRouter.h"

class QEventLoop;
class QScrollBar;

namespace ui {

class ControlView;

// What a window asks of its platform.
class WindowHost {
 public:
  virtual ~WindowHost() = default;
  // After each input handed to the model (see InputHost::AfterInput).
  virtual void AfterInput() = 0;
  virtual void Refused() = 0;
  // False while long work gives the platform its turn: the window's input is dropped.
  virtual bool TakesInput() const = 0;
};

class FormWindow : public QDialog, private InputHost {
 public:
  // interactive: the operator's input reaches the form; otherwise (a script plays it)
  // the window only shows it.
  FormWindow(TForm& form, WindowHost& host, QWidget* parent, bool interactive);
  ~FormWindow() override;

  TForm& Form() const { return form_; }
  // Shows the model: every control's widget made, placed and filled, the focus where
  // the form has it. What the form recorded as changed is shown with it.
  void Sync();
  // Shows what changed since the last Sync or SyncChanges.
  void SyncChanges();
  // Closes the form if it asked to (a modal result) and its close query agrees.
  void CheckClose();
  bool Closed() const { return closed_; }
  int Result() const { return result_; }
  // The loop that runs while the form is shown modally; quit when it closes.
  void SetLoop(QEventLoop* loop) { loop_ = loop; }

  // The largest window the screen has room for (its frame not counted); a larger form
  // scrolls in it.
  void SetRoom(const QSize& room);

  // The widget of a control (tests act on it); null when it has none yet.
  QWidget* WidgetOf(const TControl& control) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  // InputHost
  TForm& HostForm() override { return form_; }
  ControlView* ViewOf(const TControl& control) const override;
  void AfterInput() override { host_.AfterInput(); }
  void Refused() override { host_.Refused(); }

  struct Entry {
    std::unique_ptr<ControlView> View;
    const std::type_info* Kind = nullptr;  // the control's type when the view was made
    bool Live = false;
    std::vector<QObject*> Sources;  // the view's objects as registered in sources_
  };
  struct Source {
    TControl* Control;
    ControlView* View;
  };
  // The form's own window: caption, font, colour, size.
  void SyncForm();
  void SyncChildren(TWinControl& parent, QWidget* client);
  // One control's widget: placed and filled, its objects registered for input.
  void SyncControl(TControl& control, Entry& entry, QWidget* client, const TChangeRecord& changes);
  void SyncFocus();
  // The scroll bars of a form larger than its room, and the page moved to their values.
  void LayOutPage();
  // Scrolls so that widget (on the page) is in view.
  void ScrollTo(const QWidget& widget);
  // Whether a change needs the walk of Sync: a control came or went, or a container's
  // font (its children's too) changed, or the control has no widget yet.
  bool NeedsWalk(const TControl& control) const;
  // The control's entry; made is set when its view is new.
  Entry& EntryFor(TControl& control, QWidget* client, bool& made);

  TForm& form_;
  WindowHost& host_;
  bool interactive_;
  InputRouter router_;
  QWidget* page_;  // the form's client area, holding the controls' widgets
  QScrollBar* across_;
  QScrollBar* down_;
  QWidget* corner_;  // the square between the two bars, in the window's colour
  QSize room_;
  std::unordered_map<const TControl*, Entry> views_;
  std::unordered_map<QObject*, Source> sources_;
  QEventLoop* loop_ = nullptr;
  QPointer<QPushButton> shownDefault_;  // the button drawn as the default one
  bool syncing_ = false;
  bool closed_ = false;
  int result_ = 0;
};

}  // namespace ui
