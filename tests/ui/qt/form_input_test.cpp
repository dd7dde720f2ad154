// Real Qt events on a form of every control kind, each ending where the equivalent script
// ends on a headless twin; GBK refusals, boxes a handler raises, long work, sizes, lists,
// focus and modality.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>
#include <QtWidgets>

#include "QtFormTest.h"
#include "payee/RuleEdit.h"
#include "sys/CodePage.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/SampleForm.h"
#include "ui/Input.h"
#include "ui/LongWork.h"

namespace {

using qt_test::DragTo;
using qt_test::Focused;
using qt_test::RowCenter;
using qt_test::ViewOf;
using qt_test::WidgetOf;
using ui_test::Gbk;
using Log = std::vector<std::string>;

// The sample form with room for each control, and a list box that reorders by drag and
// drop as the account order does.
class Sample : public ui_test::TSampleFrm {
 public:
  Sample() {
    SetBounds(0, 0, 640, 480);
    const std::tuple<ui::TControl*, int, int, int, int> bounds[] = {
        {NameEdt, 8, 8, 200, 24},      {NoteMmo, 8, 40, 200, 80},
        {InfoGrp, 220, 8, 200, 90},    {CityEdt, 10, 24, 180, 24},
        {StatusCmb, 10, 56, 180, 24},  {KindCmb, 8, 130, 200, 24},
        {ActiveCkb, 8, 160, 200, 24},  {OrderLbx, 220, 110, 200, 120},
        {RightClb, 430, 8, 200, 90},   {MainDirTrv, 430, 110, 200, 120},
        {FolderLsv, 8, 240, 412, 150}, {FilenameEdt, 430, 240, 200, 24},
        {UpdateBtn, 450, 440, 80, 28}, {CancelBtn, 540, 440, 80, 28},
    };
    for (const auto& [control, left, top, width, height] : bounds) {
      control->SetBounds(left, top, width, height);
    }
    ActiveCkb->SetCaption("Active");
    FolderLsv->SetColumns({{"Key", 100, ui::taLeftJustify}, {"Amount", 80, ui::taRightJustify}});
    FolderLsv->SetRowSelect(true);
    for (const char* key : {"K1", "K2", "K3"}) {
      FolderLsv->AddItem(key, {"10.00"});
    }
    FolderLsv->OnDblClick = [this](ui::TComponent* s) { Log.push_back(s->Name + ".dblclick"); };
    MainDirTrv->LoadOutline("1:System\n\t101:Users\n\t104:Usage\n2:Customers\n");
    OrderLbx->OnMouseDown = [this](ui::TComponent*, ui::TMouseButton button, ui::TShiftState, int x,
                                   int y) {
      Log.push_back("OrderLbx.mousedown");
      if (button == ui::mbLeft && OrderLbx->ItemAtPos(x, y) >= 0) {
        OrderLbx->BeginDrag(false);
      }
    };
    OrderLbx->OnMouseUp = [this](ui::TComponent*, ui::TMouseButton, ui::TShiftState, int, int) {
      Log.push_back("OrderLbx.mouseup");
    };
    OrderLbx->OnDragOver = [](ui::TComponent*, ui::TComponent*, int, int, ui::TDragState,
                              bool& accept) { accept = true; };
    OrderLbx->OnDragDrop = [this](ui::TComponent*, ui::TComponent*, int x, int y) {
      const int target = OrderLbx->ItemAtPos(x, y);
      const int dragged = OrderLbx->ItemIndex();
      Log.push_back("OrderLbx.drop " + std::to_string(dragged) + " " + std::to_string(target));
      if (target >= 0 && dragged >= 0) {
        OrderLbx->ExchangeItems(dragged, target);
        OrderLbx->SetItemIndex(target);
      }
    };
  }
};

using FormInputTest = qt_test::QtPlatformTest;

// Opens the context menu at pos of widget; once it is up, choose runs on it.
void OnMenu(QWidget& widget, QPoint pos, const std::function<void(QMenu&)>& choose) {
  QTimer::singleShot(0, [choose] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    choose(*menu);
  });
  QContextMenuEvent right(QContextMenuEvent::Mouse, pos, widget.mapToGlobal(pos));
  QCoreApplication::sendEvent(&widget, &right);
}

struct Scenario {
  const char* name;
  std::function<void(Sample&, ui::FormWindow&)> act;
  const char* script;  // the twin's, which ends in the same state
  Log log = {};        // empty: the twin's log
};

// Typing and Tab follow the model's keys and tab order; Enter clicks the default button
// from an edit but a memo takes it, Escape cancels; a tree node is chosen by a click, opened by its
// button or keys; a combo box's list opens on a click; check boxes turn; a drag begins past the
// threshold.
TEST_F(FormInputTest, EventsEndWhereTheTwinsScriptEnds) {
  const Scenario scenarios[] = {
      {"typing",
       [](Sample& f, ui::FormWindow& w) {
         QTest::keyClicks(&Focused(w), "Ab 1");
         QTest::keyClick(&Focused(w), Qt::Key_Backspace);
         QTest::keyClick(&Focused(w), Qt::Key_Tab);
         EXPECT_EQ(&Focused(w), &WidgetOf(w, *f.NoteMmo)) << "the screen follows the model";
         QTest::keyClick(&Focused(w), Qt::Key_Backtab, Qt::ShiftModifier);
         EXPECT_EQ(f.NameEdt->Text(), "Ab ");
       },
       "type NameEdt \"Ab 1\"\nkey NameEdt Backspace\nkey NameEdt Tab\nkey NoteMmo Shift+Tab\n"},
      {"enter",
       [](Sample& f, ui::FormWindow& w) {
         QTest::keyClick(&Focused(w), Qt::Key_Return);
         EXPECT_FALSE(w.Closed()) << "the default button has no modal result";
         ui::FocusByOperator(*f.NoteMmo);
         QTest::keyClick(&Focused(w), Qt::Key_Return);
         EXPECT_EQ(f.NoteMmo->Text(), "\r\n");
         QTest::keyClick(&Focused(w), Qt::Key_Escape);
         EXPECT_TRUE(w.Closed());
         EXPECT_EQ(f.ModalResult(), ui::mrCancel);
       },
       "key NameEdt Enter\nkey NoteMmo Enter\nkey NoteMmo Escape\n"},
      {"double click",
       [](Sample& f, ui::FormWindow& w) {
         QAbstractItemView& view = ViewOf(w, *f.FolderLsv);
         QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, RowCenter(view, 1, 1));
         QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, RowCenter(view, 1, 1));
         EXPECT_EQ(f.FolderLsv->ItemIndex(), 1);
       },
       "select FolderLsv 1\ndblclick FolderLsv\n"},
      {"tree click",
       [](Sample& f, ui::FormWindow& w) {
         auto& tree = static_cast<QTreeView&>(WidgetOf(w, *f.MainDirTrv));
         const QModelIndex system = tree.model()->index(0, 0);
         const QRect row = tree.visualRect(system);
         QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                           QPoint(row.left() - tree.indentation() / 2, row.center().y()));
         EXPECT_TRUE(tree.isExpanded(system));
         QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, RowCenter(tree, 1, 0, system));
         ASSERT_NE(f.MainDirTrv->Selected(), nullptr);
         EXPECT_EQ(f.MainDirTrv->Selected()->Text(), "104:Usage");
       },
       "select MainDirTrv \"104:Usage\"\n"},
      {"tree keys",
       [](Sample& f, ui::FormWindow& w) {
         auto& tree = static_cast<QTreeView&>(WidgetOf(w, *f.MainDirTrv));
         const QModelIndex system = tree.model()->index(0, 0);
         ui::FocusByOperator(*f.MainDirTrv);
         w.SyncChanges();
         for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down}) {
           QTest::keyClick(&Focused(w), key);
         }
         EXPECT_TRUE(tree.isExpanded(system)) << "the screen opens a node as the model has it";
         ASSERT_NE(f.MainDirTrv->Selected(), nullptr);
         EXPECT_EQ(f.MainDirTrv->Selected()->Text(), "104:Usage");
         EXPECT_EQ(tree.currentIndex(), tree.model()->index(1, 0, system));
         QTest::keyClick(&Focused(w), Qt::Key_Left);
         QTest::keyClick(&Focused(w), Qt::Key_Left);
         EXPECT_FALSE(tree.isExpanded(system));
         EXPECT_EQ(tree.currentIndex(), system);
       },
       "key MainDirTrv Down\nkey MainDirTrv Right\nkey MainDirTrv Right\nkey MainDirTrv Down\n"
       "key MainDirTrv Left\nkey MainDirTrv Left\n"},
      {"combo box",
       [](Sample& f, ui::FormWindow& w) {
         auto& combo = static_cast<QComboBox&>(WidgetOf(w, *f.StatusCmb));
         QTest::mouseClick(&combo, Qt::LeftButton);
         QTest::mouseClick(combo.view()->viewport(), Qt::LeftButton, {},
                           RowCenter(*combo.view(), 2));
         EXPECT_EQ(f.StatusCmb->Text(), "2:in use");
       },
       "select StatusCmb 2\n"},
      {"check boxes",
       [](Sample& f, ui::FormWindow& w) {
         QAbstractItemView& list = ViewOf(w, *f.RightClb);
         const QModelIndex item = list.model()->index(1, 0);
         const QRect row = list.visualRect(item);
         // The box at the row's left end checks; the text selects.
         QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                           QPoint(row.left() + 8, row.center().y()));
         EXPECT_EQ(list.model()->data(item, Qt::CheckStateRole).toInt(), Qt::Checked);
         QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                           QPoint(row.right() - 8, row.center().y()));
         EXPECT_TRUE(f.RightClb->Checked(1));
         QTest::keyClick(&Focused(w), Qt::Key_Space);
         auto& box = static_cast<QCheckBox&>(WidgetOf(w, *f.ActiveCkb));
         QTest::mouseClick(&box, Qt::LeftButton);
         EXPECT_TRUE(f.ActiveCkb->Checked());
       },
       "check RightClb 1 on\nselect RightClb 1\nkey RightClb Space\nclick ActiveCkb\n"},
      {"drag",
       [](Sample& f, ui::FormWindow& w) {
         QAbstractItemView& list = ViewOf(w, *f.OrderLbx);
         QWidget* port = list.viewport();
         const QPoint from = RowCenter(list, 0);
         QTest::mousePress(port, Qt::LeftButton, {}, from);
         DragTo(port, from + QPoint(0, 2));
         QTest::mouseRelease(port, Qt::LeftButton, {}, from + QPoint(0, 2));
         QTest::mousePress(port, Qt::LeftButton, {}, from);
         DragTo(port, from + QPoint(0, 6));
         DragTo(port, RowCenter(list, 3));
         QTest::mouseRelease(port, Qt::LeftButton, {}, RowCenter(list, 3));
         EXPECT_EQ(list.currentIndex().row(), 3) << "the selection went with the item";
         EXPECT_EQ(list.model()->data(list.model()->index(0, 0)).toString(), "K4");
       },
       "click OrderLbx\ndrag OrderLbx 0 3\n",
       {"NameEdt.enter", "NameEdt.exit", "OrderLbx.enter", "OrderLbx.click", "OrderLbx.mousedown",
        "OrderLbx.mouseup", "OrderLbx.click", "OrderLbx.mousedown", "OrderLbx.drop 0 3"}},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    Sample form;
    const int result = Drive(form, [&](ui::FormWindow& w) { s.act(form, w); });
    Sample twin;
    PlayHeadless(twin, s.script);
    EXPECT_EQ(form.Log, s.log.empty() ? twin.Log : s.log);
    EXPECT_EQ(form.OrderLbx->Items(), twin.OrderLbx->Items());
    EXPECT_EQ(form.RightClb->Checked(1), twin.RightClb->Checked(1));
    EXPECT_EQ(form.OrderLbx->ItemIndex(), twin.OrderLbx->ItemIndex());
    EXPECT_EQ(result, twin.ModalResult());
  }
}

// A character GBK cannot write is not inserted, whether typed, committed or pasted, and
// the platform beeps; the control hears nothing of it. A text GBK holds is pasted whole.
TEST_F(FormInputTest, ACharacterGbkLacksIsRefusedWithABeep) {
  Sample form;
  Drive(form, [&](ui::FormWindow& w) {
    QTest::keyClicks(&Focused(w), "ab");
    form.Log.clear();
    QApplication::clipboard()->setText(QString::fromUtf8("x\xF0\x9F\x98\x80y"));
    QTest::keyClick(&Focused(w), Qt::Key_V, Qt::ControlModifier);
    QKeyEvent armenian(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                       QString::fromUtf8("\xD5\xA1"));
    QCoreApplication::sendEvent(&Focused(w), &armenian);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("中\xE2\x80\x8B"));
    QCoreApplication::sendEvent(&Focused(w), &commit);
    EXPECT_EQ(Desktop().Refusals(), 3);
    EXPECT_TRUE(form.Log.empty()) << form.Log.front();
    QApplication::clipboard()->setText(QString::fromUtf8("中c"));
    QTest::keyClick(&Focused(w), Qt::Key_V, Qt::ControlModifier);
  });
  EXPECT_EQ(form.NameEdt->Text(), "ab" + Gbk("中") + "c");
  EXPECT_EQ(form.Log, Log({"NameEdt.keydown 86", "NameEdt.keypress 22", "NameEdt.change",
                           "NameEdt.keyup 86"}));
}

// Chinese committed by an input method into a SWIFT-restricted edit is typed as double-byte
// characters: refused where the code page is single-byte (text and caret stay, the listeners
// hear only the restored text), taken where it is GBK, as a script's typing does.
TEST_F(FormInputTest, ChineseFromAnInputMethodMeetsTheSwiftRules) {
  struct Run {
    std::unique_ptr<ui::TForm> form = std::make_unique<ui::TForm>(nullptr, "PayeeFrm");
    payee::TRuleEdit* edit = ui::Create<payee::TRuleEdit>(form.get(), form.get(), "PayeeEdt");
    Log heard;
    Run() {
      form->SetBounds(0, 0, 300, 80);
      edit->SetBounds(8, 8, 280, 24);
      edit->SetText("AB");
      form->OnShow = [this](ui::TComponent*) {  // the caret at the end, the text unselected
        edit->SetFocus();
        edit->SetSelStart(2);
      };
      edit->OnChange = [this](ui::TComponent*) { heard.push_back(edit->Text()); };
    }
  };
  for (const char* locale : {"en_US.UTF-8", "zh_CN.GBK"}) {
    SCOPED_TRACE(locale);
    tavro_test::ScopedEnv env("LC_ALL", locale);
    Run qt;
    Drive(*qt.form, [&](ui::FormWindow& w) {
      QInputMethodEvent composing(QString::fromUtf8("zhong"), {});  // changes nothing
      QCoreApplication::sendEvent(&WidgetOf(w, *qt.edit), &composing);
      QInputMethodEvent commit;
      commit.setCommitString(QString::fromUtf8("中"));
      QCoreApplication::sendEvent(&WidgetOf(w, *qt.edit), &commit);
      EXPECT_EQ(static_cast<QLineEdit&>(WidgetOf(w, *qt.edit)).text().toStdString(),
                sys::GbkToUtf8(qt.edit->Text()));
    });
    Run script;
    PlayHeadless(*script.form, "type PayeeEdt \"中\"\n");
    EXPECT_EQ(qt.edit->Text(), std::string(locale) == "zh_CN.GBK" ? "AB" + Gbk("中") : "AB");
    EXPECT_EQ(qt.edit->Text(), script.edit->Text());
    EXPECT_EQ(qt.edit->SelStart(), script.edit->SelStart());
    EXPECT_EQ(qt.heard, script.heard);
  }
}

// A right click, or the context-menu key, opens the pop-up menu; choosing an item clicks
// it. A right press over a row selects it first.
TEST_F(FormInputTest, TheContextMenuClicksTheChosenItem) {
  Sample form;
  int shown = 0;
  const auto chooseNew = [&shown](bool choose) {
    return [&shown, choose](QMenu& menu) {
      ++shown;
      EXPECT_EQ(menu.actions().size(), 1);
      EXPECT_EQ(menu.actions().front()->text(), "New");
      QTest::keyClick(&menu, choose ? Qt::Key_Down : Qt::Key_Escape);
      if (choose) {
        QTest::keyClick(&menu, Qt::Key_Return);
      }
    };
  };
  Drive(form, [&](ui::FormWindow& w) {
    QAbstractItemView& view = ViewOf(w, *form.FolderLsv);
    OnMenu(*view.viewport(), RowCenter(view, 0), chooseNew(false));
    QTest::mousePress(view.viewport(), Qt::RightButton, {}, RowCenter(view, 2));
    QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, RowCenter(view, 2));
    EXPECT_EQ(form.FolderLsv->ItemIndex(), 2);
    ui::FocusByOperator(*form.FolderLsv);
    form.Log.clear();
    QTimer::singleShot(
        0, [&] { chooseNew(true)(*qobject_cast<QMenu*>(QApplication::activePopupWidget())); });
    QTest::keyClick(&Focused(w), Qt::Key_Menu);
  });
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(form.Log, Log{"NewMit.click"});
}

// The model is on screen before a box a handler raises is shown.
TEST_F(FormInputTest, TheWindowShowsTheModelBeforeABoxIsShown) {
  Sample form;
  form.NameEdt->OnChange = [&](ui::TComponent*) {
    form.CityEdt->SetText("Shanghai");
    form.UpdateBtn->SetEnabled(false);
    ui::ShowMessage("changed");
  };
  QString seen;
  Desktop().SetOnBox([&](QDialog& box) {
    ui::FormWindow& w = *Desktop().TopWindow();
    seen = static_cast<QLineEdit&>(WidgetOf(w, *form.CityEdt)).text() +
           (WidgetOf(w, *form.UpdateBtn).isEnabled() ? " enabled " : " disabled ") +
           static_cast<QMessageBox&>(box).text();
    QTest::keyClick(&box, Qt::Key_Return);
  });
  Drive(form, [&](ui::FormWindow& w) { QTest::keyClick(&Focused(w), Qt::Key_A); });
  EXPECT_EQ(seen, "Shanghai disabled changed");
}

// Long work gives the platform turns: the memo's new lines show meanwhile, the last in
// view. The operator's input meanwhile (the button that started it, a key, the close
// box) reaches no handler, then or after; afterwards the form takes input again.
TEST_F(FormInputTest, LongWorkShowsItsProgressAndDropsTheInputGivenMeanwhile) {
  Sample form;
  std::vector<std::string> shown;
  bool lastLineInView = true;
  int works = 0;
  form.UpdateBtn->OnClick = [&](ui::TComponent*) {
    ++works;
    ui::FormWindow& w = *Desktop().TopWindow();
    QWidget* button = &WidgetOf(w, *form.UpdateBtn);
    auto& memo = static_cast<QPlainTextEdit&>(WidgetOf(w, *form.NoteMmo));
    const auto operatorActs = [&] {
      const QPoint at = button->rect().center();
      for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                    Qt::LeftButton, Qt::NoModifier));
      }
      QCoreApplication::postEvent(&Focused(w),
                                  new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
      QCoreApplication::postEvent(&w, new QCloseEvent());
    };
    ui::LongWork work(0);
    for (int n = 1; n <= 3; ++n) {
      form.NoteMmo->AppendLine("line " + std::to_string(n));
      form.NoteMmo->SetSelStart(static_cast<int>(form.NoteMmo->Text().size()));
      operatorActs();
      ASSERT_TRUE(work.Due());
      work.GiveTurn();
      shown.push_back(memo.toPlainText().toStdString());
      lastLineInView = lastLineInView && memo.textCursor().atEnd();
    }
    operatorActs();  // after the last turn: dropped as the work ends
  };
  const int result = Drive(form, [&](ui::FormWindow& w) {
    QTest::mouseClick(&WidgetOf(w, *form.UpdateBtn), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.Closed());
    QTest::keyClick(&Focused(w), Qt::Key_B);
  });
  EXPECT_EQ(result, ui::mrCancel);
  EXPECT_EQ(works, 1);
  EXPECT_EQ(shown, Log({"line 1", "line 1\nline 2", "line 1\nline 2\nline 3"}));
  EXPECT_TRUE(lastLineInView);
  const auto heard = [&form](const std::string& event) {
    return std::count_if(form.Log.begin(), form.Log.end(),
                         [&event](const std::string& line) { return line.ends_with(event); });
  };
  EXPECT_EQ(heard("keydown 65"), 0) << "A, pressed during the work";
  EXPECT_EQ(heard("keydown 66"), 1) << "B, pressed after it";
  EXPECT_EQ(heard("closequery"), 0);
}

// A dialog keeps its designed size. A sizeable form takes the operator's size into the
// model first (a client-aligned control fills it), but never one below its constraints.
TEST_F(FormInputTest, OnlyASizeableFormTakesAnotherSize) {
  for (const bool sizeable : {false, true}) {
    Sample form;
    const QSize designed(form.Width(), form.Height());
    if (sizeable) {
      form.SetBorderStyle(ui::bsSizeable);
      form.SetConstraints({.MinWidth = form.Width(), .MinHeight = form.Height()});
      form.NoteMmo->SetAlign(ui::alClient);
    }
    bool resized = false;
    form.OnResize = [&](ui::TComponent*) { resized = true; };
    Drive(form, [&](ui::FormWindow& w) {
      w.resize(700, 520);
      const QSize taken = sizeable ? QSize(700, 520) : designed;
      EXPECT_EQ(w.size(), taken);
      EXPECT_EQ(QSize(form.Width(), form.Height()), taken);
      if (sizeable) {
        EXPECT_EQ(WidgetOf(w, *form.NoteMmo).geometry(), QRect(QPoint(0, 0), taken));
      }
      EXPECT_EQ(resized, sizeable);
      w.resize(designed / 2);
      EXPECT_EQ(w.size(), designed);
      EXPECT_EQ(form.Height(), designed.height());
    });
  }
}

// 100,000 rows go through the item model, no widget per row; rows a handler adds show
// after the input that added them. The columns show the model's titles, widths and
// alignment; a width the operator drags becomes the column's.
TEST_F(FormInputTest, ListViewsShowTheModelsRowsAndColumns) {
  Sample form;
  form.FolderLsv->Clear();
  form.FolderLsv->BeginUpdate();
  for (int i = 0; i < 100000; ++i) {
    form.FolderLsv->AddItem("R" + std::to_string(i), {std::to_string(i)});
  }
  form.FolderLsv->EndUpdate();
  form.UpdateBtn->OnClick = [&](ui::TComponent*) { form.FolderLsv->AddItem("New", {}); };
  Drive(form, [&](ui::FormWindow& w) {
    auto& view = static_cast<QTreeView&>(WidgetOf(w, *form.FolderLsv));
    QAbstractItemModel& model = *view.model();
    EXPECT_LT(view.viewport()->findChildren<QWidget*>().size(), 10);
    ui::FocusByOperator(*form.FolderLsv);
    QTest::keyClick(&Focused(w), Qt::Key_End);
    EXPECT_EQ(form.FolderLsv->ItemIndex(), 99999);
    EXPECT_EQ(model.data(model.index(99999, 1)).toString(), "99999");
    QTest::mouseClick(&WidgetOf(w, *form.UpdateBtn), Qt::LeftButton);
    EXPECT_EQ(model.data(model.index(100000, 0)).toString(), "New");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Amount");
    EXPECT_EQ(view.columnWidth(0), 100);
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    view.setColumnWidth(0, 130);
    EXPECT_EQ(form.FolderLsv->Columns()[0].Width, 130);
  });
}

QStringList complaints;  // the model checker's, from Qt's warnings

// What list's model tells while change is applied and the window brought in step: how often
// it inserted, removed, changed rows or reset, and the rows (under their parent) of the last.
std::string Update(ui::FormWindow& window, const ui::TControl& list,
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

// Rows inserted, removed or changed reach Qt's item model as such, never as a reset, and the
// model checker finds each step sound; only a list replaced whole is reset.
TEST_F(FormInputTest, RowsChangedOneByOneAreToldAsSuchAndAWholeListAsAReset) {
  Sample form;
  for (int i = 0; i < 50; ++i) {
    form.FolderLsv->AddItem("K" + std::to_string(i), {std::to_string(i) + ".00"});
  }
  form.MainDirTrv->LoadOutline("a\n\tb\nc");
  complaints.clear();
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && text.contains(QStringLiteral("FAIL"))) {
          complaints << text;
        }
      });
  Drive(form, [&](ui::FormWindow& w) {
    const auto mode = QAbstractItemModelTester::FailureReportingMode::Warning;
    QAbstractItemModelTester checkList(ViewOf(w, *form.FolderLsv).model(), mode);
    QAbstractItemModelTester checkTree(ViewOf(w, *form.MainDirTrv).model(), mode);
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
        {folder, [&] { folder.AddItem("Z", {"2.00"}); }, "+1 -0 ~0 reset 0: 55..55 under ''"},
        // A mark of a check list box is its row's data.
        {*form.RightClb, [&] { form.RightClb->SetChecked(2, true); }, "+0 -0 ~1 reset 0: 2..2"},
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
    EXPECT_EQ(rows.rowCount(), 56);
    EXPECT_EQ(rows.index(5, 1).data().toString(), "9.99");
    EXPECT_EQ(rows.index(12, 0).data().toString(), "N12");
  });
  qInstallMessageHandler(previous);
  EXPECT_TRUE(complaints.isEmpty()) << complaints.join('\n').toStdString();
}

// Clicks reach only what the model lets the operator use; a click in an edit puts the
// caret under the mouse. The close box asks the close query; a refusal keeps the form open.
TEST_F(FormInputTest, ClicksPlaceTheCaretAndSkipDisabledControlsAndTheCloseBoxAsks) {
  Sample form;
  form.NameEdt->SetText("abcdef");
  form.CancelBtn->SetEnabled(false);
  form.AllowClose = false;
  form.Log.clear();
  const int result = Drive(form, [&](ui::FormWindow& w) {
    auto& edit = static_cast<QLineEdit&>(WidgetOf(w, *form.NameEdt));
    QPoint third(0, edit.height() / 2);
    while (third.x() < edit.width() && edit.cursorPositionAt(third) < 3) {
      third.rx() += 1;
    }
    QTest::mouseClick(&edit, Qt::LeftButton, {}, third + QPoint(1, 0));
    EXPECT_EQ(form.NameEdt->SelStart(), 3);
    QTest::mouseClick(&WidgetOf(w, *form.CancelBtn), Qt::LeftButton);
    w.close();
    EXPECT_FALSE(w.Closed());
    form.AllowClose = true;
    w.close();
    EXPECT_TRUE(w.Closed());
  });
  EXPECT_EQ(result, ui::mrCancel);
  EXPECT_EQ(form.Log, Log({"NameEdt.enter", "NameEdt.click", "closequery", "closequery"}));
}

// Each control Tab reaches that has no caret looks other with the focus than without. The
// default button is the focused one, so Enter on Cancel cancels.
TEST_F(FormInputTest, TheFocusIsDrawnAndTheDefaultButtonFollowsIt) {
  Sample form;
  const int result = Drive(form, [&](ui::FormWindow& w) {
    w.activateWindow();  // the style draws the focus of the active window only
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ui::FocusByOperator(*form.KindCmb);
    w.SyncChanges();
    for (ui::TWinControl* control : std::vector<ui::TWinControl*>{
             form.ActiveCkb, form.OrderLbx, form.RightClb, form.MainDirTrv, form.FolderLsv,
             form.FilenameEdt, form.UpdateBtn, form.CancelBtn}) {
      const QImage before = WidgetOf(w, *control).grab().toImage();
      QTest::keyClick(&Focused(w), Qt::Key_Tab);
      ASSERT_EQ(form.ActiveControl(), control);
      if (control != form.FilenameEdt && control != form.UpdateBtn) {
        EXPECT_NE(WidgetOf(w, *control).grab().toImage(), before) << control->Name;
      }
      if (control == form.FolderLsv || control == form.CancelBtn) {
        EXPECT_EQ(static_cast<QPushButton&>(WidgetOf(w, *form.UpdateBtn)).isDefault(),
                  control == form.FolderLsv)
            << control->Name;
        EXPECT_EQ(static_cast<QPushButton&>(WidgetOf(w, *form.CancelBtn)).isDefault(),
                  control == form.CancelBtn);
      }
    }
    QTest::keyClick(&Focused(w), Qt::Key_Return);
  });
  EXPECT_EQ(result, ui::mrCancel);
}

// An edit's own menu acts as its keys do, through the model (a change the edit's handlers
// see); Cut waits for a selection.
TEST_F(FormInputTest, AnEditsMenuCutsCopiesPastesDeletesAndSelectsAll) {
  Sample form;
  form.NameEdt->SetText("abc");
  std::vector<QString> texts;
  Drive(form, [&](ui::FormWindow& w) {
    ui::PressKey(*form.NameEdt, ui::vk::End);  // the text the opening selected, unselected
    w.SyncChanges();
    const auto menuOn = [&](int row) {
      OnMenu(WidgetOf(w, *form.NameEdt), QPoint(4, 4), [&texts, row](QMenu& menu) {
        QAction* action = menu.actions().at(row);
        texts.push_back(action->text() + (action->isEnabled() ? "+" : "-"));
        menu.setActiveAction(action);
        QTest::keyClick(&menu, action->isEnabled() ? Qt::Key_Return : Qt::Key_Escape);
      });
    };
    for (const int row : {0, 5, 0}) {  // Cut (nothing selected), Select All, Cut
      menuOn(row);
    }
    EXPECT_EQ(form.NameEdt->Text(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "abc");
    menuOn(2);  // Paste
    menuOn(2);
    EXPECT_EQ(form.NameEdt->Text(), "abcabc");
    menuOn(5);
    menuOn(3);  // Delete
    EXPECT_EQ(form.NameEdt->Text(), "");
  });
  ASSERT_EQ(texts.size(), 7u);
  EXPECT_TRUE(texts[0].endsWith("-"));
  EXPECT_TRUE(texts[2].endsWith("+"));
  EXPECT_GE(std::count(form.Log.begin(), form.Log.end(), "NameEdt.change"), 4);
}

// A form a handler opens is an application-modal window owned by the first, which takes
// input again once it closes.
TEST_F(FormInputTest, NestedFormsAreModalOverTheirOpener) {
  Sample outer;
  Sample inner;
  outer.UpdateBtn->OnClick = [&](ui::TComponent*) {
    outer.Log.push_back("inner " + std::to_string(inner.ShowModal()));
  };
  ui::FormWindow* outerWindow = nullptr;
  Desktop().SetOnShown([&](ui::FormWindow& w) {
    if (&w.Form() == &inner) {
      EXPECT_EQ(w.parentWidget(), outerWindow);
      EXPECT_EQ(w.windowModality(), Qt::ApplicationModal);
      QTest::keyClick(&Focused(w), Qt::Key_Escape);
      return;
    }
    outerWindow = &w;
    QTest::mouseClick(&WidgetOf(w, *outer.UpdateBtn), Qt::LeftButton);
    QTest::keyClick(&Focused(w), Qt::Key_Escape);
  });
  EXPECT_EQ(outer.ShowModal(), ui::mrCancel);
  Desktop().SetOnShown(nullptr);
  EXPECT_NE(std::find(outer.Log.begin(), outer.Log.end(), "inner 2"), outer.Log.end());
}

}  // namespace
