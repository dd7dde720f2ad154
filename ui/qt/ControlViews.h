// The on-screen form of each control kind: the Qt widget that shows it, how it is
// brought in step with the control (Sync), and what the input router needs to know
// about it (which objects receive its events, which item lies under a point).
//
// A view only shows: it never changes the control, and its widgets change nothing on
// their own, since the form window takes every input event away from them (ui/qt/
// InputRouter.h) and hands it to the model. The window does what all views share:
// geometry, visibility, enabled state, font and hint.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Controls.h"

class QObject;
class QWidget;

namespace ui {

class ControlView {
 public:
  explicit ControlView(QWidget* widget);
  virtual ~ControlView();  // the widget goes with it (later, as it may be handling an event)
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  QWidget* Widget() const { return widget_; }
  // Where the widgets of child controls live.
  virtual QWidget* Client() const { return widget_; }
  // The widget that holds the keyboard focus while the control has it.
  virtual QWidget* FocusWidget() const { return widget_; }
  // Every object whose events belong to the control.
  virtual std::vector<QObject*> Sources() const;

  // Brings the widget's content in step with what changes says changed in the control
  // (a new view is given every flag and a reset of its rows).
  virtual void Sync(TControl& control, const TChangeRecord& changes) = 0;

  // The size the control's text needs when the control sizes itself to it (a label
  // with AutoSize); nothing otherwise.
  virtual std::optional<QSize> NaturalSize(const TControl&) const { return std::nullopt; }

  // Hit tests, at pos in source's pixels. The item under the point (a list row, a tree
  // node in tree order, a tab, a radio group's item); -1 for none.
  virtual int ItemAt(QObject*, QPoint) const { return -1; }
  // Whether the point is on an item's check box (a check list box).
  virtual bool OnCheckBox(QObject*, QPoint, int) const { return false; }
  // The tree node (tree order) whose expand button is under the point; -1 for none.
  virtual int ExpanderAt(QObject*, QPoint) const { return -1; }
  // The byte offset of the text under the point (an edit, a memo, an edit combo), -1
  // when the point is not on its text.
  virtual int ByteAt(const TControl&, QObject*, QPoint) const { return -1; }
  // Whether source is the part that opens something: a combo box's drop-down, a file
  // name edit's browse button.
  virtual bool IsButton(QObject*) const { return false; }
  // The open drop-down list of a combo box, or its hiding.
  virtual bool IsPopupList(QObject*) const { return false; }
  virtual void ShowPopupList() {}
  virtual void HidePopupList() {}
  virtual int PopupRow() const { return -1; }
  // Where a context menu opened from the keyboard appears, in global pixels.
  virtual QPoint MenuPoint() const;

 protected:
  QWidget* widget_;
};

// The view of control's kind, its widget made inside parent.
std::unique_ptr<ControlView> MakeView(TControl& control, QWidget* parent);

// A caption with the original platform's accelerator marks taken out ("&Save" shows
// "Save", "&&" shows "&"): Qt would turn them into shortcuts that act on the widget
// behind the model's back.
QString PlainCaption(const std::string& gbk);

}  // namespace ui
