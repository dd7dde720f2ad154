// The item models over the list controls.
#include "ui/qt/ItemModels.h"

#include <algorithm>

#include "ui/qt/QtText.h"

namespace ui {
namespace {

Qt::Alignment QtAlignment(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case taLeftJustify:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

int Size(std::size_t size) {
  return static_cast<int>(size);
}

}  // namespace

ListBoxModel::ListBoxModel(TListBox& list, TCheckListBox* checks, QObject* parent)
    : QAbstractListModel(parent), list_(list), checks_(checks) {}

int ListBoxModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
  const int row = index.row();
  if (!index.isValid() || row >= Size(list_.Items.size())) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    return ToQt(list_.Items[static_cast<std::size_t>(row)]);
  }
  if (role == Qt::CheckStateRole && checks_ != nullptr) {
    return checks_->Checked(row) ? Qt::Checked : Qt::Unchecked;
  }
  return {};
}

Qt::ItemFlags ListBoxModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractListModel::flags(index);
  if (checks_ != nullptr) {
    flags |= Qt::ItemIsUserCheckable;
  }
  return flags;
}

bool ListBoxModel::Sync() {
  const int now = Size(list_.Items.size());
  if (now == rows_) {
    return false;
  }
  if (now > rows_) {
    beginInsertRows({}, rows_, now - 1);
    rows_ = now;
    endInsertRows();
  } else {
    beginResetModel();
    rows_ = now;
    endResetModel();
  }
  return true;
}

ListViewModel::ListViewModel(TListView& view, QObject* parent)
    : QAbstractTableModel(parent), view_(view) {}

int ListViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

// A report without columns still shows its rows' captions.
int ListViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(1, Size(columns_.size()));
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
  const int row = index.row();
  if (!index.isValid() || row >= Size(view_.Items.size())) {
    return {};
  }
  const std::size_t column = static_cast<std::size_t>(index.column());
  if (role == Qt::DisplayRole) {
    const TListItem& item = view_.Items[static_cast<std::size_t>(row)];
    if (column == 0) {
      return ToQt(item.Caption);
    }
    return column - 1 < item.SubItems.size() ? ToQt(item.SubItems[column - 1]) : QString();
  }
  if (role == Qt::TextAlignmentRole && column < columns_.size()) {
    return QVariant(QtAlignment(columns_[column].Alignment));
  }
  return {};
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= Size(columns_.size())) {
    return {};
  }
  const TListColumn& column = columns_[static_cast<std::size_t>(section)];
  if (role == Qt::DisplayRole) {
    return ToQt(column.Caption);
  }
  if (role == Qt::TextAlignmentRole) {
    return QVariant(QtAlignment(column.Alignment));
  }
  return {};
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const {
  return QAbstractTableModel::flags(index) & ~Qt::ItemIsEditable;
}

bool ListViewModel::Sync() {
  const int now = Size(view_.Items.size());
  const bool columnsChanged = columns_.size() != view_.Columns.size() ||
                              !std::equal(columns_.begin(), columns_.end(), view_.Columns.begin(),
                                          [](const TListColumn& a, const TListColumn& b) {
                                            return a.Caption == b.Caption && a.Width == b.Width &&
                                                   a.Alignment == b.Alignment;
                                          });
  if (columnsChanged) {
    beginResetModel();
    columns_ = view_.Columns;
    rows_ = now;
    endResetModel();
    return true;
  }
  if (now > rows_) {
    beginInsertRows({}, rows_, now - 1);
    rows_ = now;
    endInsertRows();
  } else if (now < rows_) {
    beginResetModel();
    rows_ = now;
    endResetModel();
  }
  return false;
}

TreeModel::TreeModel(TTreeView& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) {
    return {};
  }
  const std::vector<int>& siblings =
      parent.isValid() ? entries_[static_cast<std::size_t>(OrderOf(parent))].Children : roots_;
  if (row >= Size(siblings.size())) {
    return {};
  }
  return createIndex(row, 0, static_cast<quintptr>(siblings[static_cast<std::size_t>(row)]));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) {
    return {};
  }
  const int up = entries_[static_cast<std::size_t>(OrderOf(child))].Parent;
  if (up < 0) {
    return {};
  }
  return createIndex(entries_[static_cast<std::size_t>(up)].Row, 0, static_cast<quintptr>(up));
}

int TreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) {
    return Size(roots_.size());
  }
  return parent.column() == 0
             ? Size(entries_[static_cast<std::size_t>(OrderOf(parent))].Children.size())
             : 0;
}

int TreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

QVariant TreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) {
    return {};
  }
  return ToQt(entries_[static_cast<std::size_t>(OrderOf(index))].Node->Text);
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const {
  return QAbstractItemModel::flags(index) & ~Qt::ItemIsEditable;
}

int TreeModel::OrderOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<int>(index.internalId()) : -1;
}

QModelIndex TreeModel::IndexOfOrder(int order) const {
  if (order < 0 || order >= Size(entries_.size())) {
    return {};
  }
  return createIndex(entries_[static_cast<std::size_t>(order)].Row, 0,
                     static_cast<quintptr>(order));
}

// Tree order and the levels together fix the shape, so comparing them finds any change.
bool TreeModel::Sync() {
  const std::vector<TTreeNode*> nodes = tree_.Nodes();
  bool same = nodes.size() == entries_.size();
  for (std::size_t i = 0; same && i < nodes.size(); ++i) {
    same = nodes[i] == entries_[i].Node && nodes[i]->Level() == entries_[i].Level;
  }
  if (same) {
    return false;
  }
  beginResetModel();
  Rebuild(nodes);
  endResetModel();
  return true;
}

void TreeModel::Rebuild(const std::vector<TTreeNode*>& nodes) {
  entries_.clear();
  roots_.clear();
  entries_.reserve(nodes.size());
  std::vector<int> path;  // places of the open ancestors, one per level
  for (TTreeNode* node : nodes) {
    const int level = node->Level();
    path.resize(static_cast<std::size_t>(std::max(level, 0)));
    const int parent = path.empty() ? -1 : path.back();
    auto siblings = [&]() -> std::vector<int>& {
      return parent < 0 ? roots_ : entries_[static_cast<std::size_t>(parent)].Children;
    };
    const int place = Size(entries_.size());
    const int row = Size(siblings().size());
    entries_.push_back(Entry{node, level, parent, row, {}});
    siblings().push_back(place);  // looked up again: entries_ may have moved
    path.push_back(place);
  }
}

}  // namespace ui
