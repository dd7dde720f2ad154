// The module's dialogs on the Qt platform against the recording fake host, driven by
// real Qt events, each ending where the equivalent operator script ends headless: the
// account order rearranged by drag and drop, Chinese from an input method in a
// SWIFT-restricted edit, the rights of a node of the user dialog's tree, the user
// report printed from its context menu.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstring>
#include <filesystem>
#include <map>

#include "admin/UserEditFrm.h"
#include "customer/AcOrderEditFrm.h"
#include "frame/ManageEdit.h"
#include "payee/RuleEdit.h"
#include "sys/CodePage.h"
#include "tests/admin/AdminTest.h"
#include "tests/support/PdfTools.h"
#include "ui/Input.h"
#include "ui/qt/QtDesktop.h"
#include "ui/qt/QtPrinter.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;
using tavro_test::ReadFile;
using tavro_test::ScopedEnv;
using Texts = std::vector<std::string>;

constexpr HWND_T kShell = 0x51;

// The module's fixture (fake host, own folder, Chinese texts) with the Qt platform in
// place of the headless one, which stays at hand for the script twin of each test.
class QtDialogTest : public admin_test::AdminTest {
 protected:
  void SetUp() override {
    AdminTest::SetUp();
    auto desktop = std::make_unique<ui::QtDesktop>(nullptr);
    desktop_ = desktop.get();
    headless_ = ui::InstallPlatform(std::move(desktop));
  }
  void TearDown() override {
    desktop_->SetOnShown(nullptr);
    desktop_->SetOnBox(nullptr);
    ui::InstallPlatform(std::move(headless_));
    AdminTest::TearDown();
  }
  ui::QtDesktop& Desktop() { return *desktop_; }

  // Runs call with the headless platform playing script.
  void Headless(const std::string& script, const std::function<void()>& call) {
    auto qt = ui::InstallPlatform(std::move(headless_));
    Platform().RunScript(script);
    call();
    headless_ = ui::InstallPlatform(std::move(qt));
  }
  // Acts on the first form the operator gets; a form act leaves open is then closed
  // without its close query.
  void Operate(const std::function<void(ui::FormWindow&)>& act) {
    auto acted = std::make_shared<bool>(false);
    Desktop().SetOnShown([act, acted](ui::FormWindow& w) {
      if (*acted) {
        return;
      }
      *acted = true;
      act(w);
      if (!w.Closed()) {
        w.Form().OnCloseQuery = nullptr;
        w.Form().SetModalResult(ui::mrCancel);
        w.CheckClose();
      }
    });
  }
  static QWidget& WidgetOf(ui::FormWindow& w, const ui::TControl& control) {
    QWidget* widget = w.WidgetOf(control);
    EXPECT_NE(widget, nullptr) << control.Name;
    return widget != nullptr ? *widget : w;
  }
  static Texts Commands() {
    Texts sent;
    for (const fakehost::Call& call : fakehost::Calls()) {
      sent.push_back(call.command);
    }
    return sent;
  }

 private:
  ui::QtDesktop* desktop_ = nullptr;
  std::unique_ptr<ui::Platform> headless_;
};

QPoint RowCenter(QAbstractItemView& view, const QModelIndex& index) {
  return view.visualRect(index).center();
}

void DragTo(QWidget* widget, const QPoint& pos) {
  QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

// The account order: the first account dragged onto the fourth with the mouse, Save
// clicked; the batch is the one the script's drag sends.
TEST_F(QtDialogTest, TheAccountOrderIsArrangedByDragAndDrop) {
  auto serve = [] {
    fakehost::Reset();
    fakehost::On("MN_GetAcNoList 99,'','0012','000001'",
                 Answer::Ok("K1\r\nK2\r\nK3\r\nK4\r\nK5\r\n"));
    fakehost::On("Sh_GetNodeRight '0012','000001',103", Answer::Ok("11100000"));
    fakehost::OnPrefix("exec MN_UpdateAcOrder", Answer::Ok(""));
  };
  auto call = [] {
    TShellResult result{};
    Mn_AcOrderEdit(&result, kShell, "0012", "000001", 103, "", "");
  };
  serve();
  Texts boxes;
  Desktop().SetOnBox([&](QDialog& box) {
    boxes.push_back(static_cast<QMessageBox&>(box).text().toStdString());
    QTest::keyClick(&box, Qt::Key_Return);
  });
  Operate([&](ui::FormWindow& w) {
    auto& form = static_cast<customer::TAcOrderEditFrm&>(w.Form());
    auto& list = static_cast<QAbstractItemView&>(WidgetOf(w, *form.AcListLbx));
    QWidget* port = list.viewport();
    const QPoint from = RowCenter(list, list.model()->index(0, 0));
    const QPoint to = RowCenter(list, list.model()->index(3, 0));
    QTest::mousePress(port, Qt::LeftButton, {}, from);
    DragTo(port, from + QPoint(0, 8));
    DragTo(port, to);
    QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    EXPECT_EQ(list.currentIndex().row(), 3) << "the selection went with the account";
    EXPECT_EQ(list.model()->data(list.model()->index(0, 0)).toString(), "K4");
    QTest::mouseClick(&WidgetOf(w, *form.UpdateBtn), Qt::LeftButton);
    EXPECT_TRUE(w.Closed());
  });
  call();
  const Texts onScreen = Commands();
  ASSERT_EQ(boxes.size(), 1u);
  serve();
  Headless("drag AcListLbx 0 3\nclick UpdateBtn\n", call);
  EXPECT_EQ(onScreen, Commands());
  EXPECT_NE(onScreen.back().find("exec MN_UpdateAcOrder 'K4','0012','000001',0"),
            std::string::npos);
}

// Chinese committed by an input method into a restricted edit is typed as double-byte
// characters; the SWIFT rules refuse it where the code page is single-byte (the text
// and caret stay, the listeners hear only the restored text) and take it where GBK is
// the code page, as a script's typing does.
TEST_F(QtDialogTest, ChineseFromAnInputMethodMeetsTheSwiftRules) {
  struct Run {
    std::string text;
    int caret;
    Texts heard;
  };
  auto form = [](Texts& heard) {
    auto f = std::make_unique<ui::TForm>(nullptr, "PayeeFrm");
    f->SetBounds(0, 0, 300, 80);
    auto* edit = ui::Create<payee::TRuleEdit>(f.get(), f.get(), "PayeeEdt");
    edit->SetBounds(8, 8, 280, 24);
    edit->SetText("AB");
    // The caret at the end once the form has opened (opening selects the text).
    f->OnShow = [edit](ui::TComponent*) {
      edit->SetFocus();
      edit->SetSelStart(2);
    };
    edit->OnChange = [&heard, edit](ui::TComponent*) { heard.push_back(edit->Text()); };
    return f;
  };
  for (const char* locale : {"en_US.UTF-8", "zh_CN.GBK"}) {
    ScopedEnv env("LC_ALL", locale);
    Run qt;
    auto onScreen = form(qt.heard);
    auto* edit = static_cast<payee::TRuleEdit*>(onScreen->FindComponent("PayeeEdt"));
    Operate([&](ui::FormWindow& w) {
      QInputMethodEvent commit;
      commit.setCommitString(QString::fromUtf8("中"));
      QCoreApplication::sendEvent(&WidgetOf(w, *edit), &commit);
      qt.text = edit->Text();
      qt.caret = edit->SelStart();
      EXPECT_EQ(static_cast<QLineEdit&>(WidgetOf(w, *edit)).text().toStdString(),
                sys::GbkToUtf8(qt.text));
    });
    onScreen->ShowModal();
    Run script;
    auto twin = form(script.heard);
    auto* twinEdit = static_cast<payee::TRuleEdit*>(twin->FindComponent("PayeeEdt"));
    Headless("type PayeeEdt \"中\"\n", [&] { twin->ShowModal(); });
    script.text = twinEdit->Text();
    script.caret = twinEdit->SelStart();
    const bool dbcs = std::string(locale) == "zh_CN.GBK";
    EXPECT_EQ(qt.text, dbcs ? "AB" + Gbk("中") : std::string("AB")) << locale;
    EXPECT_EQ(qt.text, script.text) << locale;
    EXPECT_EQ(qt.caret, script.caret) << locale;
    EXPECT_EQ(qt.heard, script.heard) << locale;
  }
}

// The user dialog's business rights: the tree opened with its button, a node chosen
// with the mouse, a right unchecked at its box, the focus moved on; the rights file
// holds what the script's equivalent leaves.
TEST_F(QtDialogTest, TheRightsOfATreeNodeAreCheckedWithTheMouse) {
  std::map<std::string, std::string> answers = {
      {"MN_GetPropOfUser '000001'", Gbk("000001\a0012\aD\a王建国\a演示贸易有限公司\a2")},
      {"MN_GetPropOfUser '000002'", Gbk("000002\a0012\aO\a李明\a演示\a2")},
      {"MN_GetUserCorpList 'CN','000002'", "0012 Demo\r\n"},
      {"Sh_GetNodeRight '0012','000001',101", "11111000"},
      {"Sh_GetViewNodeList 'CN','',''",
       "1:System\r\n\t101:Users\r\n\t104:Usage\r\n2:Customers\r\n"},
      {"MN_GetNodeRightList '0012','000002'", "[Right]\r\n1=10000000\r\n104=11110000\r\n"},
  };
  fakehost::OnAny([&](const fakehost::Call& c) {
    auto found = answers.find(c.command);
    return found == answers.end() ? Answer::Ok("") : Answer::Ok(found->second);
  });
  auto call = [] {
    TShellResult result{};
    Mn_UserEdit(&result, kShell, "0012", "000001", 101, "000002", "");
  };
  const std::string rightsPath = TempDir() + "UsrRight.ini";
  std::string onScreen;
  Operate([&](ui::FormWindow& w) {
    auto& form = static_cast<admin::TUserEditFrm&>(w.Form());
    // Room for the tree and the rights, whatever the designed layout gives them.
    form.MainDirTrv->SetBounds(16, 120, 250, 200);
    form.RightClb->SetBounds(280, 120, 240, 120);
    w.Sync();
    QTest::mouseClick(&WidgetOf(w, *form.UserViewNodeCkb), Qt::LeftButton);
    ASSERT_TRUE(form.UserViewNodeCkb->Checked());
    auto& tree = static_cast<QTreeView&>(WidgetOf(w, *form.MainDirTrv));
    const QModelIndex system = tree.model()->index(0, 0);
    const QRect row = tree.visualRect(system);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                      QPoint(row.left() - tree.indentation() / 2, row.center().y()));
    const QModelIndex usage = tree.model()->index(1, 0, system);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, RowCenter(tree, usage));
    ASSERT_TRUE(form.RightClb->Visible());
    auto& rights = static_cast<QAbstractItemView&>(WidgetOf(w, *form.RightClb));
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(rights.model()->data(rights.model()->index(k, 0), Qt::CheckStateRole).toInt(),
                k < 4 ? Qt::Checked : Qt::Unchecked)
          << k;
    }
    const QRect first = rights.visualRect(rights.model()->index(0, 0));
    QTest::mouseClick(rights.viewport(), Qt::LeftButton, {},
                      QPoint(first.left() + 8, first.center().y()));
    EXPECT_FALSE(form.RightClb->Checked(0));
    const QModelIndex customers = tree.model()->index(1, 0);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, RowCenter(tree, customers));
    onScreen = ReadFile(rightsPath);
  });
  call();
  const Texts onScreenCommands = Commands();
  std::string scripted;
  fakehost::Reset();
  fakehost::OnAny([&](const fakehost::Call& c) {
    auto found = answers.find(c.command);
    return found == answers.end() ? Answer::Ok("") : Answer::Ok(found->second);
  });
  Headless("", [&] {
    Platform().SetOperator([&](ui::TForm& form) {
      for (const char* line : {"click UserViewNodeCkb", "select MainDirTrv \"104:Usage\"",
                               "check RightClb 0 off", "select MainDirTrv \"2:Customers\""}) {
        EXPECT_TRUE(Platform().Perform(form, line)) << line;
      }
      scripted = ReadFile(rightsPath);
    });
    call();
    Platform().SetOperator(nullptr);
  });
  EXPECT_NE(onScreen.find("104=01110000"), std::string::npos) << onScreen;
  EXPECT_EQ(onScreen, scripted);
  EXPECT_EQ(onScreenCommands, Commands());
}

// The same rights with the keyboard alone: Space on the area's box, Tab into the tree,
// its keys to the node, Tab into the rights, Space on the first right, Tab out.
TEST_F(QtDialogTest, TheRightsOfATreeNodeAreCheckedWithTheKeyboard) {
  const std::map<std::string, std::string> answers = {
      {"MN_GetPropOfUser '000001'", Gbk("000001\a0012\aD\a王建国\a演示贸易有限公司\a2")},
      {"MN_GetPropOfUser '000002'", Gbk("000002\a0012\aO\a李明\a演示\a2")},
      {"MN_GetUserCorpList 'CN','000002'", "0012 Demo\r\n"},
      {"Sh_GetNodeRight '0012','000001',101", "11111000"},
      {"Sh_GetViewNodeList 'CN','',''",
       "1:System\r\n\t101:Users\r\n\t104:Usage\r\n2:Customers\r\n"},
      {"MN_GetNodeRightList '0012','000002'", "[Right]\r\n1=10000000\r\n104=11110000\r\n"},
  };
  fakehost::OnAny([&](const fakehost::Call& c) {
    auto found = answers.find(c.command);
    return found == answers.end() ? Answer::Ok("") : Answer::Ok(found->second);
  });
  std::string stored;
  Operate([&](ui::FormWindow& w) {
    auto& form = static_cast<admin::TUserEditFrm&>(w.Form());
    ui::FocusByOperator(*form.UserViewNodeCkb);
    w.SyncChanges();
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Tab, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down,
                              Qt::Key_Down, Qt::Key_Tab, Qt::Key_Space}) {
      QTest::keyClick(w.focusWidget(), key);
    }
    EXPECT_EQ(form.ActiveControl(), form.RightClb);
    EXPECT_FALSE(form.RightClb->Checked(0));
    QTest::keyClick(w.focusWidget(), Qt::Key_Tab);
    stored = ReadFile(TempDir() + "UsrRight.ini");
  });
  TShellResult result{};
  Mn_UserEdit(&result, kShell, "0012", "000001", 101, "000002", "");
  EXPECT_NE(stored.find("[Update]\r\n104=01110000"), std::string::npos) << stored;
}

// The user report's context menu prints it: the print dialog (a PDF file as the
// printer), then the report on the printer's canvas.
TEST_F(QtDialogTest, TheUserReportPrintsFromItsContextMenu) {
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok(Gbk("演示贸易有限公司")));
  fakehost::OnPrefix("select UserId,", Answer::Ok(Gbk("000005\a赵敏\aS\a待激活\a2026-11-20\a"
                                                      "2028-11-20\a2026-11-20\r\n")));
  const std::string pdf = TempDir() + "report.pdf";
  dynamic_cast<ui::QtPrinter&>(Desktop().Printer())
      .Device()
      .setOutputFileName(QString::fromStdString(pdf));
  int dialogs = 0;
  Desktop().SetOnBox([&](QDialog& box) {
    EXPECT_NE(qobject_cast<QPrintDialog*>(&box), nullptr);
    ++dialogs;
    box.accept();
  });
  Operate([&](ui::FormWindow& w) {
    auto& form = w.Form();
    auto* list = ui::FindAs<ui::TListView>(form, "UserLv");
    ASSERT_NE(list, nullptr);
    auto& view = static_cast<QAbstractItemView&>(WidgetOf(w, *list));
    QTimer::singleShot(0, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      EXPECT_EQ(menu->actions().front()->text(), QString::fromUtf8("打印清单"));
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = RowCenter(view, view.model()->index(0, 0));
    QContextMenuEvent right(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view.viewport(), &right);
  });
  TShellResult result{};
  Mn_UserListPrint(&result, kShell, "0012", "000001", 105, "", "");
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(pdf_tools::PageCount(pdf), 1);
  const std::string text = pdf_tools::Text(pdf);
  EXPECT_NE(text.find("000005"), std::string::npos) << text;
  EXPECT_NE(text.find("2028-11-20"), std::string::npos) << text;
  // The rules keep their places and the texts between them stay clear of them.
  const std::string scratch = TempDir() + "pages";
  std::filesystem::create_directory(scratch);
  const std::vector<pdf_tools::GreyPage> pages = pdf_tools::DrawnPages(pdf, scratch, 192);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pdf_tools::RulesTouchingText(pages), Texts{});
}

}  // namespace
