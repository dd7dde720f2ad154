// The views of the control kinds. A view is brought in step only when its control
// changed; the change record says what changed, so a list's rows are told by its row
// notices and never compared. The memo keeps the text it last showed, so that a log that
// grew is extended in place.
#include "ui/qt/ControlViews.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComplex>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeView>
#include <string>

#include "ui/qt/ItemModels.h"
#include "ui/qt/QtText.h"
#include "ui/qt/WindowStyle.h"

namespace ui {
namespace {

Qt::Alignment HorizontalAlignment(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return Qt::AlignRight;
    case taCenter:
      return Qt::AlignHCenter;
    case taLeftJustify:
      break;
  }
  return Qt::AlignLeft;
}

// Widgets never take the focus or a drop by themselves: the model decides.
void Quiet(QWidget* widget) {
  widget->setFocusPolicy(Qt::NoFocus);
  widget->setAcceptDrops(false);
}

class PlainView : public ControlView {
 public:
  explicit PlainView(QWidget* parent) : ControlView(new QWidget(parent)) {}
  void Sync(TControl&, const TChangeRecord&) override {}
};

class LabelView : public ControlView {
 public:
  explicit LabelView(QWidget* parent) : ControlView(new QLabel(parent)) {}
  void Sync(TControl& control, const TChangeRecord&) override {
    auto& label = static_cast<TLabel&>(control);
    auto* widget = static_cast<QLabel*>(widget_);
    const QString text = PlainCaption(label.Caption());
    if (widget->text() != text) {
      widget->setText(text);
    }
    widget->setTextFormat(Qt::PlainText);
    widget->setWordWrap(label.WordWrap());
    widget->setAlignment(HorizontalAlignment(label.Alignment()) | Qt::AlignTop);
  }
  // An auto-sized label is as large as its text, as the original platform sizes it.
  std::optional<QSize> NaturalSize(const TControl& control) const override {
    const auto& label = static_cast<const TLabel&>(control);
    if (!label.AutoSize() || label.WordWrap()) {
      return std::nullopt;
    }
    return widget_->sizeHint();
  }
};

class ButtonView : public ControlView {
 public:
  explicit ButtonView(QWidget* parent) : ControlView(new QPushButton(parent)) {
    static_cast<QPushButton*>(widget_)->setAutoDefault(false);
  }
  void Sync(TControl& control, const TChangeRecord&) override {
    auto& button = static_cast<TButton&>(control);
    auto* widget = static_cast<QPushButton*>(widget_);
    const QString text = PlainCaption(button.Caption());
    if (widget->text() != text) {
      widget->setText(text);
    }
    // Which button is drawn as the default follows the focus (FormWindow::SyncFocus).
  }
};

// A bit button shows the glyph of its kind beside its caption.
class BitBtnView : public ButtonView {
 public:
  using ButtonView::ButtonView;
  void Sync(TControl& control, const TChangeRecord& changes) override {
    ButtonView::Sync(control, changes);
    const TBitBtnKind kind = static_cast<TBitBtn&>(control).Kind();
    if (!glyphSet_ || kind != glyph_) {
      glyph_ = kind;
      glyphSet_ = true;
      static_cast<QPushButton*>(widget_)->setIcon(Glyph(glyph_));
    }
  }

 private:
  QIcon Glyph(TBitBtnKind kind) const {
    QStyle::StandardPixmap pixmap;
    switch (kind) {
      case bkOK:
        pixmap = QStyle::SP_DialogOkButton;
        break;
      case bkCancel:
        pixmap = QStyle::SP_DialogCancelButton;
        break;
      case bkYes:
        pixmap = QStyle::SP_DialogYesButton;
        break;
      case bkNo:
        pixmap = QStyle::SP_DialogNoButton;
        break;
      case bkClose:
        pixmap = QStyle::SP_DialogCloseButton;
        break;
      case bkAbort:
        pixmap = QStyle::SP_DialogAbortButton;
        break;
      case bkRetry:
        pixmap = QStyle::SP_DialogRetryButton;
        break;
      case bkIgnore:
        pixmap = QStyle::SP_DialogIgnoreButton;
        break;
      case bkCustom:
      default:
        return {};
    }
    return widget_->style()->standardIcon(pixmap, nullptr, widget_);
  }
  TBitBtnKind glyph_ = bkCustom;
  bool glyphSet_ = false;
};

class CheckBoxView : public ControlView {
 public:
  explicit CheckBoxView(QWidget* parent) : ControlView(new QCheckBox(parent)) {}
  void Sync(TControl& control, const TChangeRecord&) override {
    auto& box = static_cast<TCheckBox&>(control);
    auto* widget = static_cast<QCheckBox*>(widget_);
    widget->setText(PlainCaption(box.Caption()));
    widget->setChecked(box.Checked());
  }
};

class RadioButtonView : public ControlView {
 public:
  explicit RadioButtonView(QWidget* parent) : ControlView(new QRadioButton(parent)) {
    static_cast<QRadioButton*>(widget_)->setAutoExclusive(false);
  }
  void Sync(TControl& control, const TChangeRecord&) override {
    auto& radio = static_cast<TRadioButton&>(control);
    auto* widget = static_cast<QRadioButton*>(widget_);
    widget->setText(PlainCaption(radio.Caption()));
    widget->setChecked(radio.Checked());
  }
};

// The original platform draws a group box's caption inside the frame's corner; the
// desktop styles put it flush with the frame's left edge. A proxy of the application's
// style moves it in (a style sheet would do the same at a third more per window opened).
class InsetCaptionStyle : public QProxyStyle {
 public:
  static constexpr int kInset = 8;
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const override {
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control == CC_GroupBox && (part == SC_GroupBoxLabel || part == SC_GroupBoxCheckBox)) {
      rect.translate(kInset, 0);
    }
    return rect;
  }
};

// One caption style per window (ui/qt/WindowStyle.h).
QStyle* CaptionStyleOf(QWidget& inWindow) {
  return WindowStyle<InsetCaptionStyle>(inWindow, QStringLiteral("tavro-inset-caption-style"));
}

// A group box's children sit in its own pixels, where the model put them.
class GroupBoxView : public ControlView {
 public:
  explicit GroupBoxView(QWidget* parent) : ControlView(new QGroupBox(parent)) {
    widget_->setStyle(CaptionStyleOf(*parent));
  }
  void Sync(TControl& control, const TChangeRecord&) override {
    static_cast<QGroupBox*>(widget_)->setTitle(PlainCaption(control.Caption()));
  }

 protected:
  // The area below the caption, in the model's terms.
  static QRect CaptionlessArea(const TControl& control) {
    const TRect area = static_cast<const TWinControl&>(control).ClientRect();
    return {area.Left, area.Top, area.Width(), area.Height()};
  }
};

// The items of a radio group are buttons of the view, one below the other in the area
// below the caption, as the original platform spaces them.
class RadioGroupView : public GroupBoxView {
 public:
  using GroupBoxView::GroupBoxView;
  void Sync(TControl& control, const TChangeRecord& changes) override {
    GroupBoxView::Sync(control, changes);
    auto& group = static_cast<TRadioGroup&>(control);
    while (buttons_.size() > group.Items().size()) {
      delete buttons_.back();
      buttons_.pop_back();
    }
    while (buttons_.size() < group.Items().size()) {
      auto* button = new QRadioButton(widget_);
      button->setAutoExclusive(false);
      Quiet(button);
      button->show();
      buttons_.push_back(button);
    }
    const QRect area = CaptionlessArea(control);
    const int count = static_cast<int>(buttons_.size());
    for (int i = 0; i < count; ++i) {
      QRadioButton* button = buttons_[static_cast<std::size_t>(i)];
      button->setText(PlainCaption(group.Items()[static_cast<std::size_t>(i)]));
      button->setChecked(i == group.ItemIndex());
      const int top = area.top() + area.height() * i / count;
      const int bottom = area.top() + area.height() * (i + 1) / count;
      button->setGeometry(area.left() + 6, top, std::max(0, area.width() - 8), bottom - top);
    }
  }
  std::vector<QObject*> Sources() const override {
    std::vector<QObject*> sources{widget_};
    sources.insert(sources.end(), buttons_.begin(), buttons_.end());
    return sources;
  }
  int ItemAt(QObject* source, QPoint) const override {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
      if (buttons_[i] == source) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }

 private:
  std::vector<QRadioButton*> buttons_;
};

// A panel draws its raised bevel and its caption.
class PanelWidget : public QFrame {
 public:
  explicit PanelWidget(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
  }
  void SetCaption(const QString& caption, Qt::Alignment alignment) {
    if (caption != caption_ || alignment != alignment_) {
      caption_ = caption;
      alignment_ = alignment;
      update();
    }
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    if (!caption_.isEmpty()) {
      QPainter painter(this);
      painter.drawText(contentsRect(), static_cast<int>(alignment_ | Qt::AlignVCenter), caption_);
    }
  }

 private:
  QString caption_;
  Qt::Alignment alignment_ = Qt::AlignHCenter;
};

class PanelView : public ControlView {
 public:
  explicit PanelView(QWidget* parent) : ControlView(new PanelWidget(parent)) {}
  void Sync(TControl& control, const TChangeRecord&) override {
    auto& panel = static_cast<TPanel&>(control);
    static_cast<PanelWidget*>(widget_)->SetCaption(PlainCaption(panel.Caption()),
                                                   HorizontalAlignment(panel.Alignment()));
  }
};

// Tabs along the top and a frame below them; the sheets are the page control's children
// laid over the frame.
class PageControlView : public ControlView {
 public:
  explicit PageControlView(QWidget* parent)
      : ControlView(new QWidget(parent)), tabs_(new QTabBar(widget_)), frame_(new QFrame(widget_)) {
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    Quiet(tabs_);
    frame_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  }
  void Sync(TControl& control, const TChangeRecord&) override {
    auto& pages = static_cast<TPageControl&>(control);
    const std::vector<TTabSheet*> sheets = pages.Pages();
    while (tabs_->count() > static_cast<int>(sheets.size())) {
      tabs_->removeTab(tabs_->count() - 1);
    }
    while (tabs_->count() < static_cast<int>(sheets.size())) {
      tabs_->addTab(QString());
    }
    int active = -1;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      tabs_->setTabText(static_cast<int>(i), PlainCaption(sheets[i]->Caption()));
      if (sheets[i] == pages.ActivePage()) {
        active = static_cast<int>(i);
      }
    }
    if (active >= 0) {
      tabs_->setCurrentIndex(active);
    }
    // The model lays the sheets out below its tabs; the frame stands just around them.
    const int frameTop = std::max(0, pages.ClientRect().Top - 2);
    tabs_->setGeometry(0, 0, widget_->width(), frameTop);
    frame_->setGeometry(0, frameTop, widget_->width(), std::max(0, widget_->height() - frameTop));
    frame_->lower();
  }
  std::vector<QObject*> Sources() const override { return {widget_, tabs_}; }
  int ItemAt(QObject* source, QPoint pos) const override {
    return source == tabs_ ? tabs_->tabAt(pos) : -1;
  }

 private:
  QTabBar* tabs_;
  QFrame* frame_;
};

class EditView : public ControlView {
 public:
  // password: the edit is a TEdit, which may hide its text behind a password character.
  EditView(QWidget* parent, bool password) : EditView(new QLineEdit(parent), nullptr) {
    password_ = password;
  }
  EditView(QWidget* widget, QLineEdit* line) : ControlView(widget), line_(line) {
    if (line_ == nullptr) {
      line_ = static_cast<QLineEdit*>(widget_);
    }
    line_->setContextMenuPolicy(Qt::NoContextMenu);
    line_->setDragEnabled(false);
    Quiet(line_);
  }
  void Sync(TControl& control, const TChangeRecord&) override {
    auto& edit = static_cast<TCustomEdit&>(control);
    ShowText(*line_, edit.Text(), edit.SelStart(), edit.SelLength());
    line_->setReadOnly(edit.ReadOnly());
    if (password_) {
      line_->setEchoMode(static_cast<TEdit&>(edit).PasswordChar() != 0 ? QLineEdit::Password
                                                                       : QLineEdit::Normal);
    }
  }
  QWidget* FocusWidget() const override { return line_; }
  std::vector<QObject*> Sources() const override {
    if (line_ == widget_) {
      return {widget_};
    }
    return {widget_, line_};
  }
  int ByteAt(const TControl& control, QObject* source, QPoint pos) const override {
    if (source != line_) {
      return -1;
    }
    const std::string& text = static_cast<const TCustomEdit&>(control).Text();
    return ByteOfShownPos(text, line_->cursorPositionAt(pos), false);
  }

  static void ShowText(QLineEdit& line, const std::string& text, int selStart, int selLength) {
    const QString shown = ShownText(text, false);
    if (line.text() != shown) {
      line.setText(shown);
    }
    const int start = ShownPosOfByte(text, selStart, false);
    const int end = ShownPosOfByte(text, selStart + selLength, false);
    if (end > start) {
      line.setSelection(start, end - start);
    } else {
      line.deselect();
      line.setCursorPosition(start);
    }
  }

 protected:
  QLineEdit* line_;

 private:
  bool password_ = false;
};

// A file-name edit: its edit, and the browse button at its right end.
class FileNameEditView : public EditView {
 public:
  explicit FileNameEditView(QWidget* parent) : FileNameEditView(new QWidget(parent), true) {}
  void Sync(TControl& control, const TChangeRecord& changes) override {
    EditView::Sync(control, changes);
    const int side = widget_->height();
    line_->setGeometry(0, 0, std::max(0, widget_->width() - side), side);
    button_->setGeometry(std::max(0, widget_->width() - side), 0, side, side);
  }
  std::vector<QObject*> Sources() const override { return {widget_, line_, button_}; }
  bool IsButton(QObject* source) const override { return source == button_; }

 private:
  // box: the widget holding the edit and the button.
  FileNameEditView(QWidget* box, bool)
      : EditView(box, new QLineEdit(box)), button_(new QToolButton(box)) {
    button_->setText(QStringLiteral("..."));
    Quiet(button_);
  }
  QToolButton* button_;
};

class MemoView : public ControlView {
 public:
  explicit MemoView(QWidget* parent) : ControlView(new QPlainTextEdit(parent)) {
    auto* widget = static_cast<QPlainTextEdit*>(widget_);
    widget->setUndoRedoEnabled(false);
    widget->setContextMenuPolicy(Qt::NoContextMenu);
    widget->viewport()->setAcceptDrops(false);
    Quiet(widget);
  }
  void Sync(TControl& control, const TChangeRecord& changes) override {
    auto& memo = static_cast<TMemo&>(control);
    auto* widget = static_cast<QPlainTextEdit*>(widget_);
    const std::string& text = memo.Text();
    const bool textChanged = changes.Has(chText) && (!shownOnce_ || text != shown_);
    if (textChanged && shownOnce_ && Extends(text)) {
      // A log that grew: only its new lines are added, so a long import's log costs
      // each turn its new part, not the whole text again.
      QTextCursor end(widget->document());
      end.movePosition(QTextCursor::End);
      end.insertText(ShownText(std::string_view(text).substr(shown_.size()), true));
      shown_ = text;
    } else if (textChanged) {
      shown_ = text;
      shownOnce_ = true;
      widget->setPlainText(ShownText(shown_, true));
    }
    if (textChanged || memo.SelStart() != selStart_ || memo.SelLength() != selLength_) {
      selStart_ = memo.SelStart();
      selLength_ = memo.SelLength();
      QTextCursor cursor = widget->textCursor();
      if (selLength_ == 0 && selStart_ == static_cast<int>(shown_.size())) {
        cursor.movePosition(QTextCursor::End);  // a log's caret, kept at its end
      } else {
        cursor.setPosition(ShownPosOfByte(shown_, selStart_, true));
        cursor.setPosition(ShownPosOfByte(shown_, selStart_ + selLength_, true),
                           QTextCursor::KeepAnchor);
      }
      widget->setTextCursor(cursor);
    }
    widget->setReadOnly(memo.ReadOnly());
    widget->setLineWrapMode(memo.WordWrap() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    const bool vertical =
        memo.ScrollBars() == TMemo::ssVertical || memo.ScrollBars() == TMemo::ssBoth;
    const bool horizontal =
        memo.ScrollBars() == TMemo::ssHorizontal || memo.ScrollBars() == TMemo::ssBoth;
    widget->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    widget->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn
                                                    : Qt::ScrollBarAsNeeded);
  }
  std::vector<QObject*> Sources() const override {
    return {widget_, static_cast<QPlainTextEdit*>(widget_)->viewport()};
  }
  int ByteAt(const TControl& control, QObject* source, QPoint pos) const override {
    auto* widget = static_cast<QPlainTextEdit*>(widget_);
    if (source != widget->viewport()) {
      return -1;
    }
    const std::string& text = static_cast<const TMemo&>(control).Text();
    return ByteOfShownPos(text, widget->cursorForPosition(pos).position(), true);
  }

 private:
  // text is the shown text with more after it, and the shown text ends at a whole
  // character that no added byte can join: ASCII, and not a CR that an LF might follow.
  bool Extends(const std::string& text) const {
    if (shown_.empty() || text.size() <= shown_.size() ||
        text.compare(0, shown_.size(), shown_) != 0) {
      return false;
    }
    const auto last = static_cast<unsigned char>(shown_.back());
    return last < 0x80 && last != '\r';
  }

  std::string shown_;
  bool shownOnce_ = false;
  int selStart_ = -1;
  int selLength_ = -1;
};

class ComboView : public ControlView {
 public:
  explicit ComboView(QWidget* parent) : ControlView(new QComboBox(parent)) {
    auto* combo = static_cast<QComboBox*>(widget_);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(12);
    combo->setContextMenuPolicy(Qt::NoContextMenu);
    // The drop-down's own filter is installed now, so the window's, installed later,
    // sees its events first.
    combo->view();
  }
  void Sync(TControl& control, const TChangeRecord& changes) override {
    auto& box = static_cast<TComboBox&>(control);
    auto* combo = static_cast<QComboBox*>(widget_);
    const bool editable = box.Style() == csDropDown;
    if (combo->isEditable() != editable) {
      combo->setEditable(editable);
      if (editable) {
        combo->setCompleter(nullptr);
        combo->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
        combo->lineEdit()->setDragEnabled(false);
        Quiet(combo->lineEdit());
      }
    }
    if (changes.Has(chItems)) {
      combo->clear();
      for (const std::string& item : box.Items()) {
        combo->addItem(ToQt(item));
      }
    }
    if (combo->currentIndex() != box.ItemIndex()) {
      combo->setCurrentIndex(box.ItemIndex());
    }
    if (editable) {
      EditView::ShowText(*combo->lineEdit(), box.Text(), box.SelStart(), 0);
    }
  }
  QWidget* FocusWidget() const override {
    auto* combo = static_cast<QComboBox*>(widget_);
    return combo->isEditable() ? static_cast<QWidget*>(combo->lineEdit()) : combo;
  }
  std::vector<QObject*> Sources() const override {
    auto* combo = static_cast<QComboBox*>(widget_);
    std::vector<QObject*> sources{widget_, combo->view(), combo->view()->viewport()};
    if (combo->isEditable()) {
      sources.push_back(combo->lineEdit());
    }
    return sources;
  }
  int ByteAt(const TControl& control, QObject* source, QPoint pos) const override {
    auto* combo = static_cast<QComboBox*>(widget_);
    if (!combo->isEditable() || source != combo->lineEdit()) {
      return -1;
    }
    const std::string& text = static_cast<const TComboBox&>(control).Text();
    return ByteOfShownPos(text, combo->lineEdit()->cursorPositionAt(pos), false);
  }
  bool IsPopupList(QObject* source) const override {
    auto* combo = static_cast<QComboBox*>(widget_);
    return source == combo->view() || source == combo->view()->viewport();
  }
  int ItemAt(QObject* source, QPoint pos) const override {
    auto* combo = static_cast<QComboBox*>(widget_);
    return source == combo->view()->viewport() ? combo->view()->indexAt(pos).row() : -1;
  }
  void ShowPopupList() override { static_cast<QComboBox*>(widget_)->showPopup(); }
  void HidePopupList() override { static_cast<QComboBox*>(widget_)->hidePopup(); }
  int PopupRow() const override {
    return static_cast<QComboBox*>(widget_)->view()->currentIndex().row();
  }
};

// The item views: rows told by the control's row notices (ui/qt/ItemModels.h), the
// selection shown from the control.
template <class View>
void ShowRow(View& view, const QModelIndex& index, QItemSelectionModel::SelectionFlags how) {
  QItemSelectionModel* selection = view.selectionModel();
  if (!index.isValid()) {
    if (selection->hasSelection() || selection->currentIndex().isValid()) {
      selection->clear();
    }
    return;
  }
  if (selection->currentIndex() != index || !selection->isSelected(index)) {
    selection->setCurrentIndex(index, how);
    view.scrollTo(index);
  }
}

class ListWidget : public QListView {
 public:
  using QListView::QListView;
  // The rectangle of an item's check box.
  QRect CheckRect(const QModelIndex& index) {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
  }
};

class ListBoxView : public ControlView {
 public:
  // checks: the same list when it is a check list box, else null.
  ListBoxView(TListBox& list, TCheckListBox* checks, QWidget* parent)
      : ControlView(new ListWidget(parent)) {
    auto* view = static_cast<ListWidget*>(widget_);
    model_ = new ListBoxModel(list, checks, view);
    view->setModel(model_);
    view->setUniformItemSizes(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setDragEnabled(false);
    view->viewport()->setAcceptDrops(false);
    Quiet(view);
  }
  void Sync(TControl& control, const TChangeRecord& changes) override {
    auto& list = static_cast<TListBox&>(control);
    auto* view = static_cast<ListWidget*>(widget_);
    model_->Apply(changes);
    ShowRow(*view, model_->index(list.ItemIndex(), 0), QItemSelectionModel::ClearAndSelect);
  }
  std::vector<QObject*> Sources() const override {
    return {widget_, static_cast<ListWidget*>(widget_)->viewport()};
  }
  int ItemAt(QObject* source, QPoint pos) const override {
    auto* view = static_cast<ListWidget*>(widget_);
    return source == view->viewport() ? view->indexAt(pos).row() : -1;
  }
  bool OnCheckBox(QObject* source, QPoint pos, int item) const override {
    auto* view = static_cast<ListWidget*>(widget_);
    if (source != view->viewport() || item < 0 ||
        !(model_->flags(model_->index(item, 0)) & Qt::ItemIsUserCheckable)) {
      return false;
    }
    return view->CheckRect(model_->index(item, 0)).contains(pos);
  }
  QPoint MenuPoint() const override {
    auto* view = static_cast<ListWidget*>(widget_);
    const QRect rect = view->visualRect(view->currentIndex());
    return rect.isValid() ? view->viewport()->mapToGlobal(rect.center()) : ControlView::MenuPoint();
  }

 private:
  ListBoxModel* model_;
};

class TreeViewView : public ControlView {
 public:
  TreeViewView(TTreeView& tree, QWidget* parent) : ControlView(new QTreeView(parent)) {
    auto* view = static_cast<QTreeView*>(widget_);
    model_ = new TreeModel(tree, view);
    view->setModel(model_);
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setExpandsOnDoubleClick(false);
    view->setDragEnabled(false);
    view->viewport()->setAcceptDrops(false);
    Quiet(view);
  }
  void Sync(TControl& control, const TChangeRecord& changes) override {
    auto& tree = static_cast<TTreeView&>(control);
    auto* view = static_cast<QTreeView*>(widget_);
    model_->Apply(changes);
    // The nodes open and closed as the model has them (parents first, so a child's
    // index is shown when it is opened).
    if (changes.Has(chLook) || changes.Has(chItems)) {
      for (TTreeNode* node : tree.Nodes()) {
        if (!node->HasChildren()) {
          continue;
        }
        const QModelIndex index = model_->IndexOfNode(node);
        if (index.isValid() && view->isExpanded(index) != node->Expanded()) {
          view->setExpanded(index, node->Expanded());
        }
      }
    }
    ShowRow(*view, model_->IndexOfNode(tree.Selected()), QItemSelectionModel::ClearAndSelect);
  }
  std::vector<QObject*> Sources() const override {
    return {widget_, static_cast<QTreeView*>(widget_)->viewport()};
  }
  int ItemAt(QObject* source, QPoint pos) const override {
    auto* view = static_cast<QTreeView*>(widget_);
    if (source != view->viewport()) {
      return -1;
    }
    const QModelIndex index = view->indexAt(pos);
    // The row's empty space left of the node (its indentation) is not the node.
    if (!index.isValid() || pos.x() < view->visualRect(index).left()) {
      return -1;
    }
    return model_->OrderOf(index);
  }
  // The expand button sits in the indentation just left of the node.
  int ExpanderAt(QObject* source, QPoint pos) const override {
    auto* view = static_cast<QTreeView*>(widget_);
    if (source != view->viewport()) {
      return -1;
    }
    const QModelIndex index = view->indexAt(pos);
    if (!index.isValid() || model_->rowCount(index) == 0) {
      return -1;
    }
    const int left = view->visualRect(index).left();
    if (pos.x() >= left || pos.x() < left - view->indentation()) {
      return -1;
    }
    return model_->OrderOf(index);
  }
  QPoint MenuPoint() const override {
    auto* view = static_cast<QTreeView*>(widget_);
    const QRect rect = view->visualRect(view->currentIndex());
    return rect.isValid() ? view->viewport()->mapToGlobal(rect.center()) : ControlView::MenuPoint();
  }

 private:
  TreeModel* model_;
};

class ListViewView : public ControlView {
 public:
  ListViewView(TListView& list, QWidget* parent) : ControlView(new QTreeView(parent)), list_(list) {
    auto* view = static_cast<QTreeView*>(widget_);
    model_ = new ListViewModel(list, view);
    view->setModel(model_);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setDragEnabled(false);
    view->viewport()->setAcceptDrops(false);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    view->header()->setSectionsClickable(false);
    Quiet(view);
    // Widths the operator drags become the columns' widths, as on the original platform.
    QObject::connect(view->header(), &QHeaderView::sectionResized,
                     [this](int section, int, int size) {
                       if (!syncing_) {
                         list_.SetColumnWidth(section, size);
                       }
                     });
  }
  void Sync(TControl& control, const TChangeRecord& changes) override {
    auto& list = static_cast<TListView&>(control);
    auto* view = static_cast<QTreeView*>(widget_);
    syncing_ = true;
    model_->Apply(changes);
    view->setHeaderHidden(list.ViewStyle() != vsReport);
    for (std::size_t i = 0; i < list.Columns().size(); ++i) {
      const int section = static_cast<int>(i);
      if (view->header()->sectionSize(section) != list.Columns()[i].Width) {
        view->header()->resizeSection(section, list.Columns()[i].Width);
      }
    }
    syncing_ = false;
    view->setSelectionBehavior(list.RowSelect() ? QAbstractItemView::SelectRows
                                                : QAbstractItemView::SelectItems);
    view->setAllColumnsShowFocus(list.RowSelect());
    ShowRow(*view, model_->index(list.ItemIndex(), 0),
            list.RowSelect() ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                             : QItemSelectionModel::ClearAndSelect);
  }
  std::vector<QObject*> Sources() const override {
    return {widget_, static_cast<QTreeView*>(widget_)->viewport()};
  }
  int ItemAt(QObject* source, QPoint pos) const override {
    auto* view = static_cast<QTreeView*>(widget_);
    return source == view->viewport() ? view->indexAt(pos).row() : -1;
  }
  QPoint MenuPoint() const override {
    auto* view = static_cast<QTreeView*>(widget_);
    const QRect rect = view->visualRect(view->currentIndex());
    return rect.isValid() ? view->viewport()->mapToGlobal(rect.center()) : ControlView::MenuPoint();
  }

 private:
  TListView& list_;
  ListViewModel* model_;
  bool syncing_ = false;
};

}  // namespace

ControlView::ControlView(QWidget* widget) : widget_(widget) {
  Quiet(widget_);
}

ControlView::~ControlView() {
  widget_->hide();
  widget_->deleteLater();
}

std::vector<QObject*> ControlView::Sources() const {
  return {widget_};
}

QPoint ControlView::MenuPoint() const {
  return widget_->mapToGlobal(QPoint(widget_->width() / 2, widget_->height() / 2));
}

namespace {

// The view of each kind; a kind without one of its own (a tab sheet, a plain windowed
// control) gets a plain widget that only holds its children.
class ViewMaker final : public ControlVisitor {
 public:
  explicit ViewMaker(QWidget* parent) : parent_(parent) {}
  std::unique_ptr<ControlView> Take() { return std::move(view_); }

  void Visit(TComponent&) override { view_ = std::make_unique<PlainView>(parent_); }
  void Visit(TLabel&) override { view_ = std::make_unique<LabelView>(parent_); }
  void Visit(TButton&) override { view_ = std::make_unique<ButtonView>(parent_); }
  void Visit(TBitBtn&) override { view_ = std::make_unique<BitBtnView>(parent_); }
  void Visit(TCheckBox&) override { view_ = std::make_unique<CheckBoxView>(parent_); }
  void Visit(TRadioButton&) override { view_ = std::make_unique<RadioButtonView>(parent_); }
  void Visit(TGroupBox&) override { view_ = std::make_unique<GroupBoxView>(parent_); }
  void Visit(TRadioGroup&) override { view_ = std::make_unique<RadioGroupView>(parent_); }
  void Visit(TPanel&) override { view_ = std::make_unique<PanelView>(parent_); }
  void Visit(TPageControl&) override { view_ = std::make_unique<PageControlView>(parent_); }
  void Visit(TCustomEdit&) override { view_ = std::make_unique<EditView>(parent_, false); }
  void Visit(TEdit&) override { view_ = std::make_unique<EditView>(parent_, true); }
  void Visit(TMemo&) override { view_ = std::make_unique<MemoView>(parent_); }
  void Visit(TFileNameEdit&) override { view_ = std::make_unique<FileNameEditView>(parent_); }
  void Visit(TComboBox&) override { view_ = std::make_unique<ComboView>(parent_); }
  void Visit(TListBox& list) override {
    view_ = std::make_unique<ListBoxView>(list, nullptr, parent_);
  }
  void Visit(TCheckListBox& list) override {
    view_ = std::make_unique<ListBoxView>(list, &list, parent_);
  }
  void Visit(TTreeView& tree) override { view_ = std::make_unique<TreeViewView>(tree, parent_); }
  void Visit(TListView& list) override { view_ = std::make_unique<ListViewView>(list, parent_); }

 private:
  QWidget* parent_;
  std::unique_ptr<ControlView> view_;
};

}  // namespace

std::unique_ptr<ControlView> MakeView(TControl& control, QWidget* parent) {
  ViewMaker maker(parent);
  control.Accept(maker);
  return maker.Take();
}

QString PlainCaption(const std::string& gbk) {
  const QString text = ToQt(gbk);
  QString plain;
  plain.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QChar('&') && i + 1 < text.size()) {
      ++i;  // "&&" shows one "&"; "&X" shows "X"
    }
    plain.append(text[i]);
  }
  return plain;
}

}  // namespace ui
