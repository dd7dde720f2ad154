// Controls and windowed controls: parent, state, geometry, font, the keyboard, mouse,
// focus and drag events, and the shapes of every event handler.
//
// What a platform shows is set through setters (SetCaption, SetEnabled, SetBounds, ...),
// each of which records what changed in the control's change record and puts the
// control on its form's list of changed controls (ui/ChangeRecord.h, TForm::
// TakeChangedControls): a platform brings only those widgets in step after an input.
// Such properties are read through getters of the same name (Caption(), Enabled());
// what no platform shows (Align, TabOrder, ModalResult, ...) stays a plain field.
//
// Event rules kept from the original platform:
// - handlers are std::functions; an empty one is not called;
// - code that changes a property fires only the events the original fires (see each
//   setter); what the operator does is delivered through ui/Input.h;
// - a control overrides the protected virtual methods (KeyDown, KeyPress, Change, ...)
//   to see an event before its handlers do, as a derived component does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ui/ChangeRecord.h"
#include "ui/Component.h"
#include "ui/Graphics.h"

namespace ui {

class TWinControl;
class TForm;
class TPopupMenu;

// A rectangle in a control's own pixels: left and top inside, right and bottom just past.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

// The edges of its parent that a control keeps its distance to when the parent is
// resized: a set of these flags. Anchored left and right, it stretches; right only, it
// moves; neither, it keeps its centre where it was in proportion.
enum TAnchorKind : std::uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = std::uint8_t;
inline constexpr TAnchors akLeftTop = akLeft | akTop;
inline constexpr TAnchors akAll = akLeft | akTop | akRight | akBottom;

// Bounds on a control's size, in pixels; 0 bounds nothing.
struct TSizeConstraints {
  int MinWidth = 0;
  int MinHeight = 0;
  int MaxWidth = 0;
  int MaxHeight = 0;
  bool operator==(const TSizeConstraints&) const = default;
};

// Shift state of a key or mouse event: a set of these flags.
enum TShiftFlag : std::uint8_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64,
};
using TShiftState = std::uint8_t;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Where a control docks in its parent's client area: along an edge (keeping its height
// or width, taking the whole other side) or filling what the docked siblings leave.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Virtual key codes of the original platform.
namespace vk {
constexpr std::uint16_t Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Escape = 27,
                        Space = 32, Prior = 33, Next = 34, End = 35, Home = 36, Left = 37, Up = 38,
                        Right = 39, Down = 40, Delete = 46, F1 = 112, F2 = 113, F12 = 123,
                        // an input method delivers a double-byte character with this key
    ProcessKey = 229;
}  // namespace vk

using TNotifyEvent = std::function<void(TComponent* sender)>;
using TKeyEvent = std::function<void(TComponent* sender, std::uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;
using TMouseEvent =
    std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TDragOverEvent = std::function<void(TComponent* sender, TComponent* source, int x, int y,
                                          TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(TComponent* sender, TComponent* source, int x, int y)>;
using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;

class TControl : public TComponent {
 public:
  TControl(TComponent* owner, std::string name);
  ~TControl() override;
  const char* ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return parent_; }
  // Moves the control into parent's child list (at the end of its tab order).
  void SetParent(TWinControl* parent);
  // The form the control sits on (itself for a form); null when it has none.
  TForm* ParentForm() const;

  bool Enabled() const { return enabled_; }
  bool Visible() const { return visible_; }
  void SetEnabled(bool enabled);
  void SetVisible(bool visible);
  // Enabled and visible, and so are all its parents.
  bool IsUsable() const;
  bool IsShowing() const;

  // Text of labels, buttons, check boxes, group boxes and forms. Edits and combo boxes
  // hold their text behind Text() / SetText() because setting it has effects.
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // The text the operator sees: Caption, or the edit text of an edit or combo box.
  virtual std::string DisplayText() const { return caption_; }

  // The font in effect: the control's own once set, else its parent's.
  TFont Font() const;
  void SetFont(const TFont& font);  // the control keeps its own font from now on
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool parentFont);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // The menu a right-click opens (a parent's when the control has none).
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);

  // What changed since a platform last took the record (ui/ChangeRecord.h).
  const TChangeRecord& Changes() const { return changes_; }
  // Hands the record over and starts a new one.
  TChangeRecord TakeChanges();

  // Geometry, in the parent's pixels (a form's are its client area: the platform adds
  // its frame). The parent lays out its docked and anchored children again whenever its
  // size changes, and when a docked child's bounds are set (TWinControl::Realign).
  // Docking takes effect at the parent's next layout (SetBounds of the control, or Realign).
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align) { align_ = align; }
  // Bounds set from now on keep within them; a platform shows them as a sizeable form's
  // limits.
  const TSizeConstraints& Constraints() const { return constraints_; }
  void SetConstraints(const TSizeConstraints& constraints);
  TAnchors Anchors() const { return anchors_; }
  // Anchors count from the control's place and its parent's size at this moment.
  void SetAnchors(TAnchors anchors);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  // Sets the bounds as designed (the size kept within Constraints); anchors then count
  // from here. A docked control takes only its height (top, bottom) or width (left,
  // right) from it: its parent docks it again. Fires Resize when the size changes, after
  // the control's own children have been laid out for it.
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }

  // Drag and drop started by a handler of mouse down: immediate, or once the mouse has
  // moved threshold pixels (the platform's drag threshold when negative); a release
  // before that (MouseUp) ends it without a drag.
  void BeginDrag(bool immediate, int threshold = -1);
  void EndDrag() { dragState_ = DragIdle; }
  bool Dragging() const { return dragState_ == DragActive; }
  bool DragPending() const { return dragState_ == DragPendingState; }
  int DragThreshold() const { return dragThreshold_; }
  static constexpr int kDefaultDragThreshold = 5;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;

  // What the operator's actions call; each fires the matching handler.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual bool DragOver(TComponent* source, int x, int y, TDragState state);
  virtual void DragDrop(TComponent* source, int x, int y);

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
  virtual void Resize();
  // The size changed: a container lays out its children again (before Resize runs).
  virtual void SizeChanged() {}
  // Marks the start of a drag once the mouse has moved past the threshold.
  friend void StartPendingDrag(TControl& control);

  // Marks what changed (ui/ChangeRecord.h) and lists the control with its form.
  void Changed(TChanges what) { Record().Mark(what); }
  // The record to add to (row notices), the control put on its form's list of changed
  // controls.
  TChangeRecord& Record();
  // Sets field to value when it differs, marking what.
  template <class T, class V>
  void Assign(T& field, V&& value, TChanges what) {
    if (field != value) {
      field = std::forward<V>(value);
      Changed(what);
    }
  }

 private:
  friend class TWinControl;
  friend class TForm;
  // Where the control was put, and its parent's size then: anchors count from it.
  struct AnchorOrigin {
    int Left = 0, Top = 0, Width = 0, Height = 0, ParentWidth = 0, ParentHeight = 0;
  };
  // Sets the bounds without touching the anchor origin: what a parent's layout does.
  void PlaceAt(int left, int top, int width, int height);
  void RecordAnchorOrigin();
  // Takes the control and its children off form's list of changed controls.
  void UnlistTree(TForm& form);

  enum DragStateValue { DragIdle, DragPendingState, DragActive };
  TWinControl* parent_ = nullptr;
  bool enabled_ = true;
  bool visible_ = true;
  std::string caption_;
  TColor color_ = clBtnFace;
  TPopupMenu* popupMenu_ = nullptr;
  std::string hint_;
  bool parentFont_ = true;
  TFont font_;
  int left_ = 0, top_ = 0, width_ = 75, height_ = 25;
  TAlign align_ = alNone;
  TSizeConstraints constraints_;
  TAnchors anchors_ = akLeftTop;
  AnchorOrigin origin_;
  DragStateValue dragState_ = DragIdle;
  int dragThreshold_ = kDefaultDragThreshold;
  TChangeRecord changes_;
  bool listed_ = false;  // on its form's list of changed controls
};

// A control that can hold the focus and children.
class TWinControl : public TControl {
 public:
  TWinControl(TComponent* owner, std::string name);
  ~TWinControl() override;
  const char* ClassName() const override { return "TWinControl"; }

  // Children in the order they joined.
  const std::vector<TControl*>& Controls() const { return children_; }
  int ControlCount() const { return static_cast<int>(children_.size()); }

  // Position among the windowed siblings; Tab follows it. Set at joining a parent.
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order) { tabOrder_ = order; }
  // Whether Tab stops at the control.
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool stop) { tabStop_ = stop; }

  // Whether the control itself takes the focus (containers do not).
  virtual bool AcceptsFocus() const { return true; }
  // Usable, focusable, on a form.
  bool CanFocus() const;
  bool Focused() const;
  // Moves the focus here: exit events of what loses it, enter events of what gains it.
  void SetFocus();

  // Whether the control takes this key itself rather than the form (Enter for a memo
  // that wants returns, Tab for one that wants tabs).
  virtual bool WantsKey(std::uint16_t key) const;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

  // The keyboard as the operator drives it (ui/Input.h): each fires its handler, then
  // the control's own reaction runs unless a handler cleared the key.
  virtual void KeyDown(std::uint16_t& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void KeyUp(std::uint16_t& key, TShiftState shift);
  // The control's own reaction to a key that key down let through (caret moves,
  // Backspace, Delete, selection keys).
  virtual void HandleKey(std::uint16_t key, TShiftState shift);
  // The control's own reaction to a character that key press let through.
  virtual void HandleChar(char key);
  // A double-byte character from the input method: no key press, straight to the text.
  virtual void HandleDoubleByte(const std::string& character);
  // Ctrl+V: the control inserts text as one change.
  virtual void HandlePaste(const std::string& text);

  virtual void DoEnter();
  virtual void DoExit();

  // The area children are laid out in, in the control's own pixels: the whole control,
  // less what its frame and caption take.
  virtual TRect ClientRect() const { return {0, 0, Width(), Height()}; }
  // Lays the docked children out again in the client area (edges first, in the order
  // top, bottom, left, right; then the one that fills the rest), and puts the anchored
  // ones where their anchors say for the present size. Runs by itself when the size
  // changes; call it after docking or showing a child by hand.
  void Realign();

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
  void SizeChanged() override { Realign(); }
  // Lays out children that the container places itself (tab sheets of a page control)
  // in the client area, before the docked and anchored ones.
  virtual void PlaceOwnChildren() {}
  // Sets a child's bounds as the container's layout does (anchors keep their origin).
  static void PlaceChild(TControl& child, int left, int top, int width, int height) {
    child.PlaceAt(left, top, width, height);
  }

 private:
  friend class TControl;
  std::vector<TControl*> children_;
  int tabOrder_ = 0;
  bool tabStop_ = true;
  bool aligning_ = false;
};

// Creates a T owned by owner (never null: the owner frees it) with the given name and,
// for a control, puts it into parent when parent is not null. Extra arguments go to
// T's constructor after owner and name.
template <class T, class... Args>
T* Create(TComponent* owner, TWinControl* parent, std::string name, Args&&... args) {
  auto* component = new T(owner, std::move(name), std::forward<Args>(args)...);
  if constexpr (std::is_base_of_v<TControl, T>) {
    if (parent) component->SetParent(parent);
  }
  return component;
}

}  // namespace ui
