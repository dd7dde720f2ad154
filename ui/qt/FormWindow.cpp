// The form window: the walk that brings every control's widget in step with the model,
// the update of only the controls that changed, and the event filter that hands the
// widgets' input to the model.
#include "ui/qt/FormWindow.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <typeinfo>

#include "ui/Input.h"
#include "ui/VisitKind.h"
#include "ui/qt/ControlViews.h"
#include "ui/qt/QtFont.h"
#include "ui/qt/QtText.h"
#include "ui/qt/ReadableText.h"
#include "ui/qt/WholePixelFrame.h"

namespace ui {
namespace {

// A colour of the model's own (not one of the system's) for the widget's background.
void ApplyColor(QWidget& widget, TColor color, bool text) {
  if (color < 0) {
    return;  // a system colour: the style's
  }
  const QColor rgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
  QPalette palette = widget.palette();
  const QPalette::ColorRole role = text ? QPalette::Base : QPalette::Window;
  if (palette.color(role) != rgb) {
    palette.setColor(role, rgb);
    widget.setPalette(palette);
    widget.setAutoFillBackground(!text);
  }
}

// The font's colour for the text the widget draws, enabled (active or not): a label's
// and a check box's caption, an edit's text, a button's. A system colour, and the
// disabled look, stay the style's.
void ApplyFontColor(QWidget& widget, TColor color) {
  const QPalette standard = QApplication::palette(&widget);
  QPalette palette = widget.palette();
  bool changed = false;
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
      const QColor want = color < 0
                              ? standard.color(group, role)
                              : QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
      if (palette.color(group, role) != want) {
        palette.setColor(group, role, want);
        changed = true;
      }
    }
  }
  if (changed) {
    widget.setPalette(palette);
  }
}

// The kinds that show text on the base colour of an edit rather than on the window's.
bool TextKind(const TControl& control) {
  return VisitKind(
      control, [](const TCustomEdit&) { return true; }, [](const TComboBox&) { return true; },
      [](const TListBox&) { return true; }, [](const TTreeView&) { return true; },
      [](const TListView&) { return true; }, [](const TComponent&) { return false; });
}

// The kinds that hold information in a field: disabled, they show it as read-only.
bool FieldKind(const TControl& control) {
  return VisitKind(
      control, [](const TCustomEdit&) { return true; }, [](const TComboBox&) { return true; },
      [](const TComponent&) { return false; });
}

}  // namespace

FormWindow::FormWindow(TForm& form, WindowHost& host, QWidget* parent, bool interactive)
    : QDialog(parent),
      form_(form),
      host_(host),
      interactive_(interactive),
      router_(*this),
      page_(new QWidget(this)),
      across_(new QScrollBar(Qt::Horizontal, this)),
      down_(new QScrollBar(Qt::Vertical, this)),
      corner_(new QWidget(this)),
      room_(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) {
  setFocusPolicy(Qt::NoFocus);
  installEventFilter(this);
  page_->installEventFilter(this);
  for (QScrollBar* bar : {across_, down_}) {
    bar->setFocusPolicy(Qt::NoFocus);
    bar->hide();
    connect(bar, &QScrollBar::valueChanged, this, [this] { LayOutPage(); });
  }
  corner_->setAutoFillBackground(true);
  corner_->hide();
  MakeDisabledTextReadable(*this, false);
}

FormWindow::~FormWindow() {
  // The views go before the dialog's own children are deleted with it.
  views_.clear();
}

QWidget* FormWindow::WidgetOf(const TControl& control) const {
  ControlView* view = ViewOf(control);
  return view != nullptr ? view->Widget() : nullptr;
}

ControlView* FormWindow::ViewOf(const TControl& control) const {
  auto found = views_.find(&control);
  return found == views_.end() ? nullptr : found->second.View.get();
}

// A control found at an address where a control of another kind used to be (the old
// one destroyed, a new one made in its place) gets a new view.
FormWindow::Entry& FormWindow::EntryFor(TControl& control, QWidget* client, bool& made) {
  Entry& entry = views_[&control];
  made = !entry.View || entry.Kind != &typeid(control);
  if (made) {
    entry.View = MakeView(control, client);
    entry.Kind = &typeid(control);
    entry.Sources.clear();
  }
  return entry;
}

// Every control is visited and hands over its change record, listed or not.
void FormWindow::Sync() {
  syncing_ = true;
  form_.TakeChangedControls();
  form_.TakeChanges();
  SyncForm();
  for (auto& [control, entry] : views_) {
    entry.Live = false;
  }
  sources_.clear();
  sources_[this] = Source{&form_, nullptr};
  sources_[page_] = Source{&form_, nullptr};
  SyncChildren(form_, page_);
  // Views of controls that are gone: the pointers are only compared, never followed.
  for (auto it = views_.begin(); it != views_.end();) {
    it = it->second.Live ? std::next(it) : views_.erase(it);
  }
  SyncFocus();
  syncing_ = false;
}

bool FormWindow::NeedsWalk(const TControl& control) const {
  const TChangeRecord& changes = control.Changes();
  if (changes.Has(chChildren)) {
    return true;
  }
  const bool container = dynamic_cast<const TWinControl*>(&control) != nullptr;
  if (changes.Has(chFont) && container) {
    return true;
  }
  return &control != &form_ &&
         (ViewOf(control) == nullptr ||
          (control.Parent() != &form_ && ViewOf(*control.Parent()) == nullptr));
}

void FormWindow::SyncChanges() {
  std::vector<TControl*> changed = form_.TakeChangedControls();
  if (std::any_of(changed.begin(), changed.end(),
                  [this](const TControl* control) { return NeedsWalk(*control); })) {
    Sync();  // takes the records of the changed controls too
    return;
  }
  syncing_ = true;
  for (TControl* control : changed) {
    const TChangeRecord changes = control->TakeChanges();
    if (control == &form_) {
      SyncForm();
      continue;
    }
    TWinControl* parent = control->Parent();
    QWidget* client = parent == &form_ ? page_ : ViewOf(*parent)->Client();
    SyncControl(*control, views_.at(control), client, changes);
    // A sheet's caption is its page control's tab.
    if (changes.Has(chText) && parent != &form_) {
      VisitKind(
          *parent,
          [&](TPageControl& pages) {
            TChangeRecord tabs;
            tabs.Mark(chItems);
            ViewOf(pages)->Sync(pages, tabs);
          },
          [](TComponent&) {});
    }
  }
  SyncFocus();
  syncing_ = false;
}

void FormWindow::SyncForm() {
  const QString caption = ToQt(form_.Caption());
  if (windowTitle() != caption) {
    setWindowTitle(caption);
  }
  const QFont font = QtFontOf(form_.Font());
  if (this->font() != font) {
    setFont(font);
  }
  ApplyColor(*this, form_.Color(), false);
  const QSize designed(std::max(form_.Width(), 1), std::max(form_.Height(), 1));
  if (page_->size() != designed) {
    page_->resize(designed);
  }
  // The window never larger than its room: the page scrolls in it then.
  const QSize size = designed.boundedTo(room_);
  // A window never sized by code is fitted to its children when shown; the model's size
  // is the designed one, so it is always set.
  if (this->size() != size || !testAttribute(Qt::WA_Resized)) {
    resize(size);
  }
  // A dialog keeps its designed size; a sizeable form may grow, never below its
  // constraints (the designed size).
  if (form_.BorderStyle() == bsSizeable) {
    const TSizeConstraints& limits = form_.Constraints();
    const QSize least(std::max(limits.MinWidth, 1), std::max(limits.MinHeight, 1));
    const QSize most(limits.MaxWidth > 0 ? limits.MaxWidth : QWIDGETSIZE_MAX,
                     limits.MaxHeight > 0 ? limits.MaxHeight : QWIDGETSIZE_MAX);
    if (minimumSize() != least || maximumSize() != most) {
      setMinimumSize(least);
      setMaximumSize(most);
      setSizeGripEnabled(true);
    }
  } else if (minimumSize() != size || maximumSize() != size) {
    setFixedSize(size);
    setSizeGripEnabled(false);
  }
  LayOutPage();
}

void FormWindow::SetRoom(const QSize& room) {
  room_ = room.expandedTo(QSize(1, 1));
  SyncForm();
}

// Bars where the page is larger than the window; the page moved by their values. A form
// that fits shows none and its page lies at the window's corner.
void FormWindow::LayOutPage() {
  const int thick = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const QSize page = page_->size();
  bool wide = page.width() > width();
  bool tall = page.height() > height();
  // A bar takes room from the other direction.
  wide = wide || (tall && page.width() > width() - thick);
  tall = tall || (wide && page.height() > height() - thick);
  const int seenWidth = width() - (tall ? thick : 0);
  const int seenHeight = height() - (wide ? thick : 0);
  across_->setVisible(wide);
  down_->setVisible(tall);
  across_->setRange(0, wide ? page.width() - seenWidth : 0);
  down_->setRange(0, tall ? page.height() - seenHeight : 0);
  across_->setPageStep(std::max(seenWidth, 1));
  down_->setPageStep(std::max(seenHeight, 1));
  across_->setGeometry(0, height() - thick, seenWidth, thick);
  down_->setGeometry(width() - thick, 0, thick, seenHeight);
  across_->raise();
  down_->raise();
  // Where both bars show, the page would show through the square between them.
  corner_->setVisible(wide && tall);
  corner_->setGeometry(seenWidth, seenHeight, thick, thick);
  corner_->raise();
  const QPoint at(-across_->value(), -down_->value());
  if (page_->pos() != at) {
    page_->move(at);
  }
}

void FormWindow::ScrollTo(const QWidget& widget) {
  if (!across_->isVisible() && !down_->isVisible()) {
    return;
  }
  const QRect shown(widget.mapTo(page_, QPoint(0, 0)), widget.size());
  const int seenWidth = width() - (down_->isVisible() ? down_->width() : 0);
  const int seenHeight = height() - (across_->isVisible() ? across_->height() : 0);
  if (shown.right() >= across_->value() + seenWidth) {
    across_->setValue(shown.right() + 1 - seenWidth);
  }
  if (shown.left() < across_->value()) {
    across_->setValue(shown.left());
  }
  if (shown.bottom() >= down_->value() + seenHeight) {
    down_->setValue(shown.bottom() + 1 - seenHeight);
  }
  if (shown.top() < down_->value()) {
    down_->setValue(shown.top());
  }
}

// The model has laid every child out (docking, anchors, tab sheets in their page
// control): its bounds, in the parent's own pixels, are where the widgets go.
void FormWindow::SyncChildren(TWinControl& parent, QWidget* client) {
  const std::vector<TControl*>& children = parent.Controls();
  for (std::size_t i = 0; i < children.size(); ++i) {
    TControl& child = *children[i];
    bool made = false;
    Entry& entry = EntryFor(child, client, made);
    entry.Live = true;
    entry.Sources.clear();  // sources_ was emptied for the walk
    TChangeRecord changes = child.TakeChanges();
    if (made) {
      // A new view shows everything, whatever the form recorded since it was last shown.
      changes.Mark(chAll);
      changes.RowsReset();
    }
    SyncControl(child, entry, client, changes);
    if (auto* windowed = dynamic_cast<TWinControl*>(&child)) {
      SyncChildren(*windowed, entry.View->Client());
    }
  }
}

void FormWindow::SyncControl(TControl& child, Entry& entry, QWidget* client,
                             const TChangeRecord& changes) {
  ControlView& view = *entry.View;
  QWidget* widget = view.Widget();
  if (widget->parentWidget() != client) {
    widget->setParent(client);
  }
  const QFont font = QtFontOf(child.Font());
  if (widget->font() != font) {
    widget->setFont(font);
  }
  QRect rect(child.Left(), child.Top(), child.Width(), child.Height());
  if (qobject_cast<QAbstractScrollArea*>(widget) != nullptr) {
    // A framed view keeps its four edges at a fractional scale factor.
    rect = WholePixelRect(rect, client->mapTo(page_, QPoint(0, 0)), widget->devicePixelRatioF());
    if (widget->style() != WholePixelFrameStyleOf(*this)) {
      widget->setStyle(WholePixelFrameStyleOf(*this));
    }
  }
  if (widget->geometry() != rect) {
    widget->setGeometry(rect);
  }
  view.Sync(child, changes);
  if (std::optional<QSize> natural = view.NaturalSize(child)) {
    // An auto-sized control grows to its text; the text is never cut.
    const QRect grown(rect.topLeft(), rect.size().expandedTo(*natural));
    if (widget->geometry() != grown) {
      widget->setGeometry(grown);
    }
  }
  ApplyColor(*widget, child.Color(), TextKind(child));
  ApplyFontColor(*widget, child.Font().Color);
  MakeDisabledTextReadable(*widget, FieldKind(child));
  widget->setEnabled(child.Enabled());
  widget->setVisible(child.Visible());
  const QString hint = ToQt(child.Hint());
  if (widget->toolTip() != hint) {
    widget->setToolTip(hint);
  }
  // The objects whose input is the control's: a view may have made or dropped some.
  std::vector<QObject*> sources = view.Sources();
  if (sources != entry.Sources) {
    for (QObject* old : entry.Sources) {
      sources_.erase(old);
    }
    for (QObject* source : sources) {
      sources_[source] = Source{&child, &view};
      source->installEventFilter(this);
    }
    entry.Sources = std::move(sources);
  }
}

// The keyboard focus is where the form has it; with no focused control it rests on the
// window, so that keys still reach the filter (and go nowhere). The focus is always
// drawn (the style draws its frame only in a window marked as driven by the keyboard):
// an operator who works with the keys must see where they go. The button Enter clicks
// is drawn as the default one, so the default follows the focus from button to button.
void FormWindow::SyncFocus() {
  if (!testAttribute(Qt::WA_KeyboardFocusChange)) {
    setAttribute(Qt::WA_KeyboardFocusChange);
  }
  TWinControl* active = form_.ActiveControl();
  ControlView* view = active != nullptr ? ViewOf(*active) : nullptr;
  QWidget* target = view != nullptr ? view->FocusWidget() : this;
  if (focusWidget() != target) {
    target->setFocus(Qt::OtherFocusReason);
  }
  TButton* enter = form_.EnterButton();
  ControlView* enterView = enter != nullptr ? ViewOf(*enter) : nullptr;
  auto* shown = enterView != nullptr ? qobject_cast<QPushButton*>(enterView->Widget()) : nullptr;
  if (shown != shownDefault_) {
    if (shownDefault_ != nullptr) {
      shownDefault_->setDefault(false);
    }
    if (shown != nullptr) {
      shown->setDefault(true);
    }
    shownDefault_ = shown;
  }
  if (target != this) {
    ScrollTo(*target);
  }
}

void FormWindow::CheckClose() {
  if (closed_ || form_.ModalResult() == mrNone) {
    return;
  }
  bool canClose = false;
  if (!Dispatch([&] { canClose = form_.CloseQuery(); })) {
    form_.SetModalResult(mrNone);
  }
  if (!canClose) {
    return;
  }
  closed_ = true;
  result_ = form_.ModalResult();
  if (loop_ != nullptr) {
    loop_->quit();
  }
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
  auto found = sources_.find(watched);
  if (found == sources_.end()) {
    return QDialog::eventFilter(watched, event);
  }
  if (!interactive_ || closed_ || !host_.TakesInput()) {
    // Shown while a script plays the form, or while long work runs: the operator's
    // input does not reach it.
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::InputMethod:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::Shortcut:
        return true;
      default:
        return false;
    }
  }
  const Source source = found->second;
  if (source.View == nullptr) {
    // The window itself, outside every control: keys still go to the focused control;
    // its own mouse input changes nothing.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod) {
      TWinControl* active = form_.ActiveControl();
      ControlView* view = active != nullptr ? ViewOf(*active) : nullptr;
      if (view != nullptr) {
        return router_.Route(*active, *view, view->FocusWidget(), event);
      }
      return event->type() == QEvent::KeyPress;
    }
    switch (event->type()) {
      case QEvent::KeyRelease:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::ContextMenu:
      case QEvent::Shortcut:
        return true;
      default:
        return false;
    }
  }
  return router_.Route(*source.Control, *source.View, watched, event);
}

// The close box asks the form as the operator's close does: the cancel result, then the
// close query; the window closes only when the form does.
void FormWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (!interactive_ || closed_ || !host_.TakesInput()) {
    return;
  }
  CloseByOperator(form_);
  host_.AfterInput();
}

void FormWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayOutPage();
  if (syncing_ || !interactive_ || closed_ || !host_.TakesInput()) {
    return;  // a window resized while long work runs takes the model's size back
  }
  const QSize size = event->size();
  if (size.width() == form_.Width() && size.height() == form_.Height()) {
    return;
  }
  if (size.width() >= room_.width() || size.height() >= room_.height()) {
    return;  // held to the screen's room: the page scrolls, the form keeps its size
  }
  Dispatch([&] { form_.SetBounds(form_.Left(), form_.Top(), size.width(), size.height()); });
  host_.AfterInput();
}

// The dialog's own keys (Enter on a default button, Escape) are the model's to handle.
void FormWindow::keyPressEvent(QKeyEvent* event) {
  event->accept();
}

void FormWindow::reject() {}

}  // namespace ui
