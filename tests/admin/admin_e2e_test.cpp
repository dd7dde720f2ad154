// Each admin example end to end: tavro-shell runs it against the embedded bank server,
// and the server is asked afterwards what it holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/PdfTools.h"
#include "tests/support/ShellSandbox.h"

namespace {

using e2e::Lines;
using Texts = std::vector<std::string>;

class AdminEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { box_.UseBankServer(); }
  // Runs an example; the shell must end well and print the result record.
  void RunExample(const char* name, const std::string& result) {
    const e2e::ShellOutput r =
        box_.Shell({"run", std::string(TAVRO_SOURCE_DIR "/examples/") + name});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, result);
    err_ = r.err;
  }
  // The rows of the server's answer, each split at tavro-bank's " | ".
  std::vector<Texts> Server(const std::string& command) const {
    const e2e::ShellOutput r = box_.Run("tavro-bank", {"exec", command});
    EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
    std::vector<Texts> rows;
    for (std::string line : Lines(r.out)) {
      rows.emplace_back();
      for (std::size_t sep; (sep = line.find(" | ")) != std::string::npos; line.erase(0, sep + 3)) {
        rows.back().push_back(line.substr(0, sep));
      }
      rows.back().push_back(line);
    }
    return rows;
  }
  // The first field of every row.
  Texts Column(const std::string& command) const {
    Texts column;
    for (const Texts& row : Server(command)) {
      column.push_back(row.at(0));
    }
    return column;
  }
  e2e::Sandbox box_;
  std::string err_;  // the last run's transcript
};

TEST_F(AdminEndToEnd, UserEditStoresReviewAccountAndNodeRights) {
  box_.SetLanguage("EN");
  RunExample("user-edit.txt", "Code=0 Text=\"\"\n");
  EXPECT_NE(err_.find("close TUserEditFrm ok"), std::string::npos) << err_;
  EXPECT_EQ(err_.find("message"), std::string::npos) << err_;  // no error shown
  EXPECT_EQ(Column("MN_GetCheckUserList '0012','000002'"), (Texts{"000003", "000004"}));
  std::string accounts;
  for (const std::string& row : Column("MN_GetUserCheckAcList '0012','000002'")) {
    accounts += row.substr(0, row.find(':')) + " ";
  }
  EXPECT_EQ(accounts, "310012000100001 310012000100002 ");
  // 104 cleared (deleted, not stored as zeros), 105 given query and add, 201 untouched.
  EXPECT_EQ(Column("Sh_GetNodeRight '0012','000002',105"), Texts{"11000000"});
  EXPECT_EQ(Column("Sh_GetNodeRight '0012','000002',201"), Texts{"11110000"});
  for (const std::string& line : Column("MN_GetNodeRightList '0012','000002'")) {
    EXPECT_NE(line.rfind("104=", 0), 0u);
  }
  EXPECT_FALSE(box_.Exists(box_.TempDir() + "/UsrRight.ini"));  // it lived for the call only
}

// The node area on and no node changed: its batch still goes out, empty, and the bank
// takes it as a batch of nothing to do, so the save shows no error.
TEST_F(AdminEndToEnd, UserEditSavesWithTheNodeAreaOnAndNothingChanged) {
  box_.SetInput("click UserViewNodeCkb\nclick UpdateBtn\n");
  const e2e::ShellOutput r =
      box_.Shell({"call", "Mn_UserEdit", "--corp", "0012", "--user", "000001", "--function", "101",
                  "--key", "000002", "--script", "-", "--strict"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.err.find("close TUserEditFrm ok"), std::string::npos) << r.err;
  EXPECT_EQ(Column("Sh_GetNodeRight '0012','000002',201"), Texts{"11110000"});
}

TEST_F(AdminEndToEnd, AccountEditStoresTheNewDescriptionAndHandsBackTheReply) {
  box_.SetLanguage("CN");
  RunExample("account-edit.txt", "Code=1 Text=\"310012000100001\"\n");
  const std::vector<Texts> account = Server("MN_GetPropOfAccount '0012','310012000100001'");
  ASSERT_EQ(account.size(), 1u);
  // The status went back as it came.
  EXPECT_EQ(Texts(account[0].begin() + 5, account[0].end()), (Texts{"人民币基本户（工资）", "1"}));
}

TEST_F(AdminEndToEnd, UsageEditStoresTheEditedListInItsOrder) {
  box_.SetLanguage("CN");
  RunExample("usage-edit.txt", "Code=0 Text=\"\"\n");
  EXPECT_EQ(Column("MN_GetUsageList '0012','000001'"),
            (Texts{"差旅费", "货款", "运输费", "服务费", "办公用品"}));
  // The batch replaced only this corporation's list.
  EXPECT_EQ(Column("MN_GetUsageList '0020','200001'"), (Texts{"设备款", "货款"}));
}

TEST_F(AdminEndToEnd, UserListPrintsAndExportsTheServersUsers) {
  RunExample("user-list-print.txt", "Code=0 Text=\"\"\n");
  EXPECT_NE(err_.find("printed 1 pages \"tavro-print-1.pdf\""), std::string::npos) << err_;
  const std::string text = pdf_tools::Text(box_.WorkDir() + "/tavro-print-1.pdf");
  EXPECT_NE(text.find("第1页/共1页"), std::string::npos) << text;
  EXPECT_NE(text.find("客户名称：" + Column("MN_GetCorpName '0012'").at(0)), std::string::npos);
  // Every user the server has for the corporation is on the page and in the CSV file.
  const std::vector<Texts> users = Server(
      "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' "
      "else '停用' end) Status,convert(char(10),CardDate,120) FromDate,"
      "convert(char(10),ExpiryDate,120) ExpiryDate,convert(char(10),CardDate,120) CardDate "
      "from tb_mn_login where CorpId='0012'");
  ASSERT_EQ(users.size(), 7u);
  const std::string csv = box_.ReadFile("users.csv");
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBF用户号,姓名,级别,状态,启用日期,有效期至,开卡日期\r\n", 0), 0u);
  EXPECT_EQ(Lines(csv).size(), users.size() + 1);
  for (const Texts& user : users) {
    ASSERT_EQ(user.size(), 7u);
    EXPECT_NE(text.find(user[0]), std::string::npos) << user[0];
    EXPECT_NE(text.find(user[1]), std::string::npos) << user[1];
    std::string line = "\r\n";
    for (const std::string& field : user) {
      line += field + ",";
    }
    line.back() = '\r';
    EXPECT_NE(csv.find(line + "\n"), std::string::npos) << line;
  }
}

// The print folder comes from the environment; one that is missing costs the report,
// never a file elsewhere or a "printed" line.
TEST_F(AdminEndToEnd, PrintingFollowsThePrintFolderAndReportsAMissingOne) {
  std::filesystem::create_directory(box_.WorkDir() + "/prints");
  box_.SetEnv("TAVRO_UI_PRINT_DIR", "prints");
  RunExample("user-list-print.txt", "Code=0 Text=\"\"\n");
  EXPECT_NE(err_.find("printed 1 pages \"prints/tavro-print-1.pdf\""), std::string::npos) << err_;
  // No rule of the report touches a glyph of its texts.
  std::filesystem::create_directory(box_.WorkDir() + "/pages");
  const auto pages = pdf_tools::DrawnPages(box_.WorkDir() + "/prints/tavro-print-1.pdf",
                                           box_.WorkDir() + "/pages", 192);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pdf_tools::RulesTouchingText(pages), std::vector<std::string>{});
  box_.SetEnv("TAVRO_UI_PRINT_DIR", "gone");
  // The first run's CSV file would be asked about, which the example does not answer.
  std::filesystem::remove(box_.WorkDir() + "/users.csv");
  RunExample("user-list-print.txt", "Code=0 Text=\"\"\n");
  EXPECT_EQ(err_.find("printed"), std::string::npos) << err_;
  EXPECT_NE(err_.find("gone/tavro-print-1.pdf: No such file or directory"), std::string::npos)
      << err_;
}

}  // namespace
