// The customer examples run through tavro-shell against the embedded bank server; the
// bank's database is read afterwards to see what the server then holds.
#include <gtest/gtest.h>

#include <string>

#include "tests/customer/CustomerE2E.h"

namespace {

using customer_e2e::Rows;

class CustEditEndToEnd : public customer_e2e::CustomerEndToEnd {
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
  // Opens a customer with an operator script of its own, written into the sandbox.
  e2e::ShellOutput RunScript(const std::string& key, const std::string& actions) {
    const std::string path = box_.WriteFile(
        "script.txt", "# call: Mn_CustomerEdit --corp 0012 --user 000001 --function 201 --key " +
                          key + "\n" + actions);
    box_.SetLanguage("EN");
    return box_.Shell({"run", path});
  }
};

// The name and address is stored on its four lines, and comes back on four lines.
TEST_F(CustEditEndToEnd, NewExampleStoresTheCustomerAndItsFourLinesComeBack) {
  const auto r = RunExample("customer-new.txt");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"C100\"\n");
  EXPECT_EQ(Customer("C100"),
            Rows{"上海东方进出口有限公司|ORIENT IMPORT  EXPORT CO LTD\r\n1 ZHONGSHAN ROAD "
                 "(E-1)\r\nSHANGHAI 200002\r\nCHINA|新客户|trade@orient.example\r\n"
                 "pay@orient.example|000001|1"});

  const auto reopened = RunScript("C100",
                                  "expect ENameMmo count 4\n"
                                  "expect ENameMmo item 3 CHINA\n"
                                  "expect EMailMmo item 1 pay@orient.example\n"
                                  "click CancelBtn\nanswer yes\n");
  EXPECT_EQ(reopened.status, 0) << reopened.out << reopened.err;
  EXPECT_EQ(reopened.out, "Code=0 Text=\"\"\n");
}

TEST_F(CustEditEndToEnd, RenameExampleMovesTheCustomerAndItsAccountsToTheNewId) {
  const Rows before = Customer("C001");
  const Rows accounts = Accounts("C001");
  ASSERT_EQ(before.size(), 1u) << "the demonstration bank has customer C001";
  ASSERT_EQ(accounts.size(), 2u) << "with two bank accounts";
  const auto r = RunExample("customer-rename.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"C001:0012\"\n");
  EXPECT_EQ(Customer("C001"), Rows{});
  EXPECT_EQ(Customer("C101"), before);
  EXPECT_EQ(Accounts("C001"), Rows{});
  EXPECT_EQ(Accounts("C101"), accounts);
}

TEST_F(CustEditEndToEnd, DeleteExampleRemovesTheCustomerWithItsAccounts) {
  ASSERT_EQ(Accounts("C005").size(), 1u) << "the demonstration bank's C005 has an account";
  const auto r = RunExample("customer-delete.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=3 Text=\"C005:0012\"\n");
  EXPECT_EQ(Customer("C005"), Rows{});
  EXPECT_EQ(Accounts("C005"), Rows{});
}

// The account button calls the module's own account list through the library loader;
// the list opens over the dialog with the customer's two accounts, and closing it goes
// back to the dialog, which hands nothing back for it.
TEST_F(CustEditEndToEnd, TheAccountButtonOpensTheCustomersAccountListOverTheDialog) {
  const auto r = RunScript("C001",
                           "click AcNoBtn\nexpect FolderLsv count 2\nclose\n"
                           "expect IdEdt text C001\nclick CancelBtn\nanswer yes\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
}

}  // namespace
