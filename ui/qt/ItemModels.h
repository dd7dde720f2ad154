// Qt item models that read the model's list controls directly: a list box (with its
// check marks), a list view in report style and a tree view. No row is copied: texts are
// converted when a row is painted, so a list of 100,000 rows costs Qt nothing until it
// is shown, and never a widget per row.
//
// Qt must be told when rows come and go. Each model keeps the row count (the tree: its
// shape) it last reported; Sync compares it with the control after every input and
// before any box is shown, and reports rows added at the end as inserted and any other
// change of shape as a reset. Texts changed in place show at the next paint.
#pragma once

#include <QAbstractItemModel>
#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <vector>

#include "ui/ListCtrls.h"

namespace ui {

class ListBoxModel : public QAbstractListModel {
 public:
  // checks: the same list when it is a check list box, else null.
  ListBoxModel(TListBox& list, TCheckListBox* checks, QObject* parent);
  int rowCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Returns whether the rows were reset or inserted (the view then repaints by itself).
  bool Sync();

 private:
  TListBox& list_;
  TCheckListBox* checks_;  // null for a plain list box
  int rows_ = 0;
};

class ListViewModel : public QAbstractTableModel {
 public:
  explicit ListViewModel(TListView& view, QObject* parent);
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Returns whether the columns changed (the header then takes the model's widths).
  bool Sync();

 private:
  std::vector<TListColumn> columns_;  // as last reported
  TListView& view_;
  int rows_ = 0;
};

// The tree's nodes in tree order, each with its parent's place in that order and its
// row among its siblings, so that Qt's questions are answered without walking the tree
// (and without touching a node that the tree has since dropped).
class TreeModel : public QAbstractItemModel {
 public:
  explicit TreeModel(TTreeView& tree, QObject* parent);
  QModelIndex index(int row, int column, const QModelIndex& parent) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Returns whether the shape changed (and so the model was reset).
  bool Sync();
  // The index of node number order (tree order), and back; -1 / invalid when none.
  QModelIndex IndexOfOrder(int order) const;
  static int OrderOf(const QModelIndex& index);

 private:
  struct Entry {
    TTreeNode* Node;
    int Level;
    int Parent;  // place of the parent in tree order, -1 for a top-level node
    int Row;     // among its siblings
    std::vector<int> Children;
  };
  void Rebuild(const std::vector<TTreeNode*>& nodes);
  TTreeView& tree_;
  std::vector<Entry> entries_;
  std::vector<int> roots_;
};

}  // namespace ui
