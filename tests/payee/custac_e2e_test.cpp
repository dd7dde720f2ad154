// The customer account example through tavro-shell against the embedded bank server:
// the account it saves is the one the server then holds.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "tests/e2e/ShellSandbox.h"

namespace {

using e2e::Sandbox;

// The rows of a query on the sandbox's bank, fields joined by '|'.
std::vector<std::string> Query(const Sandbox& box, const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(box.BankDb().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << box.BankDb();
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const auto* text = sqlite3_column_text(stmt, i);
        row += (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "");
      }
      rows.push_back(row);
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

TEST(CustAcEndToEnd, NewSwiftAccountIsStoredWithTheDirectorysAddress) {
  Sandbox box;
  box.UseBankServer();
  box.SetLanguage("EN");
  const std::string example = std::string(TAVRO_SOURCE_DIR) + "/examples/cust-account-new.txt";
  const e2e::ShellOutput r = box.Shell({"run", example});
  ASSERT_EQ(r.status, 0) << r.out << r.err;

  const std::vector<std::string> stored = Query(
      box,
      "SELECT ac_id, currency, ac_no, cny_bank, coalesce(int_bank_id, 0), bank_type, bank_ac_no,"
      " operator, status FROM cust_account WHERE corp_id = '0012' AND cust_id = 'C003'");
  ASSERT_EQ(stored.size(), 1u);
  const std::string id = stored[0].substr(0, stored[0].find('|'));
  EXPECT_EQ(r.out, "Code=1 Text=\"" + id + "\"\n");
  EXPECT_EQ(stored[0], id + "|USD|70012345678||0|A|9988776655|000001|1");

  // The memo's six lines: the code as typed, then the directory's name and address.
  const std::vector<std::string> directory =
      Query(box,
            "SELECT swift_code || char(13, 10) || bank_name || char(13, 10) || addr1 ||"
            " char(13, 10) || addr2 || char(13, 10) || addr3 || char(13, 10) || addr4"
            " FROM swift_bank WHERE swift_code = 'LOLCGB2LXXX'");
  ASSERT_EQ(directory.size(), 1u);
  EXPECT_EQ(Query(box, "SELECT bank_name_addr FROM cust_account WHERE ac_id = " + id),
            std::vector<std::string>{directory[0]});

  // Opened again, the dialog shows what was saved; leaving it changes nothing.
  box.WriteFile("reopen.txt",
                "expect CustIdCmb text C003\n"
                "expect CustIdCmb enabled false\n"
                "expect CurrencyCmb text USD\n"
                "expect SelectIdCmb text A\n"
                "expect BankAcNoEdt text 9988776655\n"
                "expect BankNameMmo count 6\n"
                "expect BankNameMmo item 1 \"LOTUS SAVINGS BANK\"\n"
                "click CancelBtn\n"
                "answer yes\n");
  const e2e::ShellOutput again =
      box.Shell({"call", "Mn_CustAcEdit", "--corp", "0012", "--user", "000001", "--function", "930",
                 "--key", id, "--script", "reopen.txt"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Code=0 Text=\"\"\n");
}

}  // namespace
