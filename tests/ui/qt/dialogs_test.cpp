// The module's controls and dialogs on Qt against the fake host: Chinese from an input
// method in a SWIFT-restricted edit, as a script types it, and the user report printed from
// its context menu.
#include <gtest/gtest.h>

#include <QPrintDialog>
#include <QtTest>
#include <QtWidgets>
#include <filesystem>

#include "QtFormTest.h"
#include "frame/ManageEdit.h"
#include "payee/RuleEdit.h"
#include "sys/CodePage.h"
#include "tests/admin/AdminTest.h"
#include "tests/support/PdfTools.h"
#include "ui/Input.h"
#include "ui/qt/QtPrinter.h"

namespace {

using fakehost::Answer;
using qt_test::RowCenter;
using qt_test::ViewOf;
using qt_test::WidgetOf;
using tavro_test::Gbk;
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

  // Runs call with the headless platform playing script.
  void Headless(const std::string& script, const std::function<void()>& call) {
    auto qt = ui::InstallPlatform(std::move(headless_));
    Platform().RunScript(script);
    call();
    headless_ = ui::InstallPlatform(std::move(qt));
  }
  // Acts on the first form the operator gets, then closes it without its close query.
  void Operate(const std::function<void(ui::FormWindow&)>& act) {
    auto acted = std::make_shared<bool>(false);
    desktop_->SetOnShown([act, acted](ui::FormWindow& w) {
      if (!*acted) {
        *acted = true;
        act(w);
        if (!w.Closed()) {
          w.Form().OnCloseQuery = nullptr;
          w.Form().SetModalResult(ui::mrCancel);
          w.CheckClose();
        }
      }
    });
  }
  ui::QtDesktop* desktop_ = nullptr;
  std::unique_ptr<ui::Platform> headless_;
};

// Chinese committed by an input method into a restricted edit is typed as double-byte
// characters: the SWIFT rules refuse it where the code page is single-byte (text and
// caret stay, the listeners hear only the restored text) and take it where GBK is the
// code page, as a script's typing does.
TEST_F(QtDialogTest, ChineseFromAnInputMethodMeetsTheSwiftRules) {
  struct Run {
    std::unique_ptr<ui::TForm> form = std::make_unique<ui::TForm>(nullptr, "PayeeFrm");
    payee::TRuleEdit* edit = ui::Create<payee::TRuleEdit>(form.get(), form.get(), "PayeeEdt");
    Texts heard;
    Run() {
      form->SetBounds(0, 0, 300, 80);
      edit->SetBounds(8, 8, 280, 24);
      edit->SetText("AB");
      // The caret at the end once the form has opened (opening selects the text).
      form->OnShow = [this](ui::TComponent*) {
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
    std::string shownText;
    int shownCaret = -1;
    Operate([&](ui::FormWindow& w) {
      QInputMethodEvent commit;
      commit.setCommitString(QString::fromUtf8("中"));
      QCoreApplication::sendEvent(&WidgetOf(w, *qt.edit), &commit);
      EXPECT_EQ(static_cast<QLineEdit&>(WidgetOf(w, *qt.edit)).text().toStdString(),
                sys::GbkToUtf8(qt.edit->Text()));
      shownText = qt.edit->Text();
      shownCaret = qt.edit->SelStart();
    });
    qt.form->ShowModal();
    Run script;
    Headless("type PayeeEdt \"中\"\n", [&] { script.form->ShowModal(); });
    const bool dbcs = std::string(locale) == "zh_CN.GBK";
    EXPECT_EQ(shownText, dbcs ? "AB" + Gbk("中") : std::string("AB"));
    EXPECT_EQ(shownText, script.edit->Text());
    EXPECT_EQ(shownCaret, script.edit->SelStart());
    EXPECT_EQ(qt.heard, script.heard);
  }
}

// The user report's context menu prints it: the print dialog (a PDF file as the printer),
// then the report on the printer's canvas, its rules clear of its texts.
TEST_F(QtDialogTest, TheUserReportPrintsFromItsContextMenu) {
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok(Gbk("演示贸易有限公司")));
  fakehost::OnPrefix("select UserId,", Answer::Ok(Gbk("000005\a赵敏\aS\a待激活\a2026-11-20\a"
                                                      "2028-11-20\a2026-11-20\r\n")));
  const std::string pdf = TempDir() + "report.pdf";
  dynamic_cast<ui::QtPrinter&>(desktop_->Printer())
      .Device()
      .setOutputFileName(QString::fromStdString(pdf));
  int dialogs = 0;
  desktop_->SetOnBox([&](QDialog& box) {
    EXPECT_NE(qobject_cast<QPrintDialog*>(&box), nullptr);
    ++dialogs;
    box.accept();
  });
  Operate([&](ui::FormWindow& w) {
    auto* list = ui::FindAs<ui::TListView>(w.Form(), "UserLv");
    ASSERT_NE(list, nullptr);
    QAbstractItemView& view = ViewOf(w, *list);
    QTimer::singleShot(0, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      EXPECT_EQ(menu->actions().front()->text(), QString::fromUtf8("打印清单"));
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = RowCenter(view, 0);
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
  const std::string scratch = TempDir() + "pages";
  std::filesystem::create_directory(scratch);
  const std::vector<pdf_tools::GreyPage> pages = pdf_tools::DrawnPages(pdf, scratch, 192);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pdf_tools::RulesTouchingText(pages), Texts{});
}

}  // namespace
