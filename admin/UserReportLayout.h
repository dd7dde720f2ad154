// The printed user report: thirty users a page under the bank's headings, the page
// number and the corporation's name, with the report date at the foot of every page.
// Positions are laid out in 1/96 inch from the printable area's top left corner and
// scaled to the printer's own pixels.
#pragma once

#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace ui {
class PrinterCanvas;
}

namespace admin {

inline constexpr int kReportUnitsPerInch = 96;
inline constexpr int kReportLeft = 65;    // column 1 and the start of every rule
inline constexpr int kReportRight = 715;  // the end of every rule
inline constexpr int kReportTop = 60;
inline constexpr int kReportLineHeight = 20;
inline constexpr int kReportRowsPerPage = 30;
inline constexpr std::size_t kReportColumns = 7;
inline constexpr std::array<int, kReportColumns> kReportColumnX = {65,  145, 245, 325,
                                                                   425, 525, 625};
// Where the footer rule and the report date stand on every page, full or not.
inline constexpr int kReportFooterRuleY = kReportRowsPerPage * kReportLineHeight + kReportTop + 137;
inline constexpr int kReportFooterTextY = kReportRowsPerPage * kReportLineHeight + kReportTop + 139;

// One user as printed: id, name, level, status, start date, expiry date, card date.
using TUserReportRow = std::array<std::string, kReportColumns>;

// What one print of the report shows; every text is GBK.
struct TUserReport {
  std::string CorpName;
  std::string DateText;  // after "报告日期："
  std::vector<TUserReportRow> Rows;
};

// Pages the rows need: thirty a page, and one page with headings only for no rows.
int ReportPageCount(std::size_t rows);

// A position in 1/96 inch as device pixels at pixelsPerInch, to the nearest pixel with
// ties to even (65 at 600 pixels per inch is 406.25, so 406).
int ToDevicePixels(int units, int pixelsPerInch);

// The date and time as the report's footer shows them: "2026-12-06 10:14:50", local
// time, the same year-month-day form as the dates in the list.
std::string ReportDateText(std::time_t when);

// Draws the whole report as one print job: begin the document, every page, end it.
void DrawUserReport(ui::PrinterCanvas& canvas, const TUserReport& report);

}  // namespace admin
