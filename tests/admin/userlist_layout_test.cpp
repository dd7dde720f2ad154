// The printed user report's pages as the printer receives them: how many, what each
// holds and where, and the scaling to the printer's pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "admin/UserReportLayout.h"
#include "tests/support/TestEnv.h"
#include "ui/headless/HeadlessPrinter.h"

namespace {

using admin::TUserReport;
using tavro_test::Gbk;
using ui::PrintOp;
using ui::PrintOpKind;

TUserReport ReportOf(int rows) {
  TUserReport report;
  report.CorpName = Gbk("演示贸易");
  report.DateText = "2026-12-06 10:00:00";
  for (int i = 0; i < rows; ++i) {
    const std::string id = std::to_string(100000 + i);
    report.Rows.push_back(
        {id, Gbk("王") + id, "D", Gbk("启用"), "2025-03-01", "2028-02-29", "2025-03-01"});
  }
  return report;
}

// Prints the report on a recording printer at ppi pixels per inch.
ui::PrintJob Print(const TUserReport& report, int ppi = 96) {
  ui::HeadlessPrinter printer;
  printer.SetPixelsPerInch(ppi);
  admin::DrawUserReport(printer, report);
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.Jobs().size(), 1u);
  return printer.Jobs().empty() ? ui::PrintJob{} : printer.Jobs()[0];
}

// The ids printed in column 1 below the headings of a page.
std::vector<std::string> RowIds(const ui::PrintedPage& page) {
  std::vector<std::string> ids;
  for (const PrintOp& op : page.Ops) {
    if (op.Kind == PrintOpKind::Text && op.X1 == 65 && op.Y1 >= 197 && op.Y1 < 797) {
      ids.push_back(op.Text);
    }
  }
  return ids;
}

TEST(UserReportLayout, ThirtyRowsAPageAndOnePageForNone) {
  struct Case {
    std::size_t rows;
    int pages;
  } cases[] = {{0, 1}, {1, 1}, {30, 1}, {31, 2}, {60, 2}, {61, 3}};
  for (const Case& c : cases) {
    EXPECT_EQ(admin::ReportPageCount(c.rows), c.pages) << c.rows;
  }

  const ui::PrintJob none = Print(ReportOf(0));
  ASSERT_EQ(none.Pages.size(), 1u);
  EXPECT_TRUE(RowIds(none.Pages[0]).empty());
  EXPECT_EQ(none.Title, Gbk("用户档案及权限报告"));

  const ui::PrintJob full = Print(ReportOf(30));
  ASSERT_EQ(full.Pages.size(), 1u);
  EXPECT_EQ(RowIds(full.Pages[0]).size(), 30u);
  EXPECT_EQ(RowIds(full.Pages[0]).back(), "100029");

  const ui::PrintJob over = Print(ReportOf(31));
  ASSERT_EQ(over.Pages.size(), 2u);
  EXPECT_EQ(RowIds(over.Pages[0]).size(), 30u);
  EXPECT_EQ(RowIds(over.Pages[1]), std::vector<std::string>{"100030"});
}

TEST(UserReportLayout, APageHoldsHeadingsColumnTitlesRowsAndFooterInPlace) {
  TUserReport report = ReportOf(31);
  report.Rows[30] = {"000005",     Gbk("赵敏"),  "S",         Gbk("待激活"),
                     "2026-11-20", "2028-11-20", "2026-11-20"};
  const ui::PrintJob job = Print(report);
  ASSERT_EQ(job.Pages.size(), 2u);

  struct Expected {
    PrintOpKind kind;
    int x, y, x2, size;
    std::string text;
  };
  const auto text = [](int x, int y, int size, const std::string& t) {
    return Expected{PrintOpKind::Text, x, y, 0, size, t};
  };
  const auto rule = [](int y) { return Expected{PrintOpKind::Line, 65, y, 715, 0, ""}; };
  const std::vector<Expected> second = {
      text(309, 60, 15, "Morvane"),
      text(355, 88, 14, Gbk("Tavro系统")),
      text(325, 116, 14, Gbk("用户档案及权限报告")),
      rule(146),
      rule(148),
      text(65, 154, 12, Gbk("客户名称：演示贸易")),
      // The page number runs together with no blanks.
      text(565, 154, 12, Gbk("第2页/共2页")),
      rule(175),
      rule(177),
      text(65, 178, 11, Gbk("用户号")),
      text(145, 178, 11, Gbk("姓名")),
      text(245, 178, 11, Gbk("级别")),
      text(325, 178, 11, Gbk("状态")),
      text(425, 178, 11, Gbk("启用日期")),
      text(525, 178, 11, Gbk("有效期至")),
      text(625, 178, 11, Gbk("开卡日期")),
      rule(195),
      // The page's one row, in the first row's place.
      text(65, 197, 11, "000005"),
      text(145, 197, 11, Gbk("赵敏")),
      text(245, 197, 11, "S"),
      text(325, 197, 11, Gbk("待激活")),
      text(425, 197, 11, "2026-11-20"),
      text(525, 197, 11, "2028-11-20"),
      text(625, 197, 11, "2026-11-20"),
      // The footer stands where a full page's would.
      rule(797),
      text(65, 799, 11, Gbk("报告日期：") + "2026-12-06 10:00:00"),
  };
  const std::vector<PrintOp>& ops = job.Pages[1].Ops;
  ASSERT_EQ(ops.size(), second.size());
  for (std::size_t i = 0; i < ops.size(); ++i) {
    const Expected& e = second[i];
    EXPECT_EQ(ops[i].Kind, e.kind) << i;
    EXPECT_EQ(ops[i].X1, e.x) << i;
    EXPECT_EQ(ops[i].Y1, e.y) << i;
    if (e.kind == PrintOpKind::Line) {
      EXPECT_EQ(ops[i].X2, e.x2) << i;
      EXPECT_EQ(ops[i].Y2, e.y) << i;
    } else {
      EXPECT_EQ(ops[i].FontSize, e.size) << i;
      EXPECT_EQ(ops[i].Text, e.text) << i;
    }
  }

  // The first of the two pages: its number, and the footer where the second has it.
  const std::vector<PrintOp>& first = job.Pages[0].Ops;
  EXPECT_EQ(first[6].Text, Gbk("第1页/共2页"));
  EXPECT_EQ(first[first.size() - 2].Y1, 797);
  EXPECT_EQ(first.back().Y1, 799);
}

TEST(UserReportLayout, PositionsScaleToThePrinterWithTiesToEven) {
  struct Case {
    int units, ppi, pixels;
  } cases[] = {
      {65, 600, 406},    // 406.25
      {715, 600, 4469},  // 4468.75
      {146, 600, 912},   // 912.5: the even neighbour
      {148, 600, 925},   // 925
      {1, 48, 0},        // 0.5
      {3, 48, 2},        // 1.5
      {5, 48, 2},        // 2.5
      {-3, 48, -2},      // -1.5
      {797, 96, 797},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(admin::ToDevicePixels(c.units, c.ppi), c.pixels) << c.units << " at " << c.ppi;
  }

  // The same page at 600 pixels per inch: every position through the printer's scale.
  const ui::PrintJob job = Print(ReportOf(1), 600);
  ASSERT_EQ(job.Pages.size(), 1u);
  const std::vector<PrintOp>& ops = job.Pages[0].Ops;
  EXPECT_EQ(ops[0].X1, 1931);  // 309 -> 1931.25
  EXPECT_EQ(ops[0].Y1, 375);
  EXPECT_EQ(ops[3].Kind, PrintOpKind::Line);
  EXPECT_EQ(ops[3].X1, 406);
  EXPECT_EQ(ops[3].X2, 4469);
  EXPECT_EQ(ops[3].Y1, 912);
  EXPECT_EQ(ops.back().X1, 406);
  EXPECT_EQ(ops.back().Y1, 4994);  // 799 -> 4993.75
}

}  // namespace
