// The customer import example: tavro-shell opens the customer dialog, imports the sample
// file through the import dialog, and the bank then holds the customers and accounts.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/FreshBankTest.h"

namespace {

using tavro_test::Rows;

// A customer of the operator with its CNY account, as the query below joins them.
std::string Row(const char* id, const char* name, const char* acNo, const char* bank) {
  return std::string(id) + "|" + name + "|000001|1|" + acNo + "|" + bank + "|000001";
}

class CustomerImportEndToEnd : public tavro_test::FreshBankTest {};

// The sample file is found beside the example, whatever the current folder (here the
// sandbox's, which holds no copy of it).
TEST_F(CustomerImportEndToEnd, TheSampleFileCreatesItsCustomersWithTheirCnyAccounts) {
  ASSERT_FALSE(box_.Exists("examples"));
  ASSERT_EQ(Query("SELECT count(*) FROM customer WHERE cust_id LIKE 'C1%'"), Rows{"0"});

  const auto r = RunExample("customer-import.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_NE(r.err.find("-> \"" TAVRO_SOURCE_DIR "/examples/customer-import-sample.txt\""),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Query("SELECT c.cust_id, c.cust_name, c.operator, c.status, a.ac_no, a.cny_bank,"
                  " a.operator FROM customer c JOIN cust_account a ON a.corp_id = c.corp_id"
                  " AND a.cust_id = c.cust_id AND a.currency = 'CNY'"
                  " WHERE c.corp_id = '0012' AND c.cust_id LIKE 'C1%' ORDER BY c.cust_id"),
            (Rows{Row("C101", "杭州新光电器有限公司", "6222020200112233", "中国银行杭州分行"),
                  Row("C102", "南京华泰五金有限公司", "3201001234567890", "中国建设银行南京分行"),
                  Row("C103", "广州南方纺织品有限公司", "4400123456789012", "中国农业银行广州分行"),
                  Row("C104", "成都天府食品有限公司", "5101987654321000", "交通银行成都分行"),
                  Row("C105", "武汉长江物流有限公司", "4201555566667777", "招商银行武汉分行")}));
}

}  // namespace
