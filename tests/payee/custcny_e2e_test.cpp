// The CNY payee examples run through tavro-shell against the embedded bank server; the
// bank's database is read afterwards to see what the server then holds.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "tests/e2e/ShellSandbox.h"

namespace {

class CustCnyEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.UseBankServer();
    box_.SetLanguage("CN");
    const auto init = box_.Run("tavro-bank", {"init", "--demo", box_.BankDb()});
    ASSERT_EQ(init.status, 0) << init.err;
  }

  e2e::ShellOutput RunExample(const std::string& name) {
    return box_.Shell({"run", std::string(TAVRO_SOURCE_DIR) + "/examples/" + name});
  }

  // The payee's stored fields joined by '|'; "none" when corporation 0012 has no such
  // payee.
  std::string Payee(const std::string& id) {
    return Query(
        "SELECT ac_name || '|' || ac_no || '|' || bank_name || '|' || operator || '|' ||"
        " status || '|' || remark || '|' || email || '|' || sms FROM cny_payee"
        " WHERE corp_id = '0012' AND payee_id = '" +
        id + "'");
  }

  // The first column of the first row of sql, "none" without rows.
  std::string Query(const std::string& sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(box_.BankDb().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    std::string value = "none";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
  }

  e2e::Sandbox box_;
};

TEST_F(CustCnyEndToEnd, NewPayeeExampleStoresThePayeeForTheOperator) {
  const auto r = RunExample("cny-payee-new.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"P100\"\n");
  EXPECT_EQ(Payee("P100"),
            "上海申联贸易有限公司|31001520000100|中国工商银行上海分行|000001|1|办公用品供应商|"
            "finance@shenlian.example\r\npay@shenlian.example|13900000100");

  // Opened again, the stored payee comes back field by field.
  box_.WriteFile("check.txt",
                 "expect CustNameEdt text \"上海申联贸易有限公司\"\n"
                 "expect EMailMmo item 1 \"pay@shenlian.example\"\n"
                 "expect CustIdEdt readonly true\n");
  const auto again =
      box_.Shell({"call", "Mn_CustCNYAcEdit", "--corp", "0012", "--user", "000001", "--function",
                  "203", "--key", "P100", "--script", box_.WorkDir() + "/check.txt"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Code=0 Text=\"\"\n");
}

TEST_F(CustCnyEndToEnd, RenameExampleMovesThePayeeToItsNewId) {
  const std::string before = Payee("P001");
  ASSERT_NE(before, "none") << "the demonstration bank has payee P001";
  const auto r = RunExample("cny-payee-rename.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"P001:0012\"\n");
  EXPECT_EQ(Payee("P001"), "none");
  EXPECT_EQ(Payee("P101"), before);
}

TEST_F(CustCnyEndToEnd, DeleteExampleRemovesThePayeeButKeepsPaymentHistory) {
  const auto r = RunExample("cny-payee-delete.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=3 Text=\"P002:0012\"\n");
  EXPECT_EQ(Payee("P002"), "none");
  EXPECT_EQ(Query("SELECT payee_name FROM business WHERE payee_id = 'P002'"),
            "南京华盛建材有限公司");

  // A payee named by unfinished business is refused; the operator leaves the dialog.
  box_.WriteFile("p003.txt", "click DeleteBtn\nanswer yes\nclose\nanswer yes\n");
  const auto refused =
      box_.Shell({"call", "Mn_CustCNYAcEdit", "--corp", "0012", "--user", "000001", "--function",
                  "203", "--key", "P003", "--script", box_.WorkDir() + "/p003.txt"});
  EXPECT_EQ(refused.status, 0) << refused.err;
  EXPECT_EQ(refused.out, "Code=0 Text=\"\"\n");
  EXPECT_NE(Payee("P003"), "none");
}

}  // namespace
