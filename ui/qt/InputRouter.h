// What the operator does on screen, handed to the model: every key, typed or pasted
// text, input method commit, mouse press, release, move and double click, and context
// menu request that reaches a control's widgets is taken away from Qt and delivered
// through ui/Input.h (or, for a mouse gesture over a list that unfolds over several Qt
// events, the same model calls one step at a time), so a dialog behaves on screen as its
// scripts and tests say. After each delivery the host closes what asked to close and
// shows the model again.
//
// Text crosses here from Unicode to GBK: a typed, committed or pasted text holding a
// character that GBK cannot write is refused whole and the host sounds the beep.
#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>

#include "ui/Controls.h"

class QContextMenuEvent;
class QEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMouseEvent;
class QObject;
class QWidget;

namespace ui {

class ControlView;

class InputHost {
 public:
  virtual ~InputHost() = default;
  virtual TForm& HostForm() = 0;
  virtual ControlView* ViewOf(const TControl& control) const = 0;
  // After each input: forms that asked to close close, every window shows the model.
  virtual void AfterInput() = 0;
  // A text was refused for a character that GBK cannot write.
  virtual void Refused() = 0;
};

class InputRouter {
 public:
  explicit InputRouter(InputHost& host) : host_(host) {}

  // Delivers event, which source (one of view's objects) received, to control. True
  // when the event is taken from Qt.
  bool Route(TControl& control, ControlView& view, QObject* source, QEvent* event);

  // The model's virtual key for a Qt key; 0 for a key the model does not know.
  static std::uint16_t VirtualKey(int qtKey);

 private:
  // A key goes to the control with the focus, wherever Qt delivered it.
  bool Key(QKeyEvent& event);
  bool PopupKey(TControl& control, ControlView& view, QKeyEvent& event);
  bool InputMethod(QObject* source, QInputMethodEvent& event);
  bool Press(TControl& control, ControlView& view, QObject* source, QMouseEvent& event);
  bool Move(ControlView& view, QObject* source, QMouseEvent& event);
  bool Release(TControl& control, ControlView& view, QObject* source, QMouseEvent& event);
  bool DoubleClick(TControl& control, ControlView& view, QObject* source, QMouseEvent& event);
  bool ContextMenu(TControl& control, QObject* source, const QPoint& global);
  void ShowMenu(TPopupMenu& menu, const QPoint& global, QWidget* parent);
  // Row row of an open drop-down list chosen (-1: none).
  static void SelectFromPopup(TControl& control, int row);
  // The end of a press over a list (a drop, or the button coming up).
  void FinishListGesture(ControlView& view, QObject* source, const QPoint& pos);
  void Type(TWinControl& target, const QString& text);
  void Paste(TWinControl& target);
  void Copy(TWinControl& target);
  // Ctrl+X: the selection onto the clipboard (not a password's), then the key.
  void Cut(TWinControl& target);
  void EditMenu(TCustomEdit& edit, const QPoint& global, QWidget* parent);

  // A press and what follows it until the release.
  struct Gesture {
    TControl* Control = nullptr;
    QObject* Source = nullptr;
    TMouseButton Button = mbLeft;
    QPoint Start;
    bool OverList = false;   // a press over a list box: mouse down, drag, drop or up
    bool Selecting = false;  // a press in an edit's text: the mouse selects
    int Anchor = 0;          // where that selection began (bytes)
    int Item = -1;           // the radio group item pressed
  };
  Gesture gesture_;
  InputHost& host_;
  bool forwarding_ = false;  // an input method's composition passed on to the widget
};

}  // namespace ui
