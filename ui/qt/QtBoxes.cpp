// The boxes: Qt's own dialogs, set up as the original platform's behave.
#include "ui/qt/QtBoxes.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTranslator>
#include <QValidator>

#include "ui/qt/QtText.h"

namespace ui {
namespace {

QMessageBox::Icon IconOf(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::Error:
      return QMessageBox::Critical;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// A Yes/No box of the original platform has no Escape answer and no close box that
// works: only its buttons answer it. Qt would take No for both.
class YesNoBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Cancel)) {
      event->accept();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (clickedButton() == nullptr) {
      event->ignore();
      return;
    }
    QMessageBox::closeEvent(event);
  }
};

// Refuses a text holding a character GBK cannot write, with the beep.
class GbkValidator : public QValidator {
 public:
  GbkValidator(std::function<void()> refused, QObject* parent)
      : QValidator(parent), refused_(std::move(refused)) {}
  State validate(QString& input, int&) const override {
    if (FromQt(input)) {
      return Acceptable;
    }
    if (refused_) {
      refused_();
    }
    return Invalid;
  }

 private:
  std::function<void()> refused_;
};

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& caption, const std::string& text,
                                            MsgButtons buttons, MsgIcon icon, int defaultButton,
                                            QWidget* parent) {
  std::unique_ptr<QMessageBox> box =
      buttons == MsgButtons::YesNo
          ? std::make_unique<YesNoBox>(IconOf(icon), ToQt(caption), ToQt(text),
                                       QMessageBox::NoButton, parent)
          : std::make_unique<QMessageBox>(IconOf(icon), ToQt(caption), ToQt(text),
                                          QMessageBox::NoButton, parent);
  std::vector<QPushButton*> order;
  switch (buttons) {
    case MsgButtons::Ok:
      order = {box->addButton(QMessageBox::Ok)};
      box->setEscapeButton(order[0]);
      break;
    case MsgButtons::OkCancel:
      order = {box->addButton(QMessageBox::Ok), box->addButton(QMessageBox::Cancel)};
      box->setEscapeButton(order[1]);
      break;
    case MsgButtons::YesNo:
      order = {box->addButton(QMessageBox::Yes), box->addButton(QMessageBox::No)};
      break;
  }
  const std::size_t chosen =
      defaultButton >= 1 && static_cast<std::size_t>(defaultButton) <= order.size()
          ? static_cast<std::size_t>(defaultButton - 1)
          : 0;
  box->setDefaultButton(order[chosen]);
  return box;
}

int MessageResult(const QMessageBox& box) {
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
      return mrOk;
    case QMessageBox::Yes:
      return mrYes;
    case QMessageBox::No:
      return mrNo;
    default:
      return mrCancel;
  }
}

std::unique_ptr<QInputDialog> MakeInputBox(const std::string& caption, const std::string& prompt,
                                           const std::string& value, QWidget* parent,
                                           std::function<void()> refused) {
  auto box = std::make_unique<QInputDialog>(parent);
  box->setInputMode(QInputDialog::TextInput);
  box->setWindowTitle(ToQt(caption));
  box->setLabelText(ToQt(prompt));
  box->setTextValue(ToQt(value));
  if (auto* edit = box->findChild<QLineEdit*>()) {
    edit->setValidator(new GbkValidator(std::move(refused), edit));
  }
  return box;
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
  return icon(info.isDir() ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
  if (!info.isFile()) {
    return QFileIconProvider::type(info);
  }
  const QMimeType mime = names_.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
  return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

std::unique_ptr<QFileDialog> MakeFileDialog(bool save, const std::string& filter,
                                            const std::string& path, NameOnlyIconProvider& names,
                                            QWidget* parent) {
  auto dialog = std::make_unique<QFileDialog>(parent);
  dialog->setIconProvider(&names);
  // Qt's own dialog on every desktop, so it behaves the same everywhere and in tests.
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = NameFilters(filter);
  if (!filters.isEmpty()) {
    dialog->setNameFilters(filters);
  }
  const QString initial = ToQt(path);
  if (!initial.isEmpty()) {
    const QFileInfo info(initial);
    if (info.isDir()) {
      dialog->setDirectory(info.absoluteFilePath());
    } else {
      dialog->setDirectory(info.absolutePath());
      dialog->selectFile(info.fileName());
    }
  }
  return dialog;
}

std::unique_ptr<QTranslator> QtTranslation(const QLocale& language) {
  auto translation = std::make_unique<QTranslator>();
  if (!translation->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return nullptr;
  }
  return translation;
}

}  // namespace ui
