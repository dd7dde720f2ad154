// Page layout of the printed user report.
#include "admin/UserReportLayout.h"

#include <cstdint>
#include <cstdio>

#include "sys/CodePage.h"
#include "ui/Platform.h"

namespace admin {
namespace {

// The report's fixed texts in GBK, converted once.
struct ReportTexts {
  std::string Title = sys::Utf8ToGbk("用户档案及权限报告");
  std::string Bank = "Morvane";
  std::string System = sys::Utf8ToGbk("Tavro系统");
  std::string CorpName = sys::Utf8ToGbk("客户名称：");
  std::string PageOf = sys::Utf8ToGbk("第");
  std::string PageMid = sys::Utf8ToGbk("页/共");
  std::string PageEnd = sys::Utf8ToGbk("页");
  std::string Date = sys::Utf8ToGbk("报告日期：");
  std::array<std::string, kReportColumns> Headers = {
      sys::Utf8ToGbk("用户号"),   sys::Utf8ToGbk("姓名"),     sys::Utf8ToGbk("级别"),
      sys::Utf8ToGbk("状态"),     sys::Utf8ToGbk("启用日期"), sys::Utf8ToGbk("有效期至"),
      sys::Utf8ToGbk("开卡日期"),
  };
};

const ReportTexts& Texts() {
  static const ReportTexts texts;
  return texts;
}

// The canvas in report units: every position goes through the printer's resolution.
class ReportPen {
 public:
  explicit ReportPen(ui::PrinterCanvas& canvas)
      : canvas_(canvas), ppiX_(canvas.PixelsPerInchX()), ppiY_(canvas.PixelsPerInchY()) {}

  // Only the size is chosen; the face stays the printer's own.
  void Size(int points) { canvas_.SetFont(std::string(), points); }
  void Text(int x, int y, const std::string& text) {
    canvas_.TextOut(ToDevicePixels(x, ppiX_), ToDevicePixels(y, ppiY_), text);
  }
  void Rule(int y) {
    const int dy = ToDevicePixels(y, ppiY_);
    canvas_.Line(ToDevicePixels(kReportLeft, ppiX_), dy, ToDevicePixels(kReportRight, ppiX_), dy);
  }

 private:
  ui::PrinterCanvas& canvas_;
  int ppiX_;
  int ppiY_;
};

// "第1页/共2页": the numbers run together with the words, no blanks.
std::string PageText(int page, int pages) {
  const ReportTexts& t = Texts();
  return t.PageOf + std::to_string(page) + t.PageMid + std::to_string(pages) + t.PageEnd;
}

// One page: headings, the column titles, the page's rows and the footer.
void DrawPage(ReportPen& pen, const TUserReport& report, int page, int pages) {
  const ReportTexts& t = Texts();
  const int top = kReportTop;
  pen.Size(15);
  pen.Text(309, top, t.Bank);
  pen.Size(14);
  pen.Text(355, top + 28, t.System);
  pen.Text(325, top + 56, t.Title);
  pen.Rule(top + 86);
  pen.Rule(top + 88);
  pen.Size(12);
  pen.Text(kReportLeft, top + 94, t.CorpName + report.CorpName);
  pen.Text(565, top + 94, PageText(page, pages));
  pen.Rule(top + 115);
  pen.Rule(top + 117);
  pen.Size(11);
  for (std::size_t c = 0; c < kReportColumns; ++c) {
    pen.Text(kReportColumnX[c], top + 118, t.Headers[c]);
  }
  pen.Rule(top + 135);
  const std::size_t first = static_cast<std::size_t>(page - 1) * kReportRowsPerPage;
  for (std::size_t i = first; i < report.Rows.size() && i < first + kReportRowsPerPage; ++i) {
    const int y = static_cast<int>(i - first) * kReportLineHeight + top + 137;
    for (std::size_t c = 0; c < kReportColumns; ++c) {
      pen.Text(kReportColumnX[c], y, report.Rows[i][c]);
    }
  }
  pen.Rule(kReportFooterRuleY);
  pen.Text(kReportLeft, kReportFooterTextY, t.Date + report.DateText);
}

}  // namespace

int ReportPageCount(std::size_t rows) {
  if (rows == 0) {
    return 1;
  }
  return static_cast<int>((rows - 1) / kReportRowsPerPage + 1);
}

int ToDevicePixels(int units, int pixelsPerInch) {
  const std::int64_t scaled = std::int64_t{units} * pixelsPerInch;
  // Floor division, so the remainder is never negative and ties are judged alike on
  // both sides of zero.
  std::int64_t q = scaled / kReportUnitsPerInch;
  std::int64_t r = scaled % kReportUnitsPerInch;
  if (r < 0) {
    r += kReportUnitsPerInch;
    --q;
  }
  if (2 * r > kReportUnitsPerInch || (2 * r == kReportUnitsPerInch && q % 2 != 0)) {
    ++q;
  }
  return static_cast<int>(q);
}

std::string ReportDateText(std::time_t when) {
  std::tm local{};
  if (::localtime_r(&when, &local) == nullptr) {
    return std::string();
  }
  char text[32];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, n);
}

void DrawUserReport(ui::PrinterCanvas& canvas, const TUserReport& report) {
  const int pages = ReportPageCount(report.Rows.size());
  ReportPen pen(canvas);
  canvas.BeginDoc(Texts().Title);
  for (int page = 1; page <= pages; ++page) {
    DrawPage(pen, report, page, pages);
    if (page < pages) {
      canvas.NewPage();
    }
  }
  canvas.EndDoc();
}

}  // namespace admin
