// The user report end to end: tavro-shell runs the example against the embedded bank
// server, and the PDF the headless printer writes holds what the server has.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "tests/e2e/ShellSandbox.h"
#include "tests/ui/pdf_tools.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;

const char kSelect[] =
    "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' "
    "else '停用' end) Status,convert(char(10),CardDate,120) FromDate,"
    "convert(char(10),ExpiryDate,120) ExpiryDate,convert(char(10),CardDate,120) CardDate "
    "from tb_mn_login where CorpId='0012'";

// The fields of each row tavro-bank prints ("a | b | c").
std::vector<std::vector<std::string>> BankRows(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : Lines(out)) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t sep; (sep = line.find(" | ", start)) != std::string::npos; start = sep + 3) {
      fields.push_back(line.substr(start, sep - start));
    }
    fields.push_back(line.substr(start));
    rows.push_back(fields);
  }
  return rows;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines) {
    if (l == line) {
      return true;
    }
  }
  return false;
}

class UserListEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { box_.UseBankServer(); }
  e2e::ShellOutput RunExample() {
    return box_.Shell({"run", TAVRO_SOURCE_DIR "/examples/user-list-print.txt"});
  }
  Sandbox box_;
};

TEST_F(UserListEndToEnd, TheExamplePrintsTheServersUsersIntoAPdf) {
  const e2e::ShellOutput r = RunExample();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_TRUE(Contains(Lines(r.err), "printed 1 pages \"tavro-print-1.pdf\"")) << r.err;

  const std::string pdf = box_.WorkDir() + "/tavro-print-1.pdf";
  EXPECT_EQ(pdf_tools::PageCount(pdf), 1);
  const std::string text = pdf_tools::Text(pdf);
  EXPECT_NE(text.find("用户档案及权限报告"), std::string::npos) << text;
  EXPECT_NE(text.find("第1页/共1页"), std::string::npos) << text;

  // Every user the server has for the corporation is on the page, with its status text.
  const e2e::ShellOutput bank = box_.Run("tavro-bank", {"exec", kSelect});
  ASSERT_EQ(bank.status, 0) << bank.err;
  const auto rows = BankRows(bank.out);
  ASSERT_EQ(rows.size(), 7u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 7u);
    EXPECT_NE(text.find(row[0]), std::string::npos) << row[0];
    EXPECT_NE(text.find(row[1]), std::string::npos) << row[1];
  }
  const e2e::ShellOutput name = box_.Run("tavro-bank", {"exec", "MN_GetCorpName '0012'"});
  ASSERT_EQ(name.status, 0) << name.err;
  EXPECT_NE(text.find("客户名称：" + Lines(name.out).at(0)), std::string::npos) << text;

  // The same list exported for a spreadsheet, beside the PDF.
  const std::string csv = box_.ReadFile("users.csv");
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBF用户号,姓名,级别,状态,启用日期,有效期至,开卡日期\r\n", 0), 0u);
  EXPECT_NE(csv.find("\r\n000005,赵敏,S,待激活,2026-11-20,2028-11-20,2026-11-20\r\n"),
            std::string::npos)
      << csv;
  EXPECT_EQ(Lines(csv).size(), rows.size() + 1);

  // A print folder that does not exist: the operator is told, and no file is claimed.
  box_.SetEnv("TAVRO_UI_PRINT_DIR", "missing");
  const e2e::ShellOutput failed = RunExample();
  EXPECT_EQ(failed.err.find("printed"), std::string::npos) << failed.err;
  EXPECT_TRUE(Contains(Lines(failed.err),
                       "message ok error \"ManageEdit\" \"cannot create "
                       "missing/tavro-print-1.pdf: No such file or directory\" -> ok"))
      << failed.err;
}

TEST_F(UserListEndToEnd, ThirtyOneUsersPrintTwoPagesIntoThePrintFolder) {
  auto init = box_.Run("tavro-bank", {"init", "--demo", box_.BankDb()});
  ASSERT_EQ(init.status, 0) << init.err;
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(box_.BankDb().c_str(), &db), SQLITE_OK);
  // 24 more users make 31 for the corporation.
  char* message = nullptr;
  const int rc = sqlite3_exec(
      db,
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 24)"
      " INSERT INTO bank_user(user_id, corp_id, user_name, level, status, card_date, expiry_date)"
      " SELECT printf('0009%02d', i), '0012', '新用户' || i, 'O', 2, '2026-01-01', '2028-01-01'"
      " FROM n",
      nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message != nullptr ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);

  box_.SetEnv("TAVRO_UI_PRINT_DIR", box_.Root());
  box_.WriteFile("two-pages.txt",
                 "# call: Mn_UserListPrint --corp 0012 --user 000001\n"
                 "expect UserLv count 31\nclick PrnBtn\nprint yes\n");
  const e2e::ShellOutput r = box_.Shell({"run", box_.WorkDir() + "/two-pages.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pdf = box_.Root() + "/tavro-print-1.pdf";
  EXPECT_TRUE(Contains(Lines(r.err), "printed 2 pages \"" + pdf + "\"")) << r.err;
  EXPECT_EQ(pdf_tools::PageCount(pdf), 2);
  const std::string text = pdf_tools::Text(pdf);
  const std::size_t second = text.find('\f');
  ASSERT_NE(second, std::string::npos);
  // The server lists by user id: the last of them stands alone on the second page.
  EXPECT_NE(text.find("第2页/共2页", second), std::string::npos);
  EXPECT_NE(text.find("000924", second), std::string::npos);
  EXPECT_EQ(text.find("000924"), text.find("000924", second));
  EXPECT_FALSE(box_.Exists("tavro-print-1.pdf")) << "nothing in the current folder";
}

}  // namespace
