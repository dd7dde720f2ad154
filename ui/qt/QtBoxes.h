// The platform's boxes on Qt: message boxes, the input box, open and save file dialogs
// and the print dialog, made ready to show (modally for the operator, or shown while a
// script answers them) and read afterwards in the model's terms.
#pragma once

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <functional>
#include <memory>
#include <string>

#include "ui/Platform.h"

class QFileDialog;
class QTranslator;
class QInputDialog;

namespace ui {

// A message box with the original platform's buttons (OK; OK and Cancel; Yes and No),
// icon, caption and default button (1-based). Escape answers Cancel in an OK/Cancel box
// and OK in an OK box; a Yes/No box has no Escape answer (nor a close box that works).
std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& caption, const std::string& text,
                                            MsgButtons buttons, MsgIcon icon, int defaultButton,
                                            QWidget* parent);
// The modal result of the button the operator pressed.
int MessageResult(const QMessageBox& box);

// The input box with its prompt and default text. Its edit takes only texts that GBK can
// write; a character it refuses calls refused.
std::unique_ptr<QInputDialog> MakeInputBox(const std::string& caption, const std::string& prompt,
                                           const std::string& value, QWidget* parent,
                                           std::function<void()> refused);

// Shows a file's icon and type from its name alone. Qt's own provider reads the first
// bytes of every file in the folder shown to tell its type, and a file dialog showing
// the folder of the embedded bank would then open and close the bank's files, its
// write-ahead log and its shared memory in the very process that has the bank open.
class NameOnlyIconProvider : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override;
  QString type(const QFileInfo& info) const override;

 private:
  QMimeDatabase names_;
};

// An open or save dialog with the filter "description|pattern|..." in Qt's form and the
// initial name (a folder opens in it). A save dialog does not ask before replacing a
// file: whether it may is the dialog code's to decide, as on the original platform. The
// dialog shows files through names, which must outlive it.
std::unique_ptr<QFileDialog> MakeFileDialog(bool save, const std::string& filter,
                                            const std::string& path, NameOnlyIconProvider& names,
                                            QWidget* parent);

// Qt's own translation of the texts it puts in boxes and dialogs (the buttons of a
// message box, the file and print dialogs) into language, loaded but not installed; null
// when Qt has none for the language.
std::unique_ptr<QTranslator> QtTranslation(const QLocale& language);

}  // namespace ui
