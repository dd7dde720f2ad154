// The printer canvas on a real printer: QPainter over a QPrinter at the printer's own
// resolution, so the report draws its pages in the printer's pixels as it does on the
// recording printer of a script. The print dialog chooses the printer, or a PDF file.
#pragma once

#include <QFont>
#include <QPrinter>
#include <memory>

#include "ui/Platform.h"

class QPainter;

namespace ui {

class QtPrinter : public PrinterCanvas {
 public:
  QtPrinter();
  ~QtPrinter() override;

  QPrinter& Device() { return printer_; }

  int PixelsPerInchX() const override;
  int PixelsPerInchY() const override;
  // Throws std::runtime_error when the printer (or the PDF file) cannot be opened, or a
  // page cannot be added.
  void BeginDoc(const std::string& title) override;
  void NewPage() override;
  void EndDoc() override;
  void SetFont(const std::string& name, int pointSize) override;
  void TextOut(int x, int y, const std::string& text) override;
  void Line(int x1, int y1, int x2, int y2) override;

 private:
  QPainter& Painter();
  QPrinter printer_;
  std::unique_ptr<QPainter> painter_;
  QFont font_;
};

}  // namespace ui
