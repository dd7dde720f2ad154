// The customer import through tavro-shell: the example imports the sample file through
// the import dialog, and the bank then holds the customers and accounts; files the
// import refuses fail a strict run.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sys/CodePage.h"
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
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\nsummary \"共导入5笔，失败0笔\"\n");
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

// A file the import refuses shows its refusal in an error box that the transcript
// records, so that --strict fails the run (6); the shell prints how the import ended,
// and nothing reaches the bank.
TEST_F(CustomerImportEndToEnd, ARefusedFileFailsAStrictRunAndSaysWhereItStopped) {
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) {
    c = static_cast<char>(random());
  }
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("C9@n@1@b\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"Big5 without the conversion box",
       sys::ConvertText("T01@臺灣一號貿易@700@華南銀行\r\n", sys::CodePage::Utf8,
                        sys::CodePage::Big5)},
      {"UTF-16", utf16},
      {"random bytes", noise},
  };
  const std::string script =
      box_.WriteFile("import.txt",
                     "# call: Mn_CustomerEdit --corp 0012 --user 000001 --function 201\n"
                     "click ImportBtn\nset FilenameEdt in.txt\nclick SaveBtn\nclick BitBtn2\n"
                     "click CancelBtn\nanswer yes\n");
  for (const auto& c : cases) {
    box_.WriteFile("in.txt", c.bytes);
    const auto r = box_.Shell({"run", script, "--strict"});
    EXPECT_EQ(r.status, 6) << c.what << "\n" << r.out << r.err;
    EXPECT_EQ(r.out, "Code=0 Text=\"\"\nsummary \"导入在第1行中止：已处理0行，成功0笔，失败0笔\"\n")
        << c.what;
    EXPECT_NE(r.err.find("message ok error \"ManageEdit\" "
                         "\"导入文件不是GBK或UTF-8编码的文本，导入中止\" -> ok"),
              std::string::npos)
        << c.what << "\n"
        << r.err;
  }
  EXPECT_EQ(Query("SELECT count(*) FROM customer WHERE cust_id IN ('T01', 'C9')"), Rows{"0"});
}

}  // namespace
