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

// A notice outside the rows Qt knows means the list changed without one: the rest is
// read again whole.
template <class Base>
void RowNoticeModel<Base>::ApplyRows(const TChangeRecord& changes, int count, int lastColumn) {
  const std::vector<TRowNotice>& notices = changes.Rows();
  replayed_ = &notices;
  struct Done {
    const std::vector<TRowNotice>*& replayed;
    ~Done() { replayed = nullptr; }
  } done{replayed_};
  for (untold_ = 0; untold_ < notices.size();) {
    const TRowNotice& notice = notices[untold_];
    const int last = notice.First + notice.Count - 1;
    const bool inside =
        notice.First >= 0 &&
        (notice.Kind == TRowNotice::Inserted ? notice.First <= rows_ : last < rows_);
    if (notice.Kind == TRowNotice::Reset || !inside) {
      replayed_ = nullptr;
      ResetRows(count);
      return;
    }
    switch (notice.Kind) {
      case TRowNotice::Inserted:
        this->beginInsertRows({}, notice.First, last);
        rows_ += notice.Count;
        ++untold_;
        this->endInsertRows();
        break;
      case TRowNotice::Removed:
        this->beginRemoveRows({}, notice.First, last);
        rows_ -= notice.Count;
        ++untold_;
        this->endRemoveRows();
        break;
      default:
        ++untold_;
        emit this->dataChanged(this->index(notice.First, 0), this->index(last, lastColumn));
        break;
    }
  }
  replayed_ = nullptr;
  if (rows_ != count) {
    ResetRows(count);
  }
}

template <class Base>
void RowNoticeModel<Base>::ResetRows(int count) {
  this->beginResetModel();
  rows_ = count;
  this->endResetModel();
}

// The row moves with every notice not yet told: down past rows inserted before it, up
// past rows removed before it, and out with the rows removed around it.
template <class Base>
int RowNoticeModel<Base>::ListRow(int row) const {
  if (replayed_ == nullptr) {
    return row;
  }
  for (std::size_t i = untold_; i < replayed_->size(); ++i) {
    const TRowNotice& notice = (*replayed_)[i];
    if (notice.Kind == TRowNotice::Inserted && row >= notice.First) {
      row += notice.Count;
    } else if (notice.Kind == TRowNotice::Removed && row >= notice.First) {
      if (row < notice.First + notice.Count) {
        return -1;
      }
      row -= notice.Count;
    }
  }
  return row;
}

template class RowNoticeModel<QAbstractListModel>;
template class RowNoticeModel<QAbstractTableModel>;

ListBoxModel::ListBoxModel(TListBox& list, TCheckListBox* checks, QObject* parent)
    : RowNoticeModel(parent), list_(list), checks_(checks) {}

int ListBoxModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
  const int row = index.isValid() ? ListRow(index.row()) : -1;
  if (row < 0 || row >= Size(list_.Items().size())) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    return ToQt(list_.Items()[static_cast<std::size_t>(row)]);
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

void ListBoxModel::Apply(const TChangeRecord& changes) {
  ApplyRows(changes, Size(list_.Items().size()), 0);
}

ListViewModel::ListViewModel(TListView& view, QObject* parent)
    : RowNoticeModel(parent), view_(view) {}

int ListViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

// A report without columns still shows its rows' captions.
int ListViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
  const int row = index.isValid() ? ListRow(index.row()) : -1;
  if (row < 0 || row >= Size(view_.Items().size())) {
    return {};
  }
  const std::size_t column = static_cast<std::size_t>(index.column());
  if (role == Qt::DisplayRole) {
    const TListItem& item = view_.Items()[static_cast<std::size_t>(row)];
    if (column == 0) {
      return ToQt(item.Caption);
    }
    return column - 1 < item.SubItems.size() ? ToQt(item.SubItems[column - 1]) : QString();
  }
  if (role == Qt::TextAlignmentRole && column < view_.Columns().size()) {
    return QVariant(QtAlignment(view_.Columns()[column].Alignment));
  }
  return {};
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= Size(view_.Columns().size())) {
    return {};
  }
  const TListColumn& column = view_.Columns()[static_cast<std::size_t>(section)];
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

// Other columns are a new table (a reset); the same number of columns with other
// captions or alignments only needs the header and the rows painted again.
void ListViewModel::Apply(const TChangeRecord& changes) {
  const int count = Size(view_.Items().size());
  const int columns = std::max(1, Size(view_.Columns().size()));
  if (changes.Has(chColumns) && columns != columns_) {
    beginResetModel();
    columns_ = columns;
    rows_ = count;
    endResetModel();
    return;
  }
  ApplyRows(changes, count, columns_ - 1);
  if (changes.Has(chColumns)) {
    emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    if (rows_ > 0) {
      emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::TextAlignmentRole});
    }
  }
}

TreeModel::TreeModel(TTreeView& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {}

TTreeNode* TreeModel::NodeOf(const QModelIndex& index) {
  return static_cast<TTreeNode*>(index.internalPointer());
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) {
    return {};
  }
  const auto& siblings = parent.isValid() ? NodeOf(parent)->Children() : tree_.TopNodes();
  if (row >= rowCount(parent)) {
    return {};
  }
  return createIndex(row, 0, siblings[static_cast<std::size_t>(row)].get());
}

QModelIndex TreeModel::parent(const QModelIndex& child) const {
  return child.isValid() ? IndexOfNode(NodeOf(child)->Parent()) : QModelIndex();
}

int TreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) {
    return 0;
  }
  const TTreeNode* node = parent.isValid() ? NodeOf(parent) : nullptr;
  int count = node != nullptr ? node->Count() : Size(tree_.TopNodes().size());
  for (const TRowNotice& notice : untold_) {
    if (notice.Parent == node) {
      count -= notice.Count;
    }
  }
  return count;
}

int TreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

QVariant TreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) {
    return {};
  }
  return ToQt(NodeOf(index)->Text());
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const {
  return QAbstractItemModel::flags(index) & ~Qt::ItemIsEditable;
}

QModelIndex TreeModel::IndexOfNode(const TTreeNode* node) const {
  return node == nullptr ? QModelIndex()
                         : createIndex(node->Index(), 0, const_cast<TTreeNode*>(node));
}

QModelIndex TreeModel::IndexOfOrder(int order) const {
  return IndexOfNode(tree_.Node(order));
}

int TreeModel::OrderOf(const QModelIndex& index) const {
  if (!index.isValid()) {
    return -1;
  }
  const std::vector<TTreeNode*> nodes = tree_.Nodes();
  const auto found = std::find(nodes.begin(), nodes.end(), NodeOf(index));
  return found == nodes.end() ? -1 : static_cast<int>(found - nodes.begin());
}

// The tree tells a parent's new rows in one notice, and the children of a new node come
// with it. Rows not yet told are left out of the counts, so Qt finds each parent's count
// as it was before the notice, then as it is after it.
void TreeModel::Apply(const TChangeRecord& changes) {
  const bool reset =
      std::any_of(changes.Rows().begin(), changes.Rows().end(),
                  [](const TRowNotice& n) { return n.Kind != TRowNotice::Inserted; });
  if (reset) {
    beginResetModel();
    endResetModel();
    return;
  }
  untold_ = changes.Rows();
  for (TRowNotice& notice : untold_) {
    beginInsertRows(IndexOfNode(notice.Parent), notice.First, notice.First + notice.Count - 1);
    notice.Count = 0;
    endInsertRows();
  }
  untold_.clear();
}

}  // namespace ui
