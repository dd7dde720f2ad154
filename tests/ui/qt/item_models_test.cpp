// The lists on screen follow their controls' row notices: rows inserted, removed or
// changed reach Qt's item model as insertions, removals and data changes, never as a
// reset, and a model checker finds each step consistent. Only a list replaced whole is
// reset.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTreeView>
#include <functional>
#include <string>

#include "QtFormTest.h"
#include "tests/ui/SampleForm.h"

namespace {

using qt_test::WidgetOf;
using ui_test::TSampleFrm;

// What Qt's model said during one update of the window.
struct Told {
  int inserted = 0;
  int removed = 0;
  int changed = 0;
  int reset = 0;
  int first = -1;  // of the last insertion, removal or data change
  int last = -1;
  QModelIndex parent;  // of the last insertion
};

class ItemModelsTest : public qt_test::QtPlatformTest {
 protected:
  // The model checker's complaints, gathered from Qt's warnings.
  static inline QStringList complaints;
  static void Gather(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && text.contains(QStringLiteral("FAIL"))) {
      complaints << text;
    }
  }

  // Applies change to the shown form, brings the window in step and reports what the
  // control's model said meanwhile.
  static Told Update(ui::FormWindow& window, const ui::TControl& list,
                     const std::function<void()>& change) {
    QAbstractItemModel* model = static_cast<QAbstractItemView&>(WidgetOf(window, list)).model();
    Told told;
    auto range = [&told](const QModelIndex& parent, int first, int last) {
      told.parent = parent;
      told.first = first;
      told.last = last;
    };
    const QMetaObject::Connection connections[] = {
        QObject::connect(model, &QAbstractItemModel::rowsInserted,
                         [&](const QModelIndex& p, int f, int l) {
                           ++told.inserted;
                           range(p, f, l);
                         }),
        QObject::connect(model, &QAbstractItemModel::rowsRemoved,
                         [&](const QModelIndex& p, int f, int l) {
                           ++told.removed;
                           range(p, f, l);
                         }),
        QObject::connect(model, &QAbstractItemModel::dataChanged,
                         [&](const QModelIndex& from, const QModelIndex& to) {
                           ++told.changed;
                           range(from.parent(), from.row(), to.row());
                         }),
        QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++told.reset; }),
    };
    change();
    window.SyncChanges();
    for (const QMetaObject::Connection& connection : connections) {
      QObject::disconnect(connection);
    }
    return told;
  }
};

TEST_F(ItemModelsTest, RowsChangedOneByOneAreToldAsSuchAndAWholeListAsAReset) {
  TSampleFrm form;
  form.SetBounds(0, 0, 640, 480);
  form.OrderLbx->SetBounds(8, 8, 200, 200);
  form.FolderLsv->SetBounds(220, 8, 400, 200);
  form.FolderLsv->SetColumns({{"Key", 100, ui::taLeftJustify}, {"Amount", 80, ui::taRightJustify}});
  for (int i = 0; i < 50; ++i) {
    form.FolderLsv->AddItem("K" + std::to_string(i), {std::to_string(i) + ".00"});
  }
  form.MainDirTrv->LoadOutline("a\n\tb\nc");
  complaints.clear();
  const QtMessageHandler previous = qInstallMessageHandler(Gather);
  Drive(form, [&](ui::FormWindow& w) {
    QAbstractItemModelTester checkList(
        static_cast<QAbstractItemView&>(WidgetOf(w, *form.FolderLsv)).model(),
        QAbstractItemModelTester::FailureReportingMode::Warning);
    QAbstractItemModelTester checkTree(
        static_cast<QAbstractItemView&>(WidgetOf(w, *form.MainDirTrv)).model(),
        QAbstractItemModelTester::FailureReportingMode::Warning);
    ui::TListView& folder = *form.FolderLsv;

    Told told = Update(w, folder, [&] {
      for (int k = 10; k < 13; ++k) {
        folder.InsertItem(k, ui::TListItem{"N" + std::to_string(k), {"1.00"}, nullptr});
      }
    });
    EXPECT_EQ(told.inserted, 1);
    EXPECT_EQ(told.first, 10);
    EXPECT_EQ(told.last, 12);
    EXPECT_EQ(told.reset, 0);

    told = Update(w, folder, [&] { folder.DeleteItem(40); });
    EXPECT_EQ(told.removed, 1);
    EXPECT_EQ(told.first, 40);
    EXPECT_EQ(told.reset, 0);

    told = Update(w, folder, [&] { folder.SetItem(5, ui::TListItem{"K5", {"9.99"}, nullptr}); });
    EXPECT_EQ(told.changed, 1);
    EXPECT_EQ(told.first, 5);
    EXPECT_EQ(told.last, 5);
    EXPECT_EQ(told.inserted + told.removed + told.reset, 0);
    const QAbstractItemModel& rows = *static_cast<QAbstractItemView&>(WidgetOf(w, folder)).model();
    EXPECT_EQ(rows.rowCount(), 52);
    EXPECT_EQ(rows.index(5, 1).data().toString(), "9.99");
    EXPECT_EQ(rows.index(12, 0).data().toString(), "N12");

    // A mark of a check list box is its row's data.
    told = Update(w, *form.RightClb, [&] { form.RightClb->SetChecked(2, true); });
    EXPECT_EQ(told.changed, 1);
    EXPECT_EQ(told.first, 2);
    EXPECT_EQ(told.reset, 0);

    // A tree's new nodes are rows of their parent.
    ui::TTreeView& tree = *form.MainDirTrv;
    told = Update(w, tree, [&] {
      tree.AddChild(tree.Node(0), "b2");
      tree.AddChild(tree.Node(0), "b3");
    });
    EXPECT_EQ(told.inserted, 1);
    EXPECT_EQ(told.first, 1);
    EXPECT_EQ(told.last, 2);
    EXPECT_EQ(told.parent.data().toString(), "a");
    EXPECT_EQ(told.reset, 0);

    told = Update(w, *form.OrderLbx, [&] { form.OrderLbx->SetItems({"x", "y"}); });
    EXPECT_EQ(told.reset, 1);
    EXPECT_EQ(told.inserted + told.removed, 0);
  });
  qInstallMessageHandler(previous);
  EXPECT_TRUE(complaints.isEmpty()) << complaints.join('\n').toStdString();
}

}  // namespace
