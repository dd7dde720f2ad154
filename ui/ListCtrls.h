// Controls that show lists: combo box, list box, check list box, tree view and list
// view.
//
// Setting an item index or a selection from code fires nothing; the operator's choice
// (ui/Input.h SelectItem, the arrow keys, a mouse click) fires the control's event:
// OnChange for a combo box, OnClick for the others.
//
// Items, rows and nodes are changed through the controls' methods, which record row
// notices (ui/ChangeRecord.h): a platform's view of a long list learns which rows came,
// went or changed, and never compares the rows.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/Control.h"
#include "ui/EditBuffer.h"

namespace ui {

// Index of the first item equal to text, Latin letters compared without regard to
// case, as the platform's lists look items up; -1 when there is none.
int IndexOfItem(const TStrings& items, std::string_view text);

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TWinControl {
 public:
  TComboBox(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {
    SetColor(clWindow);
  }
  const char* ClassName() const override { return "TComboBox"; }

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style) { Assign(style_, style, chLook); }
  const TStrings& Items() const { return items_; }
  // The items replaced; the item index and the text stay as they are.
  void SetItems(TStrings items);
  void AddItem(std::string item);

  int ItemIndex() const;
  // Selects item index (-1 for none) and shows its text; fires nothing.
  void SetItemIndex(int index);
  // The edit text. For a drop-down list it is the selected item's text.
  const std::string& Text() const { return edit_.Text; }
  std::string DisplayText() const override { return edit_.Text; }
  // Sets the edit text as code does (fires nothing). A drop-down list selects the item
  // with that text, or none; a drop-down selects the item equal to it, if any.
  void SetText(const std::string& text);
  void Clear();

  int SelStart() const { return edit_.SelStart; }
  void SetSelStart(int pos);
  int MaxLength() const { return edit_.MaxLength; }
  void SetMaxLength(int maxLength) { edit_.MaxLength = maxLength < 0 ? 0 : maxLength; }

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

  // The operator picks item index: it is selected, then OnSelect and Change run.
  void SelectByOperator(int index);

  void HandleKey(std::uint16_t key, TShiftState shift) override;
  void HandleChar(char key) override;
  void HandleDoubleByte(const std::string& character) override;
  void HandlePaste(const std::string& text) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
  virtual void Change();

 private:
  void TypeText(std::string_view text);
  void EditChanged() { Changed(chText | chSelection); }
  TComboBoxStyle style_ = csDropDown;
  TStrings items_;
  EditBuffer edit_;
  int itemIndex_ = -1;
};

class TListBox : public TWinControl {
 public:
  TListBox(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {
    SetColor(clWindow);
  }
  const char* ClassName() const override { return "TListBox"; }

  const TStrings& Items() const { return items_; }
  // The items replaced; the item index stays where it is (a check list box's does not).
  virtual void SetItems(TStrings items);
  void AddItem(std::string item);
  void InsertItem(int index, std::string item);  // index: 0 to the count
  void DeleteItem(int index);
  // An item's new text; an item of a check list box whose text changes loses its mark.
  void SetItem(int index, std::string item);
  // Two items change places (each place takes the other's text, as SetItem sets it).
  void ExchangeItems(int a, int b);
  int ItemIndex() const;
  // Selects index (-1 for none); fires nothing.
  void SetItemIndex(int index);
  virtual void Clear();

  // Pixels a row takes; the platform draws rows this high.
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height) { Assign(itemHeight_, height, chLook); }
  // The first row shown; the platform scrolls to it.
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int index) { Assign(topIndex_, index, chSelection); }
  // Index of the item under the point (x, y) in the control's own pixels; -1 below the
  // last item or outside, unless existing is false (then the count).
  int ItemAtPos(int x, int y, bool existing = true) const;
  // A point inside item index, for the operator's mouse.
  int ItemCenterY(int index) const;

  // The operator selects item index (a click on it): selection, then Click.
  void SelectByOperator(int index);
  void HandleKey(std::uint16_t key, TShiftState shift) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
  // The items changed: what a check list box keeps beside them (its marks) follows.
  virtual void ItemsReplaced() {}
  virtual void ItemInserted(int) {}
  virtual void ItemDeleted(int) {}
  virtual void ItemTextChanged(int) {}

 private:
  TStrings items_;
  int itemIndex_ = -1;
  int itemHeight_ = 16;
  int topIndex_ = 0;
};

// A list box whose items have check boxes. Checking from code fires nothing; the
// operator's check fires OnClickCheck. The marks follow the items through the list
// box's methods: replacing the items clears every mark and the item index, a new item
// is unchecked, and an item whose text changes loses its mark.
class TCheckListBox : public TListBox {
 public:
  TCheckListBox(TComponent* owner, std::string name) : TListBox(owner, std::move(name)) {}
  const char* ClassName() const override { return "TCheckListBox"; }

  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  void SetItems(TStrings items) override;

  TNotifyEvent OnClickCheck;
  void CheckByOperator(int index, bool checked);
  // Space toggles the selected item's mark (the first item's, selected first, when none
  // is selected).
  void HandleKey(std::uint16_t key, TShiftState shift) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
  void ItemsReplaced() override;
  void ItemInserted(int index) override;
  void ItemDeleted(int index) override;
  void ItemTextChanged(int index) override;

 private:
  std::vector<bool> checked_;  // one per item
};

// The outline of a loaded tree is not what the tree expects: a line two or more levels
// deeper than the one before it.
class EOutlineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TTreeNode {
 public:
  const std::string& Text() const { return text_; }
  int Level() const { return level_; }
  TTreeNode* Parent() const { return parent_; }
  // The node's place among its parent's children (or the top-level nodes).
  int Index() const { return index_; }
  const std::vector<std::unique_ptr<TTreeNode>>& Children() const { return children_; }
  int Count() const { return static_cast<int>(children_.size()); }
  bool HasChildren() const { return !children_.empty(); }
  // Its children are shown (TTreeView::SetExpanded).
  bool Expanded() const { return expanded_; }
  void* Data = nullptr;

 private:
  friend class TTreeView;
  std::string text_;
  int level_ = 0;
  int index_ = 0;
  bool expanded_ = false;
  TTreeNode* parent_ = nullptr;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

class TTreeView : public TWinControl {
 public:
  TTreeView(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {
    SetColor(clWindow);
  }
  const char* ClassName() const override { return "TTreeView"; }

  // The operator may not edit the nodes' texts.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { Assign(readOnly_, readOnly, chLook); }

  // All nodes in tree order (each node, then its children).
  std::vector<TTreeNode*> Nodes() const;
  int Count() const { return static_cast<int>(Nodes().size()); }
  TTreeNode* Node(int index) const;  // in tree order; null out of range
  const std::vector<std::unique_ptr<TTreeNode>>& TopNodes() const { return roots_; }

  // Adds a top-level node, or a child of parent.
  TTreeNode* AddChild(TTreeNode* parent, std::string text);
  void Clear();

  // Replaces the tree by an indented outline: one node per line; its level is the
  // number of tab or blank characters that begin the line; a line one level deeper
  // than the one before is its child, the same level its sibling, shallower climbs
  // back. A line two or more levels deeper throws EOutlineError naming the level and
  // the text, and leaves the tree as it was. Empty lines are skipped.
  void LoadOutline(std::string_view outline);

  TTreeNode* Selected() const { return selected_; }
  // Selects node (null for none); fires nothing.
  void SetSelected(TTreeNode* node) { Assign(selected_, node, chSelection); }
  // The operator clicks node: it is selected, then Click.
  void SelectByOperator(TTreeNode* node);

  // Opens or closes node (a node without children stays as it is). A closed node that
  // holds the selected node below it becomes the selected one, as the operator's
  // selection cannot stay out of sight; that selection is the operator's (Click).
  void SetExpanded(TTreeNode* node, bool expanded);
  // The nodes the operator sees, in tree order: those whose ancestors are all open.
  std::vector<TTreeNode*> VisibleNodes() const;
  // Pixels a row takes, for the page keys.
  static constexpr int kRowHeight = 16;

  // The keys of the platform's tree: Up, Down, Home, End, PageUp and PageDown move the
  // selection among the visible nodes; Right opens a closed node or goes to its first
  // child, Left closes an open node or goes to its parent. Each move is the operator's
  // selection (Click), so what shows a node's details follows it.
  void HandleKey(std::uint16_t key, TShiftState shift) override;
  // '+' opens the selected node, '-' closes it, '*' opens it and every node below it.
  void HandleChar(char key) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  // Whether node is new since the platform last looked: it, or one of its ancestors,
  // lies in a block of inserted rows.
  bool NoticedAsNew(const TTreeNode& node) const;
  void NoticeAdded(const TTreeNode& node);
  std::vector<std::unique_ptr<TTreeNode>> roots_;
  TTreeNode* selected_ = nullptr;
  bool readOnly_ = false;
};

struct TListColumn {
  std::string Caption;
  int Width = 50;
  TAlignment Alignment = taLeftJustify;
};

struct TListItem {
  std::string Caption;
  TStrings SubItems;
  void* Data = nullptr;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListView : public TWinControl {
 public:
  TListView(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {
    SetColor(clWindow);
  }
  const char* ClassName() const override { return "TListView"; }

  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle style) { Assign(viewStyle_, style, chLook); }
  // The operator may not edit the rows' captions.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { Assign(readOnly_, readOnly, chLook); }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool rowSelect) { Assign(rowSelect_, rowSelect, chLook); }
  const std::vector<TListColumn>& Columns() const { return columns_; }
  void SetColumns(std::vector<TListColumn> columns);
  void AddColumn(TListColumn column);
  void ClearColumns() { SetColumns({}); }
  // The operator's drag of a column's edge, or code.
  void SetColumnWidth(int column, int width);
  const std::vector<TListItem>& Items() const { return items_; }

  // An update bracket: many rows added between the two count as one change of the list.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
  }
  bool Updating() const { return updateCount_ > 0; }

  // Room for count rows, so that a long fill does not move its rows again and again.
  void ReserveItems(std::size_t count) { items_.reserve(count); }
  void AddItem(std::string caption, TStrings subItems = {});
  void InsertItem(int index, TListItem item);  // index: 0 to the count
  void DeleteItem(int index);
  void SetItem(int index, TListItem item);
  void Clear();

  int ItemIndex() const;
  // Selects row index (-1 for none); fires nothing.
  void SetItemIndex(int index);
  const TListItem* Selected() const;
  // The operator clicks row index: it is selected, then Click.
  void SelectByOperator(int index);
  void HandleKey(std::uint16_t key, TShiftState shift) override;

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }

 private:
  TViewStyle viewStyle_ = vsReport;
  bool readOnly_ = false;
  bool rowSelect_ = false;
  std::vector<TListColumn> columns_;
  std::vector<TListItem> items_;
  int itemIndex_ = -1;
  int updateCount_ = 0;
};

}  // namespace ui
