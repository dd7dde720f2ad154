// The customer examples run through tavro-shell against the embedded bank server; the
// bank's database is read afterwards to see what the server then holds.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/FreshBankTest.h"

namespace {

using tavro_test::Rows;

class CustEditEndToEnd : public tavro_test::FreshBankTest {
 protected:
  // The stored fields of a customer of corporation 0012; no row when there is none.
  Rows Customer(const std::string& id) {
    return Query(
        "SELECT cust_name, name_addr, remark, email, operator, status FROM customer"
        " WHERE corp_id = '0012' AND cust_id = '" +
        id + "'");
  }
  Rows Accounts(const std::string& id) {
    return Query("SELECT currency, ac_no FROM cust_account WHERE corp_id = '0012' AND cust_id = '" +
                 id + "' ORDER BY ac_no");
  }
  // Opens a customer under an operator script of the test's own; English texts.
  void ExpectScriptRuns(const std::string& key, const std::string& actions) {
    const std::string path = box_.WriteFile(
        "script.txt", "# call: Mn_CustomerEdit --corp 0012 --user 000001 --function 201 --key " +
                          key + "\n" + actions + "click CancelBtn\nanswer yes\n");
    box_.SetLanguage("EN");
    const auto r = box_.Shell({"run", path});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  }
};

// Each example on a fresh demonstration bank of its own.
TEST_F(CustEditEndToEnd, NewExampleStoresTheCustomerWithItsLines) {
  const auto r = RunExample("customer-new.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"C100\"\n");
  EXPECT_EQ(Customer("C100"),
            Rows{"上海东方进出口有限公司|ORIENT IMPORT  EXPORT CO LTD\r\n1 ZHONGSHAN ROAD "
                 "(E-1)\r\nSHANGHAI 200002\r\nCHINA|新客户|trade@orient.example\r\n"
                 "pay@orient.example|000001|1"});
}

TEST_F(CustEditEndToEnd, RenameExampleMovesTheCustomerAndItsAccounts) {
  const Rows c001 = Customer("C001");
  const Rows c001Accounts = Accounts("C001");
  ASSERT_EQ(c001Accounts.size(), 2U) << "the demonstration bank's C001 has two accounts";
  const auto r = RunExample("customer-rename.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"C001:0012\"\n");
  EXPECT_EQ(Customer("C101"), c001);
  EXPECT_EQ(Accounts("C101"), c001Accounts);
  EXPECT_EQ(Customer("C001"), Rows{});
  EXPECT_EQ(Accounts("C001"), Rows{});
}

TEST_F(CustEditEndToEnd, DeleteExampleRemovesTheCustomerWithItsAccount) {
  ASSERT_EQ(Accounts("C005").size(), 1U) << "the demonstration bank's C005 has one account";
  const auto r = RunExample("customer-delete.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=3 Text=\"C005:0012\"\n");
  EXPECT_EQ(Customer("C005"), Rows{});
  EXPECT_EQ(Accounts("C005"), Rows{});
}

// The new customer's lines come back on their lines; the account button opens the
// customer's account list over the dialog through the library loader.
TEST_F(CustEditEndToEnd, StoredLinesComeBackAndTheAccountListOpensOverTheDialog) {
  ASSERT_EQ(RunExample("customer-new.txt").status, 0);
  ExpectScriptRuns("C100",
                   "expect ENameMmo count 4\nexpect ENameMmo item 3 CHINA\n"
                   "expect EMailMmo item 1 pay@orient.example\n");
  ExpectScriptRuns("C001",
                   "click AcNoBtn\nexpect FolderLsv count 2\nclose\nexpect IdEdt text C001\n");
}

}  // namespace
