// A print job as the recording printer recorded it: pages of drawing operations in
// device pixels, in the order they were drawn. A writer (a PDF, a test) walks it.
#pragma once

#include <string>
#include <vector>

namespace ui {

enum class PrintOpKind { Text, Line };

struct PrintOp {
  PrintOpKind Kind = PrintOpKind::Text;
  int X1 = 0, Y1 = 0;  // text: top left corner; line: start
  int X2 = 0, Y2 = 0;  // line: end
  std::string FontName;
  int FontSize = 0;  // points
  std::string Text;  // GBK
};

struct PrintedPage {
  std::vector<PrintOp> Ops;
};

struct PrintJob {
  std::string Title;
  int PixelsPerInchX = 600;
  int PixelsPerInchY = 600;
  std::vector<PrintedPage> Pages;
};

}  // namespace ui
