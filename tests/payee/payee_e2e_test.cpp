// The payee examples run through tavro-shell against the embedded bank server; the
// bank's database is read afterwards to see what the server then holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FreshBankTest.h"

namespace {

using tavro_test::Rows;

class PayeeEndToEnd : public tavro_test::FreshBankTest {
 protected:
  // The stored fields of a CNY payee of corporation 0012; no row when there is none.
  Rows Payee(const std::string& id) {
    return Query(
        "SELECT ac_name, ac_no, bank_name, operator, status, remark, email, sms FROM cny_payee"
        " WHERE corp_id = '0012' AND payee_id = '" +
        id + "'");
  }
};

// The memo's six lines are stored: the code as typed, the directory's name and address.
TEST_F(PayeeEndToEnd, NewSwiftAccountIsStoredWithTheDirectorysAddress) {
  const auto r = RunExample("cust-account-new.txt", "EN");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const Rows stored = Query(
      "SELECT ac_id, currency, ac_no, cny_bank, coalesce(int_bank_id, 0), bank_type, bank_ac_no,"
      " operator, status, bank_name_addr = (SELECT swift_code || char(13, 10) || bank_name ||"
      " char(13, 10) || addr1 || char(13, 10) || addr2 || char(13, 10) || addr3 ||"
      " char(13, 10) || addr4 FROM swift_bank WHERE swift_code = 'LOLCGB2LXXX')"
      " FROM cust_account WHERE corp_id = '0012' AND cust_id = 'C003'");
  ASSERT_EQ(stored.size(), 1u);
  const std::string id = stored[0].substr(0, stored[0].find('|'));
  EXPECT_EQ(r.out, "Code=1 Text=\"" + id + "\"\n");
  EXPECT_EQ(stored[0], id + "|USD|70012345678||0|A|9988776655|000001|1|1");
}

TEST_F(PayeeEndToEnd, NewPayeeExampleStoresThePayeeForTheOperator) {
  const auto r = RunExample("cny-payee-new.txt", "CN");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"P100\"\n");
  EXPECT_EQ(Payee("P100"),
            Rows{"上海申联贸易有限公司|31001520000100|中国工商银行上海分行|000001|1|办公用品供应商|"
                 "finance@shenlian.example\r\npay@shenlian.example|13900000100"});
}

TEST_F(PayeeEndToEnd, RenameExampleMovesThePayeeToItsNewId) {
  const Rows before = Payee("P001");
  ASSERT_EQ(before.size(), 1u) << "the demonstration bank has payee P001";
  const auto r = RunExample("cny-payee-rename.txt", "CN");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"P001:0012\"\n");
  EXPECT_EQ(Payee("P001"), Rows{});
  EXPECT_EQ(Payee("P101"), before);
}

TEST_F(PayeeEndToEnd, DeleteExampleRemovesThePayeeButKeepsPaymentHistory) {
  const auto r = RunExample("cny-payee-delete.txt", "CN");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=3 Text=\"P002:0012\"\n");
  EXPECT_EQ(Payee("P002"), Rows{});
  EXPECT_EQ(Query("SELECT DISTINCT payee_name FROM business WHERE payee_id = 'P002'"),
            Rows{"南京华盛建材有限公司"});
}

}  // namespace
