// Qt item models that read the model's list controls directly: a list box (with its
// check marks), a list view in report style and a tree view. No row is copied: texts are
// converted when a row is painted, so a list of 100,000 rows costs Qt nothing until it
// is shown, and never a widget per row.
//
// Qt must be told when rows come, go or change. The list controls record row notices
// (ui/ChangeRecord.h); Apply replays them as Qt's insertions, removals and data changes,
// and a reset only where the list was replaced whole. A flat model keeps the row count
// it last told Qt, which is all Qt needs between notices; a list whose count differs
// from it once the notices are replayed was changed without them and is reset. While
// the notices are replayed, the list has already taken all of them: a row is read where
// the notices not yet told have put it, so Qt sees each step as it told it.
#pragma once

#include <QAbstractItemModel>
#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <vector>

#include "ui/ChangeRecord.h"
#include "ui/ListCtrls.h"

namespace ui {

// The row notices of a flat list replayed on a Qt model of that list.
template <class Base>
class RowNoticeModel : public Base {
 public:
  using Base::Base;

 protected:
  // Replays the notices; count is the list's row count now, lastColumn its last column.
  void ApplyRows(const TChangeRecord& changes, int count, int lastColumn);
  // Tells Qt the list was replaced: its rows read again from the start.
  void ResetRows(int count);
  // The list's row for row as Qt has been told so far; -1 for a row it no longer has.
  int ListRow(int row) const;
  int rows_ = 0;                                       // as Qt was last told
  const std::vector<TRowNotice>* replayed_ = nullptr;  // while ApplyRows runs
  std::size_t untold_ = 0;                             // the first notice not yet told
};

class ListBoxModel : public RowNoticeModel<QAbstractListModel> {
 public:
  // checks: the same list when it is a check list box, else null.
  ListBoxModel(TListBox& list, TCheckListBox* checks, QObject* parent);
  int rowCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void Apply(const TChangeRecord& changes);

 private:
  TListBox& list_;
  TCheckListBox* checks_;  // null for a plain list box
};

class ListViewModel : public RowNoticeModel<QAbstractTableModel> {
 public:
  explicit ListViewModel(TListView& view, QObject* parent);
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void Apply(const TChangeRecord& changes);

 private:
  TListView& view_;
  int columns_ = 1;  // as Qt was last told
};

// The tree's nodes themselves are the model's indexes (each index holds its node), so
// an index stays valid when rows are inserted elsewhere, and a node's parent and place
// are the node's own. The nodes are read as they are: the tree tells of every change
// before Qt looks at it again.
class TreeModel : public QAbstractItemModel {
 public:
  explicit TreeModel(TTreeView& tree, QObject* parent);
  QModelIndex index(int row, int column, const QModelIndex& parent) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void Apply(const TChangeRecord& changes);
  QModelIndex IndexOfNode(const TTreeNode* node) const;
  // The index of node number order (tree order), and back; invalid / -1 when none.
  QModelIndex IndexOfOrder(int order) const;
  int OrderOf(const QModelIndex& index) const;

 private:
  static TTreeNode* NodeOf(const QModelIndex& index);
  TTreeView& tree_;
  std::vector<TRowNotice> untold_;  // while Apply runs: rows Qt has not been told yet
};

}  // namespace ui
