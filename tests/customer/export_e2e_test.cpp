// The customer export example: tavro-shell opens the customer dialog, exports the CNY
// rows through the export dialog against the bank server, and the file holds them. The
// import example's sample file, imported first, comes back line for line.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/customer/CustomerE2E.h"

namespace {

using customer_e2e::Rows;

// The demonstration bank's CNY accounts of corporation 0012, as the export writes them.
const char kDemoRows[] =
    "C001@上海远航贸易有限公司@622202001234567890@中国工商银行上海分行\r\n"
    "C004@深圳海岸物流有限公司@755912345678001@招商银行深圳分行\r\n";

std::string GbkToUtf8(const std::string& gbk) {
  // A descriptor that failed to open makes the conversion below fail too.
  iconv_t cd = iconv_open("UTF-8", "GBK");
  std::string out(gbk.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(gbk.data());
  std::size_t inLeft = gbk.size();
  char* to = out.data();
  std::size_t outLeft = out.size();
  EXPECT_NE(iconv(cd, &in, &inLeft, &to, &outLeft), static_cast<std::size_t>(-1)) << gbk;
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::string SourceFile(const std::string& name) {
  std::ifstream file(std::string(TAVRO_SOURCE_DIR) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

class CustomerExportEndToEnd : public customer_e2e::CustomerEndToEnd {
 protected:
  // The files the run left in the sandbox's temporary folder: the function cache only,
  // no result file.
  void ExpectNoResultFileLeft() {
    std::vector<std::string> left = box_.List(box_.TempDir());
    std::erase(left, "TR2007CachList.ini");
    EXPECT_EQ(left, std::vector<std::string>{});
  }
};

TEST_F(CustomerExportEndToEnd, TheDemoCustomersAreWritten) {
  const auto r = RunExample("customer-export.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  ASSERT_TRUE(box_.Exists("customer-export.txt"));
  EXPECT_EQ(GbkToUtf8(box_.ReadFile("customer-export.txt")), kDemoRows);
  ExpectNoResultFileLeft();
  // Nothing beside the export: the file was renamed into place whole.
  std::vector<std::string> work = box_.List(box_.WorkDir());
  std::sort(work.begin(), work.end());
  EXPECT_EQ(work, (std::vector<std::string>{"Tavro2007.ini", "customer-export.txt"}));
}

TEST_F(CustomerExportEndToEnd, ImportedSampleComesBackLineForLine) {
  const std::string sample = SourceFile("examples/customer-import-sample.txt");
  ASSERT_FALSE(sample.empty());
  std::filesystem::create_directories(box_.WorkDir() + "/examples");
  box_.WriteFile("examples/customer-import-sample.txt", sample);

  const auto imported = RunExample("customer-import.txt");
  ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
  const auto exported = RunExample("customer-export.txt");
  ASSERT_EQ(exported.status, 0) << exported.out << exported.err;

  // The export is ordered by customer id: the demo's C001 and C004, then the sample's
  // C101 to C105 in the sample's own bytes (GBK, "@" between the fields, CR LF).
  const std::string file = box_.ReadFile("customer-export.txt");
  ASSERT_GE(file.size(), sample.size()) << file;
  EXPECT_EQ(GbkToUtf8(file.substr(0, file.size() - sample.size())), kDemoRows);
  EXPECT_EQ(file.substr(file.size() - sample.size()), sample);
  EXPECT_EQ(Query("SELECT count(*) FROM cust_account WHERE corp_id = '0012' AND currency = "
                  "'CNY'"),
            Rows{"7"});
  ExpectNoResultFileLeft();
}

}  // namespace
