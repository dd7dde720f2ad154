// The customer export example: tavro-shell opens the customer dialog and exports the CNY
// rows through the export dialog against the bank server into a file of its folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sys/CodePage.h"
#include "tests/support/FreshBankTest.h"

namespace {

using sys::GbkToUtf8;

class CustomerExportEndToEnd : public tavro_test::FreshBankTest {};

// The file is renamed into place whole, and no result file is left in the temporary
// folder (the function cache only).
TEST_F(CustomerExportEndToEnd, TheDemoCustomersAreWritten) {
  const auto r = RunExample("customer-export.txt");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_EQ(GbkToUtf8(box_.ReadFile("customer-export.txt")),
            "C001@上海远航贸易有限公司@622202001234567890@中国工商银行上海分行\r\n"
            "C004@深圳海岸物流有限公司@755912345678001@招商银行深圳分行\r\n");
  std::vector<std::string> work = box_.List(box_.WorkDir());
  std::sort(work.begin(), work.end());
  EXPECT_EQ(work, (std::vector<std::string>{"Tavro2007.ini", "customer-export.txt"}));
  EXPECT_EQ(box_.List(box_.TempDir()), std::vector<std::string>{"TR2007CachList.ini"});
}

}  // namespace
