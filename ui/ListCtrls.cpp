// The list controls: items, selection and the operator's keys, and the row notices of
// every change of the rows.
#include "ui/ListCtrls.h"

#include <algorithm>

#include "sys/GbkChar.h"

namespace ui {
namespace {

int Count(const TStrings& items) {
  return static_cast<int>(items.size());
}

bool InRange(const TStrings& items, int index) {
  return index >= 0 && index < Count(items);
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Item lookups of the platform's lists ignore the case of Latin letters; the trail
// byte of a double-byte character is compared as it is, never folded.
bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (sys::IsGbkLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
        return false;
      }
      ++i;
    } else if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
      return false;
    }
  }
  return true;
}

// The index the arrow keys lead to from current, or -1 for keys that do not move.
int StepIndex(std::uint16_t key, int current, int count) {
  if (count == 0) {
    return -1;
  }
  switch (key) {
    case vk::Up:
      return current <= 0 ? 0 : current - 1;
    case vk::Down:
      return current < 0 ? 0 : std::min(current + 1, count - 1);
    case vk::Home:
      return 0;
    case vk::End:
      return count - 1;
    default:
      return -1;
  }
}

}  // namespace

int IndexOfItem(const TStrings& items, std::string_view text) {
  for (int i = 0; i < Count(items); ++i) {
    if (SameTextAscii(items[i], text)) {
      return i;
    }
  }
  return -1;
}

int TComboBox::ItemIndex() const {
  return InRange(items_, itemIndex_) ? itemIndex_ : -1;
}

void TComboBox::SetItemIndex(int index) {
  if (!InRange(items_, index)) {
    itemIndex_ = -1;
    edit_.Text.clear();
  } else {
    itemIndex_ = index;
    edit_.Text = items_[index];
  }
  SetSelection(edit_, 0, 0);
  EditChanged();
}

void TComboBox::SetText(const std::string& text) {
  int index = IndexOfItem(items_, text);
  if (style_ == csDropDownList) {
    SetItemIndex(index);
    return;
  }
  edit_.Text = text;
  itemIndex_ = index;
  SetSelection(edit_, 0, 0);
  EditChanged();
}

void TComboBox::SetSelStart(int pos) {
  SetSelection(edit_, pos, 0);
  Changed(chSelection);
}

void TComboBox::SetItems(TStrings items) {
  items_ = std::move(items);
  Record().RowsReset();
  Changed(chSelection);  // the item index may now name another item, or none
}

void TComboBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  Record().RowsInserted(Count(items_) - 1, 1);
}

void TComboBox::Clear() {
  items_.clear();
  Record().RowsReset();
  SetItemIndex(-1);
}

void TComboBox::SelectByOperator(int index) {
  if (!InRange(items_, index)) {
    return;
  }
  SetItemIndex(index);
  if (OnSelect) {
    OnSelect(this);
  }
  Change();
}

void TComboBox::Change() {
  if (OnChange) {
    OnChange(this);
  }
}

// Typing into the edit part: the list keeps a selection only while the text equals
// one of its items.
void TComboBox::TypeText(std::string_view text) {
  if (style_ == csDropDownList) {
    return;
  }
  if (!ReplaceSelection(edit_, text)) {
    return;
  }
  itemIndex_ = IndexOfItem(items_, edit_.Text);
  EditChanged();
  Change();
}

void TComboBox::HandleKey(std::uint16_t key, TShiftState) {
  int step = StepIndex(key, ItemIndex(), Count(items_));
  if ((key == vk::Up || key == vk::Down) && step >= 0) {
    if (step != ItemIndex()) {
      SelectByOperator(step);
    }
    return;
  }
  if (style_ == csDropDownList) {
    if ((key == vk::Home || key == vk::End) && step >= 0 && step != ItemIndex()) {
      SelectByOperator(step);
    }
    return;
  }
  bool changed = false;
  switch (key) {
    case vk::Back:
      changed = DeleteBackward(edit_);
      break;
    case vk::Delete:
      changed = DeleteForward(edit_);
      break;
    case vk::Left:
      SetSelStart(PrevCharBoundary(edit_, edit_.SelStart));
      break;
    case vk::Right:
      SetSelStart(NextCharBoundary(edit_, edit_.SelStart));
      break;
    case vk::Home:
      SetSelStart(0);
      break;
    case vk::End:
      SetSelStart(static_cast<int>(edit_.Text.size()));
      break;
    default:
      break;
  }
  if (changed) {
    itemIndex_ = IndexOfItem(items_, edit_.Text);
    EditChanged();
    Change();
  }
}

// A drop-down list jumps to the next item that begins with the typed letter.
void TComboBox::HandleChar(char key) {
  if (static_cast<unsigned char>(key) < 0x20) {
    return;
  }
  if (style_ == csDropDown) {
    TypeText(std::string_view(&key, 1));
    return;
  }
  int count = Count(items_);
  for (int n = 1; n <= count; ++n) {
    int i = (std::max(ItemIndex(), -1) + n) % count;
    if (!items_[i].empty() && AsciiUpper(items_[i][0]) == AsciiUpper(key)) {
      SelectByOperator(i);
      return;
    }
  }
}

void TComboBox::HandleDoubleByte(const std::string& character) {
  TypeText(character);
}

void TComboBox::HandlePaste(const std::string& text) {
  TypeText(NormalizeInsertion(edit_, text));
}

int TListBox::ItemIndex() const {
  return InRange(items_, itemIndex_) ? itemIndex_ : -1;
}

void TListBox::SetItemIndex(int index) {
  Assign(itemIndex_, InRange(items_, index) ? index : -1, chSelection);
}

void TListBox::SetItems(TStrings items) {
  items_ = std::move(items);
  ItemsReplaced();
  Record().RowsReset();
  Changed(chSelection);  // the item index may now name another item, or none
}

void TListBox::AddItem(std::string item) {
  InsertItem(Count(items_), std::move(item));
}

void TListBox::InsertItem(int index, std::string item) {
  if (index < 0 || index > Count(items_)) {
    return;
  }
  items_.insert(items_.begin() + index, std::move(item));
  ItemInserted(index);
  Record().RowsInserted(index, 1);
}

void TListBox::DeleteItem(int index) {
  if (!InRange(items_, index)) {
    return;
  }
  items_.erase(items_.begin() + index);
  ItemDeleted(index);
  Record().RowsRemoved(index, 1);
}

void TListBox::SetItem(int index, std::string item) {
  if (!InRange(items_, index) || items_[index] == item) {
    return;
  }
  items_[index] = std::move(item);
  ItemTextChanged(index);
  Record().RowsChanged(index, 1);
}

void TListBox::ExchangeItems(int a, int b) {
  if (!InRange(items_, a) || !InRange(items_, b) || a == b) {
    return;
  }
  std::string first = items_[a];
  SetItem(a, items_[b]);
  SetItem(b, std::move(first));
}

void TListBox::Clear() {
  items_.clear();
  ItemsReplaced();
  Record().RowsReset();
  Assign(itemIndex_, -1, chSelection);
}

int TListBox::ItemAtPos(int, int y, bool existing) const {
  if (y < 0 || itemHeight_ <= 0) {
    return -1;
  }
  int index = topIndex_ + y / itemHeight_;
  if (index < Count(items_)) {
    return index;
  }
  return existing ? -1 : Count(items_);
}

int TListBox::ItemCenterY(int index) const {
  return (index - topIndex_) * itemHeight_ + itemHeight_ / 2;
}

void TListBox::SelectByOperator(int index) {
  if (!InRange(items_, index)) {
    return;
  }
  SetItemIndex(index);
  Click();
}

// Space on a list without a selected item selects the first, where the focus
// rectangle stands.
void TListBox::HandleKey(std::uint16_t key, TShiftState) {
  if (key == vk::Space && ItemIndex() < 0 && !items_.empty()) {
    SelectByOperator(0);
    return;
  }
  int step = StepIndex(key, ItemIndex(), Count(items_));
  if (step >= 0 && step != ItemIndex()) {
    SelectByOperator(step);
  }
}

bool TCheckListBox::Checked(int index) const {
  return InRange(Items(), index) && index < static_cast<int>(checked_.size()) && checked_[index];
}

void TCheckListBox::SetChecked(int index, bool checked) {
  if (!InRange(Items(), index) || Checked(index) == checked) {
    return;
  }
  if (checked_.size() < Items().size()) {
    checked_.resize(Items().size(), false);
  }
  checked_[index] = checked;
  Record().RowsChanged(index, 1, chChecks);
}

void TCheckListBox::SetItems(TStrings items) {
  TListBox::SetItems(std::move(items));
  SetItemIndex(-1);
}

void TCheckListBox::ItemsReplaced() {
  checked_.assign(Items().size(), false);
}

void TCheckListBox::ItemInserted(int index) {
  if (index <= static_cast<int>(checked_.size())) {
    checked_.insert(checked_.begin() + index, false);
  }
}

void TCheckListBox::ItemDeleted(int index) {
  if (index < static_cast<int>(checked_.size())) {
    checked_.erase(checked_.begin() + index);
  }
}

void TCheckListBox::ItemTextChanged(int index) {
  if (index < static_cast<int>(checked_.size())) {
    checked_[index] = false;
  }
}

// Clicking an item's box selects the item and turns its mark.
void TCheckListBox::CheckByOperator(int index, bool checked) {
  if (!InRange(Items(), index)) {
    return;
  }
  SetItemIndex(index);
  if (Checked(index) == checked) {
    return;
  }
  SetChecked(index, checked);
  if (OnClickCheck) {
    OnClickCheck(this);
  }
}

void TCheckListBox::HandleKey(std::uint16_t key, TShiftState shift) {
  if (key == vk::Space) {
    if (ItemIndex() < 0 && !Items().empty()) {
      SelectByOperator(0);
    }
    if (ItemIndex() >= 0) {
      CheckByOperator(ItemIndex(), !Checked(ItemIndex()));
    }
    return;
  }
  TListBox::HandleKey(key, shift);
}

namespace {

void CollectNodes(const std::vector<std::unique_ptr<TTreeNode>>& nodes,
                  std::vector<TTreeNode*>& out) {
  for (const auto& node : nodes) {
    out.push_back(node.get());
    CollectNodes(node->Children(), out);
  }
}

}  // namespace

std::vector<TTreeNode*> TTreeView::Nodes() const {
  std::vector<TTreeNode*> out;
  CollectNodes(roots_, out);
  return out;
}

TTreeNode* TTreeView::Node(int index) const {
  auto nodes = Nodes();
  return index >= 0 && index < static_cast<int>(nodes.size()) ? nodes[index] : nullptr;
}

TTreeNode* TTreeView::AddChild(TTreeNode* parent, std::string text) {
  auto node = std::make_unique<TTreeNode>();
  node->text_ = std::move(text);
  node->parent_ = parent;
  node->level_ = parent ? parent->level_ + 1 : 0;
  auto& list = parent ? parent->children_ : roots_;
  node->index_ = static_cast<int>(list.size());
  list.push_back(std::move(node));
  NoticeAdded(*list.back());
  return list.back().get();
}

bool TTreeView::NoticedAsNew(const TTreeNode& node) const {
  for (const TTreeNode* n = &node; n != nullptr; n = n->parent_) {
    for (const TRowNotice& notice : Changes().Rows()) {
      if (notice.Kind == TRowNotice::Inserted && notice.Parent == n->parent_ &&
          n->index_ >= notice.First && n->index_ < notice.First + notice.Count) {
        return true;
      }
    }
  }
  return false;
}

// A node is always added last among its siblings. A view is told of the rows of a
// parent it knows, once for all the rows added to it since it last looked: the children
// of a new node come with it, and a parent that got rows twice, between others, would
// be told its count before its other rows were told, so that makes a reset.
void TTreeView::NoticeAdded(const TTreeNode& node) {
  const std::vector<TRowNotice>& rows = Changes().Rows();
  if (node.parent_ != nullptr && NoticedAsNew(*node.parent_)) {
    Changed(chItems);
    return;
  }
  const bool parentTold = std::any_of(rows.begin(), rows.end(), [&node](const TRowNotice& n) {
    return n.Parent == node.parent_ && n.Kind == TRowNotice::Inserted;
  });
  if (parentTold &&
      (rows.back().Parent != node.parent_ || rows.back().Kind != TRowNotice::Inserted)) {
    Record().RowsReset();
    return;
  }
  Record().RowsInserted(node.index_, 1, chItems, node.parent_);
}

void TTreeView::Clear() {
  SetSelected(nullptr);
  roots_.clear();
  Record().RowsReset();
}

// Built aside and swapped in only when the whole outline is sound, so a bad line
// never leaves half a tree. One pass over the text: each node's text is copied once,
// straight from the outline into the node.
void TTreeView::LoadOutline(std::string_view outline) {
  std::vector<std::unique_ptr<TTreeNode>> roots;
  std::vector<std::pair<std::size_t, TTreeNode*>> path;  // indentation and node of each level
  std::size_t previous = 0;
  std::size_t pos = 0;
  while (pos < outline.size()) {
    // A line runs to the next CR or LF. A run of line ends holds only empty lines, which
    // are skipped, so it is stepped over whole.
    std::size_t end = pos;
    while (end < outline.size() && outline[end] != '\r' && outline[end] != '\n') {
      ++end;
    }
    const std::string_view line = outline.substr(pos, end - pos);
    pos = end;
    while (pos < outline.size() && (outline[pos] == '\r' || outline[pos] == '\n')) {
      ++pos;
    }
    std::size_t indent = 0;  // a plain scan: find_first_not_of searches its set per byte
    while (indent < line.size() && (line[indent] == '\t' || line[indent] == ' ')) {
      ++indent;
    }
    if (indent == line.size()) {
      continue;
    }
    const std::string_view text = line.substr(indent);
    if (indent > previous + 1) {
      throw EOutlineError("Invalid level (" + std::to_string(indent) + ") for item \"" +
                          std::string(text) + "\"");
    }
    while (!path.empty() && path.back().first >= indent) {
      path.pop_back();
    }
    auto node = std::make_unique<TTreeNode>();
    node->text_.assign(text);
    TTreeNode* parent = path.empty() ? nullptr : path.back().second;
    node->parent_ = parent;
    node->level_ = parent ? parent->level_ + 1 : 0;
    auto& siblings = parent ? parent->children_ : roots;
    node->index_ = static_cast<int>(siblings.size());
    siblings.push_back(std::move(node));
    path.emplace_back(indent, siblings.back().get());
    previous = indent;
  }
  SetSelected(nullptr);
  roots_ = std::move(roots);
  Record().RowsReset();
}

void TTreeView::SelectByOperator(TTreeNode* node) {
  SetSelected(node);
  Click();
}

namespace {

void CollectVisible(const std::vector<std::unique_ptr<TTreeNode>>& nodes,
                    std::vector<TTreeNode*>& out) {
  for (const auto& node : nodes) {
    out.push_back(node.get());
    if (node->Expanded()) {
      CollectVisible(node->Children(), out);
    }
  }
}

bool IsBelow(const TTreeNode* node, const TTreeNode* ancestor) {
  for (const TTreeNode* n = node != nullptr ? node->Parent() : nullptr; n; n = n->Parent()) {
    if (n == ancestor) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<TTreeNode*> TTreeView::VisibleNodes() const {
  std::vector<TTreeNode*> out;
  CollectVisible(roots_, out);
  return out;
}

// The platform's view learns of it as a change of the tree's look: it opens and closes
// its nodes as the model has them.
void TTreeView::SetExpanded(TTreeNode* node, bool expanded) {
  if (node == nullptr || !node->HasChildren() || node->expanded_ == expanded) {
    return;
  }
  node->expanded_ = expanded;
  Changed(chLook);
  if (!expanded && IsBelow(selected_, node)) {
    SelectByOperator(node);
  }
}

void TTreeView::HandleKey(std::uint16_t key, TShiftState) {
  const std::vector<TTreeNode*> shown = VisibleNodes();
  if (shown.empty()) {
    return;
  }
  const int count = static_cast<int>(shown.size());
  const auto at = std::find(shown.begin(), shown.end(), selected_);
  const int current = at == shown.end() ? -1 : static_cast<int>(at - shown.begin());
  const int page = std::max(1, Height() / kRowHeight - 1);
  int target = -1;
  switch (key) {
    case vk::Up:
      target = std::max(current - 1, 0);
      break;
    case vk::Down:
      target = std::min(current + 1, count - 1);
      break;
    case vk::Home:
      target = 0;
      break;
    case vk::End:
      target = count - 1;
      break;
    case vk::Prior:
      target = std::max(current - page, 0);
      break;
    case vk::Next:
      target = std::min(std::max(current, 0) + page, count - 1);
      break;
    case vk::Right:
      if (selected_ == nullptr) {
        target = 0;
      } else if (selected_->HasChildren() && !selected_->Expanded()) {
        SetExpanded(selected_, true);
      } else if (selected_->HasChildren()) {
        target = current + 1;  // the first child follows its open parent
      }
      break;
    case vk::Left:
      if (selected_ == nullptr) {
        target = 0;
      } else if (selected_->Expanded()) {
        SetExpanded(selected_, false);
      } else if (selected_->Parent() != nullptr) {
        SelectByOperator(selected_->Parent());
      }
      break;
    default:
      break;
  }
  if (target >= 0 && shown[static_cast<std::size_t>(target)] != selected_) {
    SelectByOperator(shown[static_cast<std::size_t>(target)]);
  }
}

namespace {

void ExpandAll(TTreeView& tree, TTreeNode* node) {
  tree.SetExpanded(node, true);
  for (const auto& child : node->Children()) {
    ExpandAll(tree, child.get());
  }
}

}  // namespace

void TTreeView::HandleChar(char key) {
  if (selected_ == nullptr) {
    return;
  }
  switch (key) {
    case '+':
      SetExpanded(selected_, true);
      break;
    case '-':
      SetExpanded(selected_, false);
      break;
    case '*':
      ExpandAll(*this, selected_);
      break;
    default:
      break;
  }
}

void TListView::SetColumns(std::vector<TListColumn> columns) {
  columns_ = std::move(columns);
  Changed(chColumns);
}

void TListView::AddColumn(TListColumn column) {
  columns_.push_back(std::move(column));
  Changed(chColumns);
}

void TListView::SetColumnWidth(int column, int width) {
  if (column >= 0 && column < static_cast<int>(columns_.size())) {
    Assign(columns_[static_cast<std::size_t>(column)].Width, width, chColumns);
  }
}

void TListView::AddItem(std::string caption, TStrings subItems) {
  items_.push_back(TListItem{std::move(caption), std::move(subItems), nullptr});
  Record().RowsInserted(static_cast<int>(items_.size()) - 1, 1);
}

void TListView::InsertItem(int index, TListItem item) {
  if (index < 0 || index > static_cast<int>(items_.size())) {
    return;
  }
  items_.insert(items_.begin() + index, std::move(item));
  Record().RowsInserted(index, 1);
}

void TListView::DeleteItem(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) {
    return;
  }
  items_.erase(items_.begin() + index);
  Record().RowsRemoved(index, 1);
}

void TListView::SetItem(int index, TListItem item) {
  if (index < 0 || index >= static_cast<int>(items_.size())) {
    return;
  }
  items_[static_cast<std::size_t>(index)] = std::move(item);
  Record().RowsChanged(index, 1);
}

void TListView::Clear() {
  items_.clear();
  Record().RowsReset();
  Assign(itemIndex_, -1, chSelection);
}

int TListView::ItemIndex() const {
  return itemIndex_ >= 0 && itemIndex_ < static_cast<int>(items_.size()) ? itemIndex_ : -1;
}

void TListView::SetItemIndex(int index) {
  Assign(itemIndex_, index >= 0 && index < static_cast<int>(items_.size()) ? index : -1,
         chSelection);
}

const TListItem* TListView::Selected() const {
  int index = ItemIndex();
  return index < 0 ? nullptr : &items_[index];
}

void TListView::SelectByOperator(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) {
    return;
  }
  SetItemIndex(index);
  Click();
}

void TListView::HandleKey(std::uint16_t key, TShiftState) {
  int step = StepIndex(key, ItemIndex(), static_cast<int>(items_.size()));
  if (step >= 0 && step != ItemIndex()) {
    SelectByOperator(step);
  }
}

}  // namespace ui
