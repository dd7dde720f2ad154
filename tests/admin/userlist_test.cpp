// The user report: its pages as the printer receives them, and Mn_UserListPrint as the
// shell calls it, against the recording fake host.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

#include "admin/UserReportLayout.h"
#include "frame/ManageEdit.h"
#include "sys/CodePage.h"
#include "tests/admin/AdminTest.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PdfTools.h"
#include "ui/script/RecordingPrinter.h"

namespace {

using admin_test::Texts;
using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Gbk;
using tavro_test::ReadFile;
using ui::PrintOp;
using ui::PrintOpKind;

constexpr HWND_T kShell = 0x51;
using Row = std::vector<std::string>;

// n users 100000, 100001, ... as UTF-8 rows.
std::vector<Row> Users(int n) {
  std::vector<Row> rows;
  for (int i = 0; i < n; ++i) {
    const std::string id = std::to_string(100000 + i);
    rows.push_back({id, "王" + id, "D", "启用", "2025-03-01", "2028-02-29", "2025-03-01"});
  }
  return rows;
}

// A printed operation as "T x,y size text" or "L x1,y1-x2,y2", texts back in UTF-8.
std::string Show(const PrintOp& op) {
  if (op.Kind == PrintOpKind::Line) {
    return "L " + std::to_string(op.X1) + "," + std::to_string(op.Y1) + "-" +
           std::to_string(op.X2) + "," + std::to_string(op.Y2);
  }
  return "T " + std::to_string(op.X1) + "," + std::to_string(op.Y1) + " " +
         std::to_string(op.FontSize) + " " + sys::GbkToUtf8(op.Text);
}
Texts Shown(const ui::PrintedPage& page) {
  Texts ops;
  for (const PrintOp& op : page.Ops) {
    ops.push_back(Show(op));
  }
  return ops;
}

// Prints rows on a recording printer at ppi pixels per inch: one finished job.
ui::PrintJob Print(const std::vector<Row>& rows, int ppi = 96) {
  admin::TUserReport report;
  report.CorpName = Gbk("演示贸易");
  report.DateText = "2026-12-06 10:00:00";
  for (const Row& row : rows) {
    admin::TUserReportRow printed;
    for (std::size_t c = 0; c < printed.size(); ++c) {
      printed[c] = Gbk(row[c]);
    }
    report.Rows.push_back(printed);
  }
  ui::RecordingPrinter printer;
  printer.SetPixelsPerInch(ppi);
  admin::DrawUserReport(printer, report);
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.Jobs().size(), 1u);
  return printer.Jobs().empty() ? ui::PrintJob{} : printer.Jobs()[0];
}

TEST(UserReportLayout, OnePageForNoRows) {
  // Without rows a page holds its headings, rules and footer: 19 operations.
  const ui::PrintJob job = Print({});
  EXPECT_EQ(job.Title, Gbk("用户档案及权限报告"));
  ASSERT_EQ(job.Pages.size(), 1u);
  EXPECT_EQ(job.Pages[0].Ops.size(), 19u);
}

TEST(UserReportLayout, APageHoldsHeadingsColumnTitlesRowsAndFooterInPlace) {
  std::vector<Row> rows = Users(31);
  rows[30] = {"000005", "赵敏", "S", "待激活", "2026-11-20", "2028-11-20", "2026-11-20"};
  const ui::PrintJob job = Print(rows);
  ASSERT_EQ(job.Pages.size(), 2u);
  EXPECT_EQ(
      Shown(job.Pages[1]),
      (Texts{"T 309,60 15 Morvane", "T 355,88 14 Tavro系统", "T 325,116 14 用户档案及权限报告",
             "L 65,146-715,146", "L 65,148-715,148", "T 65,154 12 客户名称：演示贸易",
             "T 565,154 12 第2页/共2页",  // no blanks
             "L 65,175-715,175", "L 65,177-715,177", "T 65,178 11 用户号", "T 145,178 11 姓名",
             "T 245,178 11 级别", "T 325,178 11 状态", "T 425,178 11 启用日期",
             "T 525,178 11 有效期至", "T 625,178 11 开卡日期", "L 65,195-715,195",
             // The page's one row in the first row's place.
             "T 65,197 11 000005", "T 145,197 11 赵敏", "T 245,197 11 S", "T 325,197 11 待激活",
             "T 425,197 11 2026-11-20", "T 525,197 11 2028-11-20", "T 625,197 11 2026-11-20",
             // The footer stands where a full page's does.
             "L 65,797-715,797", "T 65,799 11 报告日期：2026-12-06 10:00:00"}));
  const Texts first = Shown(job.Pages[0]);
  EXPECT_EQ(first[6], "T 565,154 12 第1页/共2页");
  EXPECT_EQ(first[first.size() - 3], "T 625,777 11 2025-03-01");  // the 30th row
  EXPECT_EQ(first.back(), "T 65,799 11 报告日期：2026-12-06 10:00:00");
}

TEST(UserReportLayout, PositionsScaleToThePrinterWithTiesToEven) {
  EXPECT_EQ(admin::ToDevicePixels(1, 48), 0);  // halves go to the even neighbour
  EXPECT_EQ(admin::ToDevicePixels(3, 48), 2);
  EXPECT_EQ(admin::ToDevicePixels(-3, 48), -2);
  // Every position of a page goes through the printer's scale (146 -> 912.5 -> 912).
  const Texts ops = Shown(Print(Users(1), 600).Pages.at(0));
  EXPECT_EQ(ops[3], "L 406,912-4469,912");
  EXPECT_EQ(ops.back().substr(0, 12), "T 406,4994 1");  // 799 -> 4993.75
}

std::string SelectFor(const std::string& quotedCorp) {
  return Gbk("select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then "
             "'待激活' else '停用' end) Status,convert(char(10),CardDate,120) FromDate,"
             "convert(char(10),ExpiryDate,120) ExpiryDate,convert(char(10),CardDate,120) CardDate "
             "from tb_mn_login where CorpId=") +
         quotedCorp;
}

// Rows as the server answers the select: fields at 0x07, CR LF row ends.
Answer RowsAnswer(const std::vector<Row>& rows) {
  std::string text;
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      text += (i > 0 ? "\a" : "") + Gbk(row[i]);
    }
    text += "\r\n";
  }
  return Answer::Ok(text);
}

class UserListPrintTest : public admin_test::AdminTest {
 protected:
  // Calls the entry point for corp with a stale record, which must come back all zero.
  void Call(const char* corp) {
    TShellResult result{7, "stale"};
    Mn_UserListPrint(&result, kShell, corp, "000001", 105, "key", "extra");
    EXPECT_EQ(tavro_test::Outcome(result), "0 ");
  }
};

TEST_F(UserListPrintTest, ShowsTheCorporationAndItsUsers) {
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok(Gbk("演示贸易有限公司")));
  fakehost::On(
      SelectFor("'0012'"),
      RowsAnswer({Users(1)[0],
                  {" 000005 ", "赵敏 ", "S", "待激活", "2026-11-20", "2028-11-20", "2026-11-20"}}));
  Platform().RunScript(
      "expect CorpIdEdt text \"0012\"\nexpect CorpNameEdt text \"演示贸易有限公司\"\n"
      "expect UserLv columns 7\nexpect UserLv column 6 \"开卡日期\" 100 left\n"
      // Fields are trimmed as they are read.
      "expect UserLv item 1 \"000005\t赵敏\tS\t待激活\t2026-11-20\t2028-11-20\t2026-11-20\"\n"
      "click CancelBtn\n");
  Call("0012");
  EXPECT_EQ(Commands(kShell), (Texts{"MN_GetCorpName '0012'", SelectFor("'0012'")}));
  EXPECT_EQ(LastLine(), "close TUserListPrnFrm cancel");
}

TEST_F(UserListPrintTest, QuotesAreDoubledAndABlankCorporationOpensNothing) {
  Call("0'1");
  EXPECT_EQ(Commands(kShell), (Texts{"MN_GetCorpName '0''1'", SelectFor("'0''1'")}));
  fakehost::Reset();
  const std::size_t lines = Platform().Transcript().size();
  for (const char* corp : {"", "   ", static_cast<const char*>(nullptr)}) {
    Call(corp);
  }
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_EQ(Platform().Transcript().size(), lines) << "no dialog was shown";
}

TEST_F(UserListPrintTest, PrintingFollowsThePrintDialogAndTheDialogStaysOpen) {
  fakehost::On(SelectFor("'0012'"), RowsAnswer(Users(31)));
  Platform().RunScript(
      "click PrnBtn\nprint no\nclick PrnBtn\nprint yes\nclick PrintListMit\nprint yes\n"
      "click CancelBtn\n");
  Call("0012");
  EXPECT_EQ(Platform().Transcript(),
            (Texts{"open TUserListPrnFrm \"用户档案报告\"", "print -> no", "print -> yes",
                   "printed 2 pages \"\"", "print -> yes", "printed 2 pages \"\"",
                   "close TUserListPrnFrm cancel"}));
}

// A print dialog the operator keeps open into the next second of the clock.
class LingeringPrintDialog : public ui::HeadlessPlatform {
 public:
  bool PrintDialog() override {
    opened = std::time(nullptr);
    while (std::time(nullptr) == opened) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return HeadlessPlatform::PrintDialog();
  }
  std::time_t opened = 0;
};

// The report date is when the pages are drawn, not when the print dialog opened.
TEST_F(UserListPrintTest, TheReportDateIsTakenAfterThePrinterIsChosen) {
  auto* lingering = new LingeringPrintDialog();
  auto previous = ui::InstallPlatform(std::unique_ptr<ui::Platform>(lingering));
  fakehost::On(SelectFor("'0012'"), RowsAnswer(Users(1)));
  lingering->RunScript("click PrnBtn\nprint yes\nclick CancelBtn\n");
  Call("0012");
  const std::time_t done = std::time(nullptr);
  const auto installed = ui::InstallPlatform(std::move(previous));
  EXPECT_FALSE(lingering->Failed());
  ASSERT_EQ(lingering->PrintJobs().size(), 1u);
  const std::string footer = lingering->PrintJobs()[0].Pages.at(0).Ops.back().Text;
  Texts possible;
  for (std::time_t t = lingering->opened + 1; t <= done; ++t) {
    possible.push_back(Gbk("报告日期：") + admin::ReportDateText(t));
  }
  EXPECT_TRUE(std::find(possible.begin(), possible.end(), footer) != possible.end())
      << sys::GbkToUtf8(footer);
}

// An existing file is replaced only when the operator agrees, as the customer export
// asks; the file, which lists the users, is the user's alone under the common umask.
TEST_F(UserListPrintTest, ExportWritesTheListAsCsvThroughTheSaveDialog) {
  fakehost::On(
      SelectFor("'0012'"),
      RowsAnswer({{"000001", "李,明", "D", "启用", "2025-03-01", "", "2025-03-01"},
                  {"000002", "王\"二\"", "O", "停用", "2024-01-10", "2025-01-10", "2024-01-10"}}));
  const tavro_test::ScopedUmask umask(022);
  const std::string path = TempDir() + "users.csv";
  tavro_test::WriteFile(path, "old export");
  const std::string save = "click ExportExcelMit\nfile \"" + path + "\"\n";
  Platform().RunScript("click ExportExcelMit\nfile cancel\n" + save + "answer no\n" + save +
                       "answer yes\nclick CancelBtn\n");
  Call("0012");
  EXPECT_EQ(Platform().Transcript()[1], "file save \"CSV 文件 (*.csv)|*.csv\" -> cancel");
  const std::string question = "导出文件已经存在，将覆盖原文件，是否继续？";
  EXPECT_EQ(MessageLines(), (Texts{tavro_test::Question(question, "no", "覆盖确认"),
                                   tavro_test::Question(question, "yes", "覆盖确认")}));
  EXPECT_EQ(ReadFile(path),
            "\xEF\xBB\xBF用户号,姓名,级别,状态,启用日期,有效期至,开卡日期\r\n"
            "000001,\"李,明\",D,启用,2025-03-01,,2025-03-01\r\n"
            "000002,\"王\"\"二\"\"\",O,停用,2024-01-10,2025-01-10,2024-01-10\r\n");
  EXPECT_EQ(tavro_test::FileMode(path), 0600u);
}

TEST_F(UserListPrintTest, AFailedExportKeepsTheOldFileAndSaysSo) {
  fakehost::On(SelectFor("'0012'"), RowsAnswer(Users(5)));
  const std::string path = TempDir() + "users.csv";
  tavro_test::WriteFile(path, "old export");
  Platform().RunScript("click ExportExcelMit\nfile \"" + path + "\"\nanswer yes\n");
  {
    tavro_test::FileSizeLimit full(32);
    Call("0012");
  }
  EXPECT_EQ(ReadFile(path), "old export");
  ASSERT_EQ(MessageLines().size(), 2u);
  EXPECT_EQ(MessageLines()[1].rfind("message ok error \"ManageEdit\" \"导出失败：cannot write ", 0),
            0u)
      << MessageLines()[1];
}

}  // namespace
