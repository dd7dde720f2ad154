// The Qt platform itself (made by CreateQtPlatform in ui/qt/QtPlatform.h; tests make
// it directly). Two ways to run:
//
// - the operator drives: each form is a window shown modally in a loop of its own until
//   the form closes; every input goes to the model (ui/qt/FormWindow.h); boxes are Qt's
//   modal dialogs; printing goes to a QPrinter.
// - a script plays: the script engine's runner made from the same environment plays it
//   (ui/script/ScriptRunner.h), writing the transcript and printing to the PDF files of
//   the headless platform; this platform shows each form and box on screen while it is
//   played and takes the `shot` pictures.
//
// The model is shown again after every input, before any box or nested form is shown,
// after every script line and at each turn long work gives the platform: no timer polls
// it. Each time only the controls that the form recorded as changed are shown again
// (FormWindow::SyncChanges).
#pragma once

#include <QWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Platform.h"
#include "ui/qt/FormWindow.h"
#include "ui/script/ScriptRunner.h"

class QApplication;
class QDialog;
class QTranslator;
class QWidget;

namespace ui {

class QtPrinter;

class QtDesktop : public Platform, private WindowHost, private ScriptScreen {
 public:
  // script: the run of the environment's script, or null when the operator drives. The
  // platform uses the QApplication there is (tests, a Qt host); application keeps one
  // made for it alive as long as the platform.
  explicit QtDesktop(std::unique_ptr<ScriptRunner> script,
                     std::shared_ptr<void> application = nullptr);
  ~QtDesktop() override;

  int ShowModal(TForm& form) override;
  int MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                 MsgIcon icon, int defaultButton = 1) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool FileDialog(bool save, const std::string& filter, std::string& path) override;
  bool PrintDialog() override;
  PrinterCanvas& Printer() override;
  void SetHourglass(bool busy) override;
  // The windows show the model as it is and Qt handles what has queued; the forms take
  // no input meanwhile (it is dropped). A script's run records the work's summary.
  void ProcessPendingEvents() override;
  void WorkSummary(const std::string& text) override;
  TextSize TextExtent(const TFont& font, const std::string& text) override;
  void EntryCallEnded() override;
  // Installs Qt's translation for locale in place of the one installed before (none for
  // English, or where Qt has none), and makes locale Qt's default for its formats.
  void SetLanguage(const std::string& locale) override;

  // For tests: called from the window's loop, once it runs, with each form the
  // operator gets, and with each box shown to the operator (from the box's own loop).
  void SetOnShown(std::function<void(FormWindow&)> fn) { onShown_ = std::move(fn); }
  void SetOnBox(std::function<void(QDialog&)> fn) { onBox_ = std::move(fn); }
  // Texts refused (with the beep) for a character that GBK cannot write.
  int Refusals() const { return refusals_; }
  // The innermost open form's window; null when none is open.
  FormWindow* TopWindow() const { return windows_.empty() ? nullptr : windows_.back(); }
  // The window an owner handle names (one of this process's Qt windows, or on X11 any
  // window of the display); null for none, and so the boxes are centred on the screen.
  QWindow* OwnerQWindow();
  // While a script plays: a PNG of every form as it opens and as it closes, and of every
  // box, into folder (UTF-8), named NN-WHAT.png in the order shown. Empty: none.
  void SetShotFolder(std::string folder) { shotFolder_ = std::move(folder); }

 private:
  // WindowHost
  void AfterInput() override;
  void Refused() override;
  bool TakesInput() const override { return !working_; }
  // ScriptScreen
  void FormShown(TForm& form) override;
  void FormChanged(TForm& form) override;
  void FormClosed(TForm& form) override;
  bool SaveShot(const std::string& path, std::string& why) override;

  void SyncAll();
  // Lets the windows paint while a script plays; the operator's input waits.
  static void Paint();
  QWidget* Parent() const;
  // Makes a top-level window transient for the owner window and centred on it, or
  // centres it on the screen.
  void Place(QWidget& top);
  // Runs a box modally (tests get it through SetOnBox); true when accepted.
  int Run(QDialog& box);
  // Shows a box while the script's answer is taken.
  template <class Answer>
  auto WhileShown(QWidget& box, const char* what, Answer&& answer) -> decltype(answer());
  // The picture of the shot folder (SetShotFolder); a failure is said on standard error
  // and leaves the run as it is.
  void AutoShot(QWidget& shown, const std::string& what);

  std::shared_ptr<void> application_;  // first: it goes last
  std::unique_ptr<ScriptRunner> script_;
  std::vector<FormWindow*> windows_;                 // open forms, innermost last
  std::vector<std::unique_ptr<FormWindow>> played_;  // windows of forms a script plays
  QWidget* openBox_ = nullptr;
  std::unique_ptr<QtPrinter> printer_;
  std::unique_ptr<QTranslator> translation_;  // Qt's texts in the module's language
  std::optional<std::string> language_;       // none until an entry point says
  std::unique_ptr<QWindow> foreignOwner_;
  std::function<void(FormWindow&)> onShown_;
  std::function<void(QDialog&)> onBox_;
  std::string shotFolder_;
  int shots_ = 0;
  bool hourglass_ = false;
  bool working_ = false;  // long work has given the platform its turn
  int refusals_ = 0;
};

}  // namespace ui
