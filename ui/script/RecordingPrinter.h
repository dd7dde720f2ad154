// The printer of a script's run: a canvas that records each job's drawing operations
// page by page instead of printing them, on any platform that plays the script.
#pragma once

#include <functional>
#include <vector>

#include "ui/Platform.h"
#include "ui/script/PrintRecord.h"

namespace ui {

class RecordingPrinter : public PrinterCanvas {
 public:
  static constexpr int kDefaultPixelsPerInch = 600;

  void SetPixelsPerInch(int ppi) { ppi_ = ppi > 0 ? ppi : kDefaultPixelsPerInch; }
  // Called with each finished job.
  void SetOnEndDoc(std::function<void(const PrintJob&)> onEnd) { onEnd_ = std::move(onEnd); }
  const std::vector<PrintJob>& Jobs() const { return jobs_; }
  bool Printing() const { return printing_; }

  int PixelsPerInchX() const override { return ppi_; }
  int PixelsPerInchY() const override { return ppi_; }
  void BeginDoc(const std::string& title) override;
  void NewPage() override;
  void EndDoc() override;
  void SetFont(const std::string& name, int pointSize) override;
  void TextOut(int x, int y, const std::string& text) override;
  void Line(int x1, int y1, int x2, int y2) override;

 private:
  PrintedPage& Page();
  int ppi_ = kDefaultPixelsPerInch;
  bool printing_ = false;
  PrintJob job_;
  std::string fontName_ = "Arial";
  int fontSize_ = 10;
  std::vector<PrintJob> jobs_;
  std::function<void(const PrintJob&)> onEnd_;
};

}  // namespace ui
