// The recording printer: pages of drawing operations in the order they were drawn.
#include "ui/script/RecordingPrinter.h"

namespace ui {

// A job starts with its first page; drawing outside a job opens one, as a printer
// canvas used without BeginDoc would otherwise lose the output.
void RecordingPrinter::BeginDoc(const std::string& title) {
  job_ = PrintJob{};
  job_.Title = title;
  job_.PixelsPerInchX = ppi_;
  job_.PixelsPerInchY = ppi_;
  job_.Pages.emplace_back();
  printing_ = true;
}

PrintedPage& RecordingPrinter::Page() {
  if (!printing_) {
    BeginDoc(std::string());
  }
  return job_.Pages.back();
}

void RecordingPrinter::NewPage() {
  if (!printing_) {
    BeginDoc(std::string());
  }
  job_.Pages.emplace_back();
}

void RecordingPrinter::EndDoc() {
  if (!printing_) {
    return;
  }
  printing_ = false;
  jobs_.push_back(std::move(job_));
  job_ = PrintJob{};
  if (onEnd_) {
    onEnd_(jobs_.back());
  }
}

void RecordingPrinter::SetFont(const std::string& name, int pointSize) {
  if (!name.empty()) {
    fontName_ = name;
  }
  fontSize_ = pointSize;
}

void RecordingPrinter::TextOut(int x, int y, const std::string& text) {
  PrintOp op;
  op.Kind = PrintOpKind::Text;
  op.X1 = x;
  op.Y1 = y;
  op.FontName = fontName_;
  op.FontSize = fontSize_;
  op.Text = text;
  Page().Ops.push_back(std::move(op));
}

void RecordingPrinter::Line(int x1, int y1, int x2, int y2) {
  PrintOp op;
  op.Kind = PrintOpKind::Line;
  op.X1 = x1;
  op.Y1 = y1;
  op.X2 = x2;
  op.Y2 = y2;
  Page().Ops.push_back(std::move(op));
}

}  // namespace ui
