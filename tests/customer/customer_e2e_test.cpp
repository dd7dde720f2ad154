// The customer examples run by tavro-shell against the embedded bank server, each on a
// fresh demonstration bank; the bank's database is read afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "sys/CodePage.h"
#include "tests/support/FreshBankTest.h"

namespace {

using tavro_test::Rows;

const char kClear[] = "Code=0 Text=\"\"\n";

class CustomerEndToEnd : public tavro_test::FreshBankTest {
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
  // Runs an operator script of the test's own on the customer dialog.
  e2e::ShellOutput RunScript(const std::string& call, const std::string& actions,
                             const char* langId, bool strict = false) {
    const std::string path = box_.WriteFile(
        "script.txt", "# call: Mn_CustomerEdit --corp 0012 --user 000001 --function 201" + call +
                          "\n" + actions + "click CancelBtn\nanswer yes\n");
    box_.SetLanguage(langId);
    return strict ? box_.Shell({"run", path, "--strict"}) : box_.Shell({"run", path});
  }
  void ExpectScriptRuns(const std::string& key, const std::string& actions) {
    const auto r = RunScript(" --key " + key, actions, "EN");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, kClear);
  }
};

TEST_F(CustomerEndToEnd, NewExampleStoresTheCustomerWithItsLines) {
  const auto r = RunExample("customer-new.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"C100\"\n");
  EXPECT_EQ(Customer("C100"),
            Rows{"上海东方进出口有限公司|ORIENT IMPORT  EXPORT CO LTD\r\n1 ZHONGSHAN ROAD "
                 "(E-1)\r\nSHANGHAI 200002\r\nCHINA|新客户|trade@orient.example\r\n"
                 "pay@orient.example|000001|1"});
  // The lines come back on their lines; the account list opens over the dialog through
  // the library loader.
  ExpectScriptRuns("C100",
                   "expect ENameMmo count 4\nexpect ENameMmo item 3 CHINA\n"
                   "expect EMailMmo item 1 pay@orient.example\n");
  ExpectScriptRuns("C001",
                   "click AcNoBtn\nexpect FolderLsv count 2\nclose\nexpect IdEdt text C001\n");
}

TEST_F(CustomerEndToEnd, RenameExampleMovesTheCustomerAndItsAccounts) {
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

TEST_F(CustomerEndToEnd, DeleteExampleRemovesTheCustomerWithItsAccount) {
  ASSERT_EQ(Accounts("C005").size(), 1U) << "the demonstration bank's C005 has one account";
  const auto r = RunExample("customer-delete.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=3 Text=\"C005:0012\"\n");
  EXPECT_EQ(Customer("C005"), Rows{});
  EXPECT_EQ(Accounts("C005"), Rows{});
}

// The sample file is found beside the example, not in the current folder (the sandbox's).
TEST_F(CustomerEndToEnd, ImportExampleCreatesItsCustomersWithTheirCnyAccounts) {
  ASSERT_FALSE(box_.Exists("examples"));
  ASSERT_EQ(Query("SELECT count(*) FROM customer WHERE cust_id LIKE 'C1%'"), Rows{"0"});
  const auto r = RunExample("customer-import.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, std::string(kClear) + "summary \"共导入5笔，失败0笔\"\n");
  EXPECT_NE(r.err.find("-> \"" TAVRO_SOURCE_DIR "/examples/customer-import-sample.txt\""),
            std::string::npos)
      << r.err;
  const Rows stored = Query(
      "SELECT c.cust_id, c.cust_name, a.ac_no, a.cny_bank, c.operator, c.status,"
      " a.operator FROM customer c JOIN cust_account a ON a.corp_id = c.corp_id"
      " AND a.cust_id = c.cust_id AND a.currency = 'CNY'"
      " WHERE c.corp_id = '0012' AND c.cust_id LIKE 'C1%' ORDER BY c.cust_id");
  ASSERT_EQ(stored.size(), 5U);
  EXPECT_EQ(stored[0],
            "C101|杭州新光电器有限公司|6222020200112233|中国银行杭州分行|000001|1|000001");
  EXPECT_EQ(stored[4],
            "C105|武汉长江物流有限公司|4201555566667777|招商银行武汉分行|000001|1|000001");
}

// A refused file fails a --strict run (6), says where it stopped and sends nothing.
TEST_F(CustomerEndToEnd, ARefusedImportFileFailsAStrictRunAndSaysWhereItStopped) {
  std::string noise(4096, '\0');
  std::generate(noise.begin(), noise.end(), std::mt19937(7));
  const std::string big5 = sys::ConvertText("T01@臺灣一號貿易@700@華南銀行\r\n",
                                            sys::CodePage::Utf8, sys::CodePage::Big5);
  for (const std::string& bytes : {big5, noise}) {
    box_.WriteFile("in.txt", bytes);
    const auto r = RunScript(
        "", "click ImportBtn\nset FilenameEdt in.txt\nclick SaveBtn\nclick BitBtn2\n", "CN", true);
    EXPECT_EQ(r.status, 6) << r.out << r.err;
    EXPECT_EQ(r.out,
              std::string(kClear) + "summary \"导入在第1行中止：已处理0行，成功0笔，失败0笔\"\n");
    EXPECT_NE(r.err.find("message ok error \"ManageEdit\" "
                         "\"导入文件不是GBK或UTF-8编码的文本，导入中止\" -> ok"),
              std::string::npos)
        << r.err;
  }
  EXPECT_EQ(Query("SELECT count(*) FROM customer WHERE cust_id = 'T01'"), Rows{"0"});
}

// The file is renamed into place whole; no result file is left in the temporary folder.
TEST_F(CustomerEndToEnd, ExportExampleWritesTheDemoCustomers) {
  const auto r = RunExample("customer-export.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, kClear);
  EXPECT_EQ(sys::GbkToUtf8(box_.ReadFile("customer-export.txt")),
            "C001@上海远航贸易有限公司@622202001234567890@中国工商银行上海分行\r\n"
            "C004@深圳海岸物流有限公司@755912345678001@招商银行深圳分行\r\n");
  std::vector<std::string> work = box_.List(box_.WorkDir());
  std::sort(work.begin(), work.end());
  EXPECT_EQ(work, (std::vector<std::string>{"Tavro2007.ini", "customer-export.txt"}));
  EXPECT_EQ(box_.List(box_.TempDir()), std::vector<std::string>{"TR2007CachList.ini"});
}

// The nested account dialog saves; the list, loaded again, shows the new bank.
TEST_F(CustomerEndToEnd, AccountListEditsAnAccountInTheNestedDialogAndReloads) {
  const std::string sql =
      "SELECT ac_id, currency, ac_no, cny_bank, operator, status FROM cust_account"
      " WHERE corp_id = '0012' AND cust_id = 'C001' ORDER BY ac_id";
  const Rows before = Query(sql);
  ASSERT_EQ(before.size(), 2u);
  ASSERT_EQ(before[0], "1|CNY|622202001234567890|中国工商银行上海分行|000001|1");
  const auto r = RunExample("cust-account-list.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, kClear);
  EXPECT_EQ(Query(sql),
            (Rows{"1|CNY|622202001234567890|中国工商银行上海浦东支行|000001|1", before[1]}));
  EXPECT_NE(r.err.find("\\t1\\tC001\\tCNY\\t622202001234567890\\t中国工商银行上海浦东支行"),
            std::string::npos)
      << r.err;
}

TEST_F(CustomerEndToEnd, StatusFolderShowsTheThreeTrailsOfARecord) {
  for (const char* lang : {"CN", "EN"}) {
    const auto r = RunExample("status-folder.txt", lang);
    EXPECT_EQ(r.status, 0) << lang << r.out << r.err;
    EXPECT_EQ(r.out, kClear) << lang;
  }
}

// The USD account (first) and the HKD account (fourth) change places for this operator alone.
TEST_F(CustomerEndToEnd, AccountOrderStoresTheDraggedOrderForTheOperatorAlone) {
  const auto order = [this](const char* user) {
    return Query(
        "SELECT ac_no || ':' || position FROM account_order WHERE corp_id = '0012'"
        " AND user_id = '" +
        std::string(user) + "' ORDER BY position");
  };
  const Rows otherBefore = order("000002");
  const auto r = RunExample("account-order.txt");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, kClear);
  EXPECT_NE(r.err.find("message ok none \"ManageEdit\" \"保存成功。\" -> ok"), std::string::npos)
      << r.err;
  EXPECT_EQ(order("000001"), (Rows{"310012000300001:0", "310012000100001:1", "310012000100002:2",
                                   "310012000200001:3", "310012000400001:4", "310012000500001:5"}));
  EXPECT_EQ(order("000002"), otherBefore);
}

}  // namespace
