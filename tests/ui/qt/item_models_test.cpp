// The lists on screen follow their controls' row notices: rows inserted, removed or
// changed reach Qt's item model as insertions, removals and data changes, never as a
// reset, and a model checker finds each step consistent. Only a list replaced whole is
// reset.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "QtFormTest.h"
#include "tests/ui/SampleForm.h"

namespace {

using qt_test::ViewOf;

class ItemModelsTest : public qt_test::QtPlatformTest {
 protected:
  // The model checker's complaints, gathered from Qt's warnings.
  static inline QStringList complaints;
  static void Gather(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && text.contains(QStringLiteral("FAIL"))) {
      complaints << text;
    }
  }

  // Applies change to the shown form, brings the window in step and tells what the
  // control's model said meanwhile: how often it inserted, removed or changed rows or
  // reset, and the rows (first..last under parent) of its last signal.
  static std::string Update(ui::FormWindow& window, const ui::TControl& list,
                            const std::function<void()>& change) {
    QAbstractItemModel* model = ViewOf(window, list).model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    change();
    window.SyncChanges();
    std::string told = "+" + std::to_string(inserted.count()) + " -" +
                       std::to_string(removed.count()) + " ~" + std::to_string(changed.count()) +
                       " reset " + std::to_string(reset.count());
    for (const QSignalSpy* spy : {&inserted, &removed}) {
      if (!spy->isEmpty()) {
        told += ": " + std::to_string(spy->last().at(1).toInt()) + ".." +
                std::to_string(spy->last().at(2).toInt()) + " under '" +
                spy->last().at(0).value<QModelIndex>().data().toString().toStdString() + "'";
      }
    }
    if (!changed.isEmpty()) {
      told += ": " + std::to_string(changed.last().at(0).value<QModelIndex>().row()) + ".." +
              std::to_string(changed.last().at(1).value<QModelIndex>().row());
    }
    return told;
  }
};

TEST_F(ItemModelsTest, RowsChangedOneByOneAreToldAsSuchAndAWholeListAsAReset) {
  ui_test::TSampleFrm form;
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
    QAbstractItemModelTester checkList(ViewOf(w, *form.FolderLsv).model(),
                                       QAbstractItemModelTester::FailureReportingMode::Warning);
    QAbstractItemModelTester checkTree(ViewOf(w, *form.MainDirTrv).model(),
                                       QAbstractItemModelTester::FailureReportingMode::Warning);
    ui::TListView& folder = *form.FolderLsv;
    ui::TTreeView& tree = *form.MainDirTrv;
    const struct {
      const ui::TControl& list;
      std::function<void()> change;
      std::string told;
    } cases[] = {
        {folder,
         [&] {
           for (int k = 10; k < 13; ++k) {
             folder.InsertItem(k, ui::TListItem{"N" + std::to_string(k), {"1.00"}, nullptr});
           }
         },
         "+1 -0 ~0 reset 0: 10..12 under ''"},
        {folder, [&] { folder.DeleteItem(40); }, "+0 -1 ~0 reset 0: 40..40 under ''"},
        {folder,
         [&] {
           folder.SetItem(5, ui::TListItem{"K5", {"9.99"}, nullptr});
         },
         "+0 -0 ~1 reset 0: 5..5"},
        // A mark of a check list box is its row's data.
        {*form.RightClb, [&] { form.RightClb->SetChecked(2, true); }, "+0 -0 ~1 reset 0: 2..2"},
        // A tree's new nodes are rows of their parent.
        {tree,
         [&] {
           tree.AddChild(tree.Node(0), "b2");
           tree.AddChild(tree.Node(0), "b3");
         },
         "+1 -0 ~0 reset 0: 1..2 under 'a'"},
        {*form.OrderLbx,
         [&] {
           form.OrderLbx->SetItems({"x", "y"});
         },
         "+0 -0 ~0 reset 1"},
    };
    for (const auto& c : cases) {
      EXPECT_EQ(Update(w, c.list, c.change), c.told);
    }
    const QAbstractItemModel& rows = *ViewOf(w, folder).model();
    EXPECT_EQ(rows.rowCount(), 52);
    EXPECT_EQ(rows.index(5, 1).data().toString(), "9.99");
    EXPECT_EQ(rows.index(12, 0).data().toString(), "N12");
  });
  qInstallMessageHandler(previous);
  EXPECT_TRUE(complaints.isEmpty()) << complaints.join('\n').toStdString();
}

}  // namespace
