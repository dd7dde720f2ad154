// Mn_UserListPrint as the shell calls it: the commands it sends, the list it shows,
// what it prints, the CSV it exports, and the all-zero result it always hands back.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "frame/ManageEdit.h"
#include "tests/support/ModuleTest.h"
#include "tests/ui/pdf_tools.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;
using tavro_test::ReadFile;
using tavro_test::WriteFile;

constexpr HWND_T kShell = 0x51;

std::string SelectFor(const std::string& quotedCorp) {
  return Gbk("select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then "
             "'待激活' else '停用' end) Status,convert(char(10),CardDate,120) FromDate,"
             "convert(char(10),ExpiryDate,120) ExpiryDate,convert(char(10),CardDate,120) CardDate "
             "from tb_mn_login where CorpId=") +
         quotedCorp;
}

// Rows as the server answers the select: seven fields at 0x07, CR LF row ends.
std::string Rows(const std::vector<std::vector<std::string>>& rows) {
  std::string text;
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      text += (i > 0 ? "\a" : "") + Gbk(row[i]);
    }
    text += "\r\n";
  }
  return text;
}

// n users 100000, 100001, ...
std::string ManyRows(int n) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(n);
  for (int i = 0; i < n; ++i) {
    rows.push_back({std::to_string(100000 + i), "用户", "O", "启用", "2025-01-01", "2027-01-01",
                    "2025-01-01"});
  }
  return Rows(rows);
}

class UserListPrintTest : public tavro_test::ModuleTest {
 protected:
  // Calls the entry point for corp with a stale result record; returns the record.
  TShellResult Call(const char* corp) {
    TShellResult result{7, "stale"};
    Mn_UserListPrint(&result, kShell, corp, "000001", 105, "key", "extra");
    return result;
  }
  // The host commands sent, without their channel prefix.
  std::vector<std::string> Commands() const {
    std::vector<std::string> sent;
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.prefix, "A01") << call.command;
      EXPECT_EQ(call.window, kShell) << call.command;
      sent.push_back(call.command);
    }
    return sent;
  }
};

TEST_F(UserListPrintTest, ShowsTheCorporationAndItsUsersAndHandsBackAZeroResult) {
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok(Gbk("演示贸易有限公司")));
  fakehost::On(
      SelectFor("'0012'"),
      Answer::Ok(
          Rows({{"000001", "王建国", "D", "启用", "2025-03-01", "2028-02-29", "2025-03-01"},
                {" 000005 ", "赵敏 ", "S", "待激活", "2026-11-20", "2028-11-20", "2026-11-20"}})));
  Platform().RunScript(
      "expect CorpIdEdt text \"0012\"\n"
      "expect CorpIdEdt readonly true\n"
      "expect CorpNameEdt text \"演示贸易有限公司\"\n"
      "expect UserLv columns 7\n"
      "expect UserLv column 0 \"用户号\" 80 left\n"
      "expect UserLv column 6 \"开卡日期\" 100 left\n"
      "expect UserLv count 2\n"
      // Fields are trimmed as they are read.
      "expect UserLv item 1 \"000005\t赵敏\tS\t待激活\t2026-11-20\t2028-11-20\t2026-11-20\"\n"
      "click CancelBtn\n");
  const TShellResult result = Call("0012");
  EXPECT_EQ(Commands(), (std::vector<std::string>{"MN_GetCorpName '0012'", SelectFor("'0012'")}));
  EXPECT_EQ(result.Code, 0);
  EXPECT_STREQ(result.Text, "");
  EXPECT_EQ(Platform().Transcript().front(), "open TUserListPrnFrm \"用户档案报告\"");
  EXPECT_EQ(Platform().Transcript().back(), "close TUserListPrnFrm cancel");
}

TEST_F(UserListPrintTest, QuotesAreDoubledAndABlankCorporationOpensNothing) {
  Call("0'1");
  EXPECT_EQ(Commands(), (std::vector<std::string>{"MN_GetCorpName '0''1'", SelectFor("'0''1'")}));

  for (const char* corp : {"", "   ", static_cast<const char*>(nullptr)}) {
    fakehost::Reset();
    const std::size_t lines = Platform().Transcript().size();
    const TShellResult result = Call(corp);
    EXPECT_TRUE(fakehost::Calls().empty()) << (corp ? corp : "null");
    EXPECT_EQ(Platform().Transcript().size(), lines) << "no dialog was shown";
    EXPECT_EQ(result.Code, 0);
    EXPECT_STREQ(result.Text, "");
  }
}

TEST_F(UserListPrintTest, FailedLookupsLeaveEmptyTextsAndStillPrintAPage) {
  fakehost::SetFallback(Answer::Fail(3, "server down"));
  Platform().RunScript(
      "expect CorpNameEdt text \"\"\n"
      "expect UserLv count 0\n"
      "click PrnBtn\n"
      "print yes\n");
  Call("0012");
  EXPECT_EQ(MessageLines(), (std::vector<std::string>{
                                R"(message ok none "ManageEdit" "Error:server down" -> ok)",
                                R"(message ok none "ManageEdit" "Error:server down" -> ok)"}));
  ASSERT_EQ(Platform().PrintJobs().size(), 1u);
  const ui::PrintJob& job = Platform().PrintJobs()[0];
  ASSERT_EQ(job.Pages.size(), 1u);
  // Headings, rules and footer only; the name line ends at the colon.
  const std::vector<ui::PrintOp>& ops = job.Pages[0].Ops;
  EXPECT_EQ(ops.size(), 19u);
  EXPECT_EQ(ops[5].Text, Gbk("客户名称："));
  EXPECT_EQ(ops.back().Text.rfind(Gbk("报告日期：20"), 0), 0u);
}

TEST_F(UserListPrintTest, PrintingFollowsThePrintDialogAndTheDialogStaysOpen) {
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok(Gbk("演示")));
  fakehost::On(SelectFor("'0012'"), Answer::Ok(ManyRows(31)));
  Platform().SetPrinterResolution(600);
  Platform().RunScript(
      "click PrnBtn\nprint no\n"
      "click PrnBtn\nprint yes\n"
      "click PrintListMit\nprint yes\n"
      "click CancelBtn\n");
  Call("0012");
  const std::vector<std::string>& t = Platform().Transcript();
  EXPECT_EQ(t, (std::vector<std::string>{"open TUserListPrnFrm \"用户档案报告\"", "print -> no",
                                         "print -> yes", "printed 2 pages \"\"", "print -> yes",
                                         "printed 2 pages \"\"", "close TUserListPrnFrm cancel"}));
  ASSERT_EQ(Platform().PrintJobs().size(), 2u);
  for (const ui::PrintJob& job : Platform().PrintJobs()) {
    ASSERT_EQ(job.Pages.size(), 2u);
    // The second page holds the 31st user in the first row's place (197 at 600 dpi).
    EXPECT_EQ(job.Pages[1].Ops[17].Text, "100030");
    EXPECT_EQ(job.Pages[1].Ops[17].Y1, 1231);
  }
}

TEST_F(UserListPrintTest, ExportWritesTheListAsCsvThroughTheSaveDialog) {
  fakehost::On(
      SelectFor("'0012'"),
      Answer::Ok(Rows({{"000001", "李,\"明\"", "D", "启用", "2025-03-01", "", "2025-03-01"},
                       {"000002", "王", "O", "停用", "2024-01-10", "2025-01-10", "2024-01-10"}})));
  const std::string dir = TempDir() + "export";
  std::filesystem::create_directory(dir);
  const std::string path = dir + "/users.csv";
  Platform().RunScript(
      "click ExportExcelMit\nfile cancel\n"
      "click ExportExcelMit\nfile \"" +
      path + "\"\nclick CancelBtn\n");
  Call("0012");
  EXPECT_EQ(Platform().Transcript()[1], "file save \"CSV 文件 (*.csv)|*.csv\" -> cancel");
  EXPECT_EQ(ReadFile(path),
            "\xEF\xBB\xBF"
            "用户号,姓名,级别,状态,启用日期,有效期至,开卡日期\r\n"
            "000001,\"李,\"\"明\"\"\",D,启用,2025-03-01,,2025-03-01\r\n"
            "000002,王,O,停用,2024-01-10,2025-01-10,2024-01-10\r\n");
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(UserListPrintTest, AFailedExportKeepsTheOldFileAndSaysSo) {
  fakehost::On(SelectFor("'0012'"), Answer::Ok(ManyRows(5)));
  const std::string dir = TempDir() + "export";
  std::filesystem::create_directory(dir);
  const std::string path = dir + "/users.csv";
  WriteFile(path, "old export");
  Platform().RunScript("click ExportExcelMit\nfile \"" + path + "\"\n");
  {
    pdf_tools::FileSizeLimit full(32);
    Call("0012");
  }
  EXPECT_EQ(ReadFile(path), "old export");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            1)
      << "no half-written file is left beside it";
  ASSERT_EQ(MessageLines().size(), 1u);
  EXPECT_EQ(MessageLines()[0].rfind("message ok error \"ManageEdit\" \"导出失败：cannot write ", 0),
            0u)
      << MessageLines()[0];
}

}  // namespace
