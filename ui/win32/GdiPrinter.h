// The printer canvas on GDI: the report's pages drawn on the device context of the
// printer the operator chose in the print dialog (PrintDlgW), or of the default printer
// when the report prints without asking.
#pragma once

#include <string>

#include "ui/Platform.h"
#include "ui/win32/WinApi.h"

namespace ui::win32 {

class GdiPrinter : public PrinterCanvas {
 public:
  GdiPrinter() = default;
  ~GdiPrinter() override;
  GdiPrinter(const GdiPrinter&) = delete;
  GdiPrinter& operator=(const GdiPrinter&) = delete;

  // Takes the printer's device context from the print dialog (it is freed here).
  void Attach(HDC dc);

  int PixelsPerInchX() const override;
  int PixelsPerInchY() const override;
  void BeginDoc(const std::string& title) override;
  void NewPage() override;
  void EndDoc() override;
  void SetFont(const std::string& name, int pointSize) override;
  void TextOut(int x, int y, const std::string& text) override;
  void Line(int x1, int y1, int x2, int y2) override;

 private:
  // The device context, of the default printer when none was chosen; false when the
  // system has no printer.
  bool Ready();
  void Release();

  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  int emPixels_ = 0;
  bool printing_ = false;
};

}  // namespace ui::win32
