// The platform's boxes on Qt (message, input, file and print), the printer canvas on a PDF,
// the hourglass and the text measure.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QPrintDialog>
#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <fstream>

#include "QtFormTest.h"
#include "sys/CodePage.h"
#include "tests/support/PdfTools.h"
#include "tests/support/TestEnv.h"
#include "ui/headless/TextMeasure.h"
#include "ui/qt/QtBoxes.h"
#include "ui/qt/QtPrinter.h"

namespace {

using tavro_test::Gbk;

class BoxesTest : public qt_test::QtPlatformTest {
 protected:
  // The box's answer when the operator does press (a key or a button) on it.
  int Ask(ui::MsgButtons buttons, int defaultButton,
          const std::function<void(QMessageBox&)>& press) {
    Desktop().SetOnBox([&](QDialog& box) { press(static_cast<QMessageBox&>(box)); });
    const int answer = ui::CurrentPlatform().MessageBox(Gbk("标题"), Gbk("是否删除?"), buttons,
                                                        ui::MsgIcon::Question, defaultButton);
    Desktop().SetOnBox(nullptr);
    return answer;
  }
};

TEST_F(BoxesTest, MessageBoxesHaveThePlatformsButtonsAndKeys) {
  struct Case {
    ui::MsgButtons buttons;
    int defaultButton;
    Qt::Key key;
    int answer;
  };
  const Case cases[] = {
      {ui::MsgButtons::YesNo, 1, Qt::Key_Return, ui::mrYes},
      {ui::MsgButtons::YesNo, 2, Qt::Key_Return, ui::mrNo},
      {ui::MsgButtons::OkCancel, 1, Qt::Key_Escape, ui::mrCancel},
      {ui::MsgButtons::OkCancel, 2, Qt::Key_Return, ui::mrCancel},
      {ui::MsgButtons::Ok, 1, Qt::Key_Escape, ui::mrOk},
  };
  for (const Case& c : cases) {
    const int answer = Ask(c.buttons, c.defaultButton, [&](QMessageBox& box) {
      EXPECT_EQ(box.windowTitle(), QString::fromUtf8("标题"));
      EXPECT_EQ(box.text(), QString::fromUtf8("是否删除?"));
      EXPECT_EQ(box.icon(), QMessageBox::Question);
      QTest::keyClick(&box, c.key);
    });
    EXPECT_EQ(answer, c.answer) << static_cast<int>(c.buttons) << " default " << c.defaultButton;
  }
  // A Yes/No box has no Escape answer: the box stays until a button is pressed.
  const int answer = Ask(ui::MsgButtons::YesNo, 1, [](QMessageBox& box) {
    QTest::keyClick(&box, Qt::Key_Escape);
    box.close();
    EXPECT_TRUE(box.isVisible());
    QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton);
  });
  EXPECT_EQ(answer, ui::mrNo);
}

// Qt's own texts in boxes speak the module's language, whatever the desktop's; one Qt has
// no translation for, or none, is English.
TEST_F(BoxesTest, QtsOwnButtonsSpeakTheModulesLanguage) {
  const auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
  const auto saveAs = [] { return QCoreApplication::translate("QFileDialog", "Save As"); };
  Desktop().SetLanguage("zh_CN");
  EXPECT_EQ(yes(), QString::fromUtf8("是(&Y)"));
  EXPECT_EQ(saveAs(), QString::fromUtf8("另存为"));
  EXPECT_EQ(QLocale().name(), "zh_CN");
  Desktop().SetLanguage("zu");
  EXPECT_EQ(yes(), QStringLiteral("&Yes")) << "the translation before is gone";
  Desktop().SetLanguage("");
  EXPECT_EQ(QLocale().name(), "en_US");
}

// A handle naming a window of the calling program makes the boxes its own; any other
// (zero, or one that names no window, as the shell's) centres them on the screen.
TEST_F(BoxesTest, TheOwnerWindowOwnsTheBoxesOrTheScreenCentresThem) {
  QWidget host;
  host.setWindowTitle("host");
  host.setGeometry(40, 30, 500, 400);
  host.show();
  QWindow* transient = nullptr;
  QPoint center;
  Desktop().SetOnBox([&](QDialog& box) {
    transient = box.windowHandle()->transientParent();
    center = box.geometry().center();
    box.accept();
  });
  for (HWND_T owner : {static_cast<HWND_T>(host.winId()), HWND_T{0}, HWND_T{0x7FFF0001}}) {
    ui::OwnerWindowScope scope(owner);
    transient = nullptr;
    ui::ShowMessage("x");
    if (owner == static_cast<HWND_T>(host.winId())) {
      EXPECT_EQ(transient, host.windowHandle());
      EXPECT_LE((center - host.geometry().center()).manhattanLength(), 40);
    } else {
      EXPECT_NE(transient, host.windowHandle()) << owner;
      const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
      EXPECT_LE((center - screen).manhattanLength(), 40) << owner;
    }
  }
  Desktop().SetOnBox(nullptr);
}

TEST_F(BoxesTest, TheInputBoxTakesOnlyWhatGbkCanWrite) {
  std::string value = Gbk("运费");
  Desktop().SetOnBox([&](QDialog& dialog) {
    auto& box = static_cast<QInputDialog&>(dialog);
    EXPECT_EQ(box.labelText(), QString::fromUtf8("请输入用途:"));
    EXPECT_EQ(box.textValue(), QString::fromUtf8("运费"));
    QLineEdit* edit = box.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("办公用品"));
    QCoreApplication::sendEvent(edit, &commit);
    QKeyEvent armenian(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                       QString::fromUtf8("\xD5\xA1"));
    QCoreApplication::sendEvent(edit, &armenian);
    box.accept();
  });
  EXPECT_TRUE(ui::CurrentPlatform().InputBox(Gbk("新增用途"), Gbk("请输入用途:"), value));
  EXPECT_EQ(value, Gbk("办公用品"));
  EXPECT_EQ(Desktop().Refusals(), 1);
  Desktop().SetOnBox([](QDialog& box) { box.reject(); });
  EXPECT_FALSE(ui::CurrentPlatform().InputBox("t", "p", value));
  EXPECT_EQ(value, Gbk("办公用品"));
  Desktop().SetOnBox(nullptr);
}

TEST_F(BoxesTest, FileDialogsShowTheFilterAndReturnTheChosenPath) {
  const std::string folder = testing::TempDir() + "qt-file-dialog";
  std::filesystem::create_directories(folder);
  tavro_test::WriteFile(folder + "/users.csv", "x");
  QStringList filters;
  Desktop().SetOnBox([&](QDialog& dialog) {
    auto& files = static_cast<QFileDialog&>(dialog);
    filters = files.nameFilters();
    EXPECT_EQ(files.acceptMode(), QFileDialog::AcceptOpen);
    files.selectFile(QString::fromStdString(folder + "/users.csv"));
    static_cast<QDialog&>(files).accept();
  });
  std::string path = folder + "/";
  EXPECT_TRUE(ui::CurrentPlatform().FileDialog(false, "CSV (*.csv)|*.csv|All files|*.*", path));
  EXPECT_EQ(path, folder + "/users.csv");
  EXPECT_EQ(filters, (QStringList{"CSV (*.csv)", "All files (*)"}));
  Desktop().SetOnBox([](QDialog& dialog) { dialog.reject(); });
  EXPECT_FALSE(ui::CurrentPlatform().FileDialog(true, "", path));
  EXPECT_EQ(path, folder + "/users.csv");
  Desktop().SetOnBox(nullptr);
}

// The print dialog offers the next free report file of the print folder. The report draws
// in the printer's pixels; its PDF has its pages and Chinese texts, private to its user.
TEST_F(BoxesTest, ThePrinterCanvasPrintsPagesAtThePrintersResolution) {
  const std::string folder = testing::TempDir() + "qt-print-folder";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  std::ofstream(folder + "/tavro-print-1.pdf") << "taken";
  QString offered;
  Desktop().SetOnBox([&](QDialog& dialog) {
    ASSERT_NE(qobject_cast<QPrintDialog*>(&dialog), nullptr);
    offered = static_cast<QPrintDialog&>(dialog).printer()->outputFileName();
    dialog.reject();
  });
  {
    tavro_test::ScopedEnv printDir("TAVRO_UI_PRINT_DIR", folder.c_str());
    EXPECT_FALSE(ui::CurrentPlatform().PrintDialog());
    EXPECT_EQ(offered.toStdString(), folder + "/tavro-print-2.pdf");
  }
  const std::string pdf = folder + "/canvas.pdf";
  const mode_t umaskWas = umask(022);
  auto& printer = dynamic_cast<ui::QtPrinter&>(ui::CurrentPlatform().Printer());
  printer.Device().setOutputFileName(QString::fromStdString(pdf));
  EXPECT_FALSE(ui::CurrentPlatform().PrintDialog());
  Desktop().SetOnBox(nullptr);
  const int ppi = printer.PixelsPerInchX();
  EXPECT_GE(ppi, 300);
  EXPECT_EQ(printer.PixelsPerInchY(), ppi);
  printer.BeginDoc("report");
  printer.SetFont(Gbk("宋体"), 12);
  printer.TextOut(ppi, ppi, Gbk("用户档案报告 000005"));
  printer.Line(ppi, 2 * ppi, 4 * ppi, 2 * ppi);
  printer.NewPage();
  printer.TextOut(ppi, ppi, "second page");
  printer.EndDoc();
  umask(umaskWas);
  struct stat info {};
  ASSERT_EQ(stat(pdf.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(pdf_tools::PageCount(pdf), 2);
  const std::string text = pdf_tools::Text(pdf);
  EXPECT_NE(text.find("档案报告 000005"), std::string::npos) << text;
  EXPECT_NE(text.find("second page"), std::string::npos) << text;
}

TEST_F(BoxesTest, TheHourglassIsTheOverrideCursor) {
  ui::CurrentPlatform().SetHourglass(true);
  ui::CurrentPlatform().SetHourglass(true);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ui::CurrentPlatform().SetHourglass(false);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "one restore for one hourglass";
}

// The measure is the real font's: lines one below the other are as wide as the widest and
// add up in height; it agrees with the headless measure (runs of blanks too).
TEST_F(BoxesTest, TextExtentsAreTheScreenFontsAndAgreeWithTheHeadlessMeasure) {
  ui::TFont font;
  font.Name = Gbk("宋体");
  font.Size = 9;
  font.Charset = 134;
  ui::Platform& platform = ui::CurrentPlatform();
  const ui::TextSize one = platform.TextExtent(font, Gbk("业务权限设置"));
  const ui::TextSize two = platform.TextExtent(font, Gbk("业务权限设置\r\n权限"));
  EXPECT_GE(one.Width, 6 * 12 - 2);  // six characters of a 12-pixel face
  EXPECT_EQ(two.Width, one.Width);
  EXPECT_GT(two.Height, one.Height * 3 / 2);
  ui::TextMeasure pango;
  ui::TFont sans;
  sans.Name = "MS Sans Serif";
  ui::TFont fixed;  // one monospaced face for Latin and Chinese
  fixed.Name = "Courier New";
  for (const ui::TFont& face : {font, sans, fixed}) {
    for (const char* utf8 : {"用户号 User Id", "iiii WWWW",
                             "        BankName list                                Details"}) {
      const ui::TextSize qt = platform.TextExtent(face, Gbk(utf8));
      const ui::TextSize headless = pango.Extent(face, Gbk(utf8));
      EXPECT_NEAR(qt.Width, headless.Width, 3) << utf8;
      EXPECT_NEAR(qt.Height, headless.Height, 3) << utf8;
    }
  }
}

}  // namespace
