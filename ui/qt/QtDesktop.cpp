// The Qt platform: modal forms in event loops of their own, boxes, printing, the owner
// window, and the screen of a scripted run.
#include "ui/qt/QtDesktop.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QImage>
#include <QInputDialog>
#include <QPixmap>
#include <QPrintDialog>
#include <QScreen>
#include <QThreadPool>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "sys/CodePage.h"
#include "ui/Input.h"
#include "ui/qt/QtBoxes.h"
#include "ui/qt/QtFont.h"
#include "ui/qt/QtPrinter.h"
#include "ui/qt/QtText.h"
#include "ui/script/PdfPrintWriter.h"

namespace ui {
namespace {

// Whether window names a window of the X display the application is connected to.
bool XWindowExists(xcb_window_t window) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) {
    return false;
  }
  xcb_connection_t* connection = x11->connection();
  xcb_generic_error_t* error = nullptr;
  xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
      connection, xcb_get_window_attributes(connection, window), &error);
  const bool exists = reply != nullptr && error == nullptr;
  std::free(reply);
  std::free(error);
  return exists;
}

// A file dialog lists its folder on a thread of Qt's: its picture waits until the
// listing is in (for at most two seconds), so that it shows the files.
void AwaitListing(QWidget& box) {
  auto* dialog = qobject_cast<QFileDialog*>(&box);
  auto* model = dialog != nullptr ? dialog->findChild<QFileSystemModel*>() : nullptr;
  if (model == nullptr) {
    return;
  }
  const QString folder = dialog->directory().absolutePath();
  if (model->rowCount(model->index(folder)) == 0) {
    QEventLoop loop;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, &loop,
                     [&loop, folder](const QString& loaded) {
                       if (loaded == folder) {
                         loop.quit();
                       }
                     });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// What a window's frame and title bar take around its client area, at most, on the
// desktops in use: a form is held to the screen's room less this.
constexpr QSize kWindowFrame(16, 40);

// Every window shown is modal: minimised, it would leave its caller waiting behind
// nothing, so its title bar offers no minimise button; only a sizeable form may be
// maximised. The close box stays where the window had one.
void SetTitleButtons(QWidget& top, bool maximisable) {
  const Qt::WindowFlags flags = top.windowFlags();
  Qt::WindowFlags wanted = flags;
  wanted &= ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
  if (!flags.testFlag(Qt::CustomizeWindowHint)) {
    // The window system's own choice made explicit, less the two buttons.
    wanted |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
              Qt::WindowCloseButtonHint;
  }
  if (maximisable) {
    wanted |= Qt::WindowMaximizeButtonHint;
  }
  if (wanted != flags) {
    top.setWindowFlags(wanted);
  }
}

}  // namespace

QtDesktop::QtDesktop(std::unique_ptr<ScriptRunner> script, std::shared_ptr<void> application)
    : application_(std::move(application)),
      script_(std::move(script)),
      printer_(std::make_unique<QtPrinter>()) {
  if (script_) {
    script_->SetScreen(this);
  }
}

QtDesktop::~QtDesktop() {
  if (script_) {
    script_->SetScreen(nullptr);
  }
  played_.clear();
  if (hourglass_) {
    QGuiApplication::restoreOverrideCursor();
  }
}

QWidget* QtDesktop::Parent() const {
  return windows_.empty() ? nullptr : windows_.back();
}

QWindow* QtDesktop::OwnerQWindow() {
  const HWND_T handle = OwnerWindow();
  if (handle == 0) {
    return nullptr;
  }
  for (QWindow* window : QGuiApplication::allWindows()) {
    if (window->handle() != nullptr && static_cast<HWND_T>(window->winId()) == handle) {
      return window;
    }
  }
  if (QGuiApplication::platformName() == QStringLiteral("xcb") &&
      XWindowExists(static_cast<xcb_window_t>(handle))) {
    if (!foreignOwner_ || static_cast<HWND_T>(foreignOwner_->winId()) != handle) {
      foreignOwner_.reset(QWindow::fromWinId(static_cast<WId>(handle)));
    }
    return foreignOwner_.get();
  }
  return nullptr;
}

// A window with a parent is centred on it by Qt; a top-level one is made transient for
// the owner window and centred on it, or else centred on the screen. Its title bar is
// set first (TitleButtons).
void QtDesktop::Place(QWidget& top) {
  auto* form = dynamic_cast<FormWindow*>(&top);
  SetTitleButtons(top, form != nullptr && form->Form().BorderStyle() == bsSizeable);
  if (QScreen* screen = QGuiApplication::primaryScreen(); form != nullptr && screen != nullptr) {
    form->SetRoom(screen->availableGeometry().size() - kWindowFrame);
  }
  if (top.parentWidget() != nullptr) {
    return;
  }
  QWindow* owner = OwnerQWindow();
  QRect area;
  if (owner != nullptr) {
    top.winId();
    top.windowHandle()->setTransientParent(owner);
    area = owner->geometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) {
    // A box takes its size as it is first shown; a form has the model's.
    if (!top.testAttribute(Qt::WA_Resized)) {
      top.ensurePolished();
      top.adjustSize();
    }
    top.move(area.center() - QPoint(top.width() / 2, top.height() / 2));
  }
}

void QtDesktop::Paint() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Each window shows what its form recorded as changed since it last looked.
void QtDesktop::SyncAll() {
  for (FormWindow* window : windows_) {
    if (!window->Closed()) {
      window->SyncChanges();
    }
  }
}

// Only the innermost form takes input; a form further out that a handler asked to close
// is asked when the input that opened the inner one has been handled.
void QtDesktop::AfterInput() {
  if (!windows_.empty()) {
    windows_.back()->CheckClose();
  }
  SyncAll();
}

void QtDesktop::Refused() {
  ++refusals_;
  QApplication::beep();
}

int QtDesktop::ShowModal(TForm& form) {
  if (script_) {
    return script_->ShowModal(form);
  }
  SyncAll();
  FormWindow window(form, *this, Parent(), true);
  windows_.push_back(&window);
  struct Pop {
    std::vector<FormWindow*>& windows;
    ~Pop() { windows.pop_back(); }
  } pop{windows_};

  Dispatch([&] { form.BeginModal(); });
  window.Sync();
  window.CheckClose();
  if (!window.Closed()) {
    window.setWindowModality(Qt::ApplicationModal);
    Place(window);
    window.show();
    window.Sync();  // again once shown: a line edit scrolls to its caret only while visible
    QEventLoop loop;
    window.SetLoop(&loop);
    if (onShown_) {
      QTimer::singleShot(0, &window, [this, &window] { onShown_(window); });
    }
    loop.exec();
    window.SetLoop(nullptr);
  }
  window.hide();
  // A loop ended from outside (the application quitting) closes the form as cancelled.
  const int result = window.Closed() ? window.Result() : static_cast<int>(mrCancel);
  Dispatch([&] { form.EndModal(); });
  form.SetModalResult(result);
  return result;
}

int QtDesktop::Run(QDialog& box) {
  Place(box);
  if (onBox_) {
    QTimer::singleShot(0, &box, [this, &box] { onBox_(box); });
  }
  return box.exec();
}

template <class Answer>
auto QtDesktop::WhileShown(QWidget& box, const char* what, Answer&& answer) -> decltype(answer()) {
  Place(box);
  box.show();
  Paint();
  AutoShot(box, what);
  openBox_ = &box;
  struct Close {
    QWidget*& open;
    ~Close() { open = nullptr; }
  } close{openBox_};
  return answer();
}

int QtDesktop::MessageBox(const std::string& caption, const std::string& text, MsgButtons buttons,
                          MsgIcon icon, int defaultButton) {
  SyncAll();
  auto box = MakeMessageBox(caption, text, buttons, icon, defaultButton, Parent());
  if (FormWindow* top = TopWindow()) {
    box->setFont(top->font());  // the dialog's language, in its face
  }
  if (script_) {
    return WhileShown(*box, "message",
                      [&] { return script_->MessageBox(caption, text, buttons, icon); });
  }
  Run(*box);
  return MessageResult(*box);
}

bool QtDesktop::InputBox(const std::string& caption, const std::string& prompt,
                         std::string& value) {
  SyncAll();
  auto box = MakeInputBox(caption, prompt, value, Parent(), [this] { Refused(); });
  if (FormWindow* top = TopWindow()) {
    box->setFont(top->font());
  }
  if (script_) {
    return WhileShown(*box, "input", [&] { return script_->InputBox(caption, prompt, value); });
  }
  if (Run(*box) != QDialog::Accepted) {
    return false;
  }
  // The box's edit took only what GBK can write.
  value = FromQt(box->textValue()).value_or(value);
  return true;
}

bool QtDesktop::FileDialog(bool save, const std::string& filter, std::string& path) {
  SyncAll();
  NameOnlyIconProvider names;  // outlives the dialog
  auto dialog = MakeFileDialog(save, filter, path, names, Parent());
  if (script_) {
    return WhileShown(*dialog, "file", [&] { return script_->FileDialog(save, filter, path); });
  }
  while (Run(*dialog) == QDialog::Accepted) {
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty()) {
      continue;
    }
    if (std::optional<std::string> chosen = FromQt(files.front())) {
      path = *chosen;
      return true;
    }
    // The module's texts are GBK: a name it cannot write would name another file.
    Refused();
    MessageBox(kAppTitle,
               sys::Utf8ToGbk("The file name cannot be written in the module's code page "
                              "(GBK); choose another name."),
               MsgButtons::Ok, MsgIcon::Warning);
  }
  return false;
}

// With TAVRO_UI_PRINT_DIR set, the dialog offers a fresh PDF file in that folder, where
// the printed reports are kept.
bool QtDesktop::PrintDialog() {
  SyncAll();
  if (const std::string folder = PrintFolderFromEnvironment(); !folder.empty()) {
    printer_->Device().setOutputFileName(
        QFileInfo(QString::fromStdString(FreePrintFileName(folder))).absoluteFilePath());
  }
  QPrintDialog dialog(&printer_->Device(), Parent());
  if (script_) {
    return WhileShown(dialog, "print", [&] { return script_->PrintDialog(); });
  }
  return Run(dialog) == QDialog::Accepted;
}

PrinterCanvas& QtDesktop::Printer() {
  if (script_) {
    return script_->Printer();
  }
  return *printer_;
}

void QtDesktop::SetHourglass(bool busy) {
  if (busy == hourglass_) {
    return;
  }
  hourglass_ = busy;
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

// Everything queued is handled, so input too is taken off the queue: the forms drop it
// (TakesInput), and none is left to reach the dialog once the work is over.
void QtDesktop::ProcessPendingEvents() {
  SyncAll();
  working_ = true;
  struct Done {
    bool& working;
    ~Done() { working = false; }
  } done{working_};
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtDesktop::WorkSummary(const std::string& text) {
  if (script_) {
    script_->WorkSummary(text);
  }
}

TextSize QtDesktop::TextExtent(const TFont& font, const std::string& text) {
  return QtTextExtent(font, text);
}

// An entry point returns to a caller that is no Qt program: the threads Qt started
// meanwhile (its pool draws and converts images) end now, so none is left running when
// the caller goes on or exits. A Qt program's own pool is its business.
void QtDesktop::EntryCallEnded() {
  if (script_) {
    script_->EntryCallEnded();
  }
  if (application_) {
    QThreadPool::globalInstance()->waitForDone();
  }
}

// The translation goes with the platform (its destructor takes it out of the
// application), before the application itself. Qt's formats (the dates a file dialog
// lists) follow the same language.
void QtDesktop::SetLanguage(const std::string& locale) {
  if (language_ == locale) {
    return;
  }
  language_ = locale;
  QLocale::setDefault(locale.empty() ? QLocale(QLocale::English, QLocale::UnitedStates)
                                     : QLocale(QString::fromStdString(locale)));
  translation_.reset();
  if (!locale.empty()) {
    translation_ = QtTranslation(QLocale(QString::fromStdString(locale)));
    if (translation_) {
      QCoreApplication::installTranslator(translation_.get());
    }
  }
}

void QtDesktop::FormShown(TForm& form) {
  SyncAll();
  WindowHost& host = *this;
  auto window = std::make_unique<FormWindow>(form, host, Parent(), false);
  window->Sync();
  Place(*window);
  window->show();
  window->Sync();  // again once shown: a line edit scrolls to its caret only while visible
  windows_.push_back(window.get());
  played_.push_back(std::move(window));
  Paint();
  AutoShot(*windows_.back(), form.ClassName());
}

void QtDesktop::FormChanged(TForm&) {
  SyncAll();
  Paint();
}

void QtDesktop::FormClosed(TForm& form) {
  for (auto it = played_.begin(); it != played_.end(); ++it) {
    if (&(*it)->Form() == &form) {
      // As the operator left it: the window still shows the model's last state.
      AutoShot(**it, std::string(form.ClassName()) + "-end");
      windows_.erase(std::remove(windows_.begin(), windows_.end(), it->get()), windows_.end());
      played_.erase(it);
      break;
    }
  }
  Paint();
}

bool QtDesktop::SaveShot(const std::string& path, std::string& why) {
  SyncAll();
  Paint();
  QWidget* shown = openBox_ != nullptr ? openBox_ : Parent();
  if (shown == nullptr) {
    why = "no form or box is open";
    return false;
  }
  const QImage image = shown->grab().toImage();
  if (image.isNull()) {
    why = "the window could not be drawn";
    return false;
  }
  if (!image.save(ToQt(path), "PNG")) {
    why = "cannot write " + sys::GbkToUtf8(path);
    return false;
  }
  return true;
}

void QtDesktop::AutoShot(QWidget& shown, const std::string& what) {
  if (shotFolder_.empty()) {
    return;
  }
  AwaitListing(shown);
  ++shots_;
  char number[16];
  std::snprintf(number, sizeof number, "%02d-", shots_);
  const QString path = QString::fromStdString(shotFolder_ + "/" + number + what + ".png");
  const QImage image = shown.grab().toImage();
  if (image.isNull() || !image.save(path, "PNG")) {
    std::fprintf(stderr, "ManageEdit (Qt): cannot save the picture %s\n",
                 path.toLocal8Bit().constData());
  }
}

}  // namespace ui
