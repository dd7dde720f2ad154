// The account list and processing status examples run through tavro-shell against the
// bank server: the list opens the account dialog of this same module through the
// library loader, and the bank's database shows what the nested dialog saved.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/FreshBankTest.h"

namespace {

using tavro_test::Rows;

class FoldersEndToEnd : public tavro_test::FreshBankTest {};

// The account is saved by the nested dialog; the list hands back a clear result and
// shows the saved bank after loading again.
TEST_F(FoldersEndToEnd, AccountListEditsAnAccountInTheNestedDialogAndReloads) {
  const std::string sql =
      "SELECT ac_id, currency, ac_no, cny_bank, operator, status FROM cust_account"
      " WHERE corp_id = '0012' AND cust_id = 'C001' ORDER BY ac_id";
  const Rows before = Query(sql);
  ASSERT_EQ(before.size(), 2u);
  ASSERT_EQ(before[0], "1|CNY|622202001234567890|中国工商银行上海分行|000001|1");

  const auto r = RunExample("cust-account-list.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_EQ(Query(sql),
            (Rows{"1|CNY|622202001234567890|中国工商银行上海浦东支行|000001|1", before[1]}));
  // The nested dialog closed with its save; the list, loaded again, shows the new bank.
  EXPECT_NE(r.err.find("close TCustAcEdtFrm ok"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\\t1\\tC001\\tCNY\\t622202001234567890\\t中国工商银行上海浦东支行"),
            std::string::npos)
      << r.err;
}

TEST_F(FoldersEndToEnd, StatusFolderShowsTheThreeTrailsOfARecord) {
  for (const char* lang : {"CN", "EN"}) {
    const auto r = RunExample("status-folder.txt", lang);
    EXPECT_EQ(r.status, 0) << lang << r.out << r.err;
    EXPECT_EQ(r.out, "Code=0 Text=\"\"\n") << lang;
  }
}

}  // namespace
