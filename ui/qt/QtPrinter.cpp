// The Qt printer canvas. Texts are placed by the top left corner of their cell, as the
// report gives them (the baseline kTextBaselineEms below it); the face asked for comes
// first, a CJK face behind it for Chinese characters.
#include "ui/qt/QtPrinter.h"

#include <QFile>
#include <QPainter>
#include <stdexcept>

#include "sys/CodePage.h"
#include "sys/Files.h"
#include "ui/qt/QtText.h"

namespace ui {

QtPrinter::QtPrinter() : printer_(QPrinter::HighResolution) {
  SetFont("Arial", 10);
}

QtPrinter::~QtPrinter() {
  if (painter_ && painter_->isActive()) {
    painter_->end();
  }
}

int QtPrinter::PixelsPerInchX() const {
  return printer_.resolution();
}

int QtPrinter::PixelsPerInchY() const {
  return printer_.resolution();
}

void QtPrinter::BeginDoc(const std::string& title) {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
  printer_.setDocName(ToQt(title));
  // A printed report holds the bank's users: a file printed to is private, as every
  // file the module writes is, before Qt writes it with the umask's mode.
  const QString file = printer_.outputFileName();
  if (!file.isEmpty() && !sys::PreparePrivateFile(QFile::encodeName(file).toStdString())) {
    throw std::runtime_error(sys::Utf8ToGbk("cannot print to " + file.toStdString()));
  }
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(&printer_)) {
    const std::string where = printer_.outputFileName().isEmpty()
                                  ? "the printer " + printer_.printerName().toStdString()
                                  : printer_.outputFileName().toStdString();
    throw std::runtime_error(sys::Utf8ToGbk("cannot print to " + where));
  }
  painter_ = std::move(painter);
  painter_->setFont(font_);
}

// Drawing outside a job opens one, as the recording printer does.
QPainter& QtPrinter::Painter() {
  if (!painter_) {
    BeginDoc(std::string());
  }
  return *painter_;
}

void QtPrinter::NewPage() {
  Painter();
  if (!printer_.newPage()) {
    throw std::runtime_error("the printer cannot start a new page");
  }
}

void QtPrinter::EndDoc() {
  if (!painter_) {
    return;
  }
  painter_->end();
  painter_.reset();
}

void QtPrinter::SetFont(const std::string& name, int pointSize) {
  QStringList families;
  if (!name.empty()) {
    families.append(ToQt(name));
  }
  families.append(QStringLiteral("Noto Sans CJK SC"));
  font_.setFamilies(families);
  font_.setPointSize(pointSize > 0 ? pointSize : 10);
  if (painter_) {
    painter_->setFont(font_);
  }
}

void QtPrinter::TextOut(int x, int y, const std::string& text) {
  QPainter& painter = Painter();
  const double em = painter.font().pointSizeF() * printer_.resolution() / 72.0;
  painter.drawText(QPointF(x, y + kTextBaselineEms * em), ToQt(text));
}

void QtPrinter::Line(int x1, int y1, int x2, int y2) {
  Painter().drawLine(x1, y1, x2, y2);
}

}  // namespace ui
