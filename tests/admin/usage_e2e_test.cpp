// Mn_UsageEdit end to end: tavro-shell runs the editor against the embedded bank server,
// and the server is asked afterwards which usage texts it holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/ShellSandbox.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;

class UsageEditEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.UseBankServer();
    box_.SetLanguage("CN");
  }

  std::vector<std::string> StoredUsages(const std::string& corp, const std::string& user) const {
    auto r = box_.Run("tavro-bank", {"exec", "MN_GetUsageList '" + corp + "','" + user + "'"});
    EXPECT_EQ(r.status, 0) << r.err;
    return Lines(r.out);
  }

  Sandbox box_;
};

const std::vector<std::string> kSeeded = {"货款", "运费", "服务费", "工资", "差旅费"};

TEST_F(UsageEditEndToEnd, TheExampleStoresTheEditedListInItsOrder) {
  auto r = box_.Shell({"run", TAVRO_SOURCE_DIR "/examples/usage-edit.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_EQ(StoredUsages("0012", "000001"),
            (std::vector<std::string>{"差旅费", "货款", "运输费", "服务费", "办公用品"}));
  // The batch replaced only this corporation's list.
  EXPECT_EQ(StoredUsages("0020", "200001"), (std::vector<std::string>{"设备款", "货款"}));
}

TEST_F(UsageEditEndToEnd, ARefusedSaveOrACancelLeavesTheStoredListWhole) {
  // The server refuses a text longer than it stores: the whole batch is undone, the
  // operator sees why and still has the edited list, then leaves without saving.
  const std::string script = box_.WriteFile("refused.txt",
                                            "click AddNewBtn\n"
                                            "input \"" +
                                                std::string(101, 'u') +
                                                "\"\n"
                                                "click SaveBtn\n"
                                                "expect UsageList count 6\n"
                                                "click CancelBtn\n"
                                                "answer yes\n");
  auto r = box_.Shell(
      {"call", "Mn_UsageEdit", "--corp", "0012", "--user", "000001", "--script", script});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_NE(r.err.find("Error:statement 7:"), std::string::npos) << r.err;
  EXPECT_EQ(StoredUsages("0012", "000001"), kSeeded);
}

}  // namespace
