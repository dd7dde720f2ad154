// Mn_AcEdit end to end: tavro-shell runs the dialog against the embedded bank server,
// and the server is asked afterwards what it holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/ShellSandbox.h"

namespace {

using e2e::Sandbox;

constexpr char kAcNo[] = "310012000100001";

class AccountEditEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.UseBankServer();
    box_.SetLanguage("CN");
  }

  // The account's fields as the server answers its property command.
  std::vector<std::string> StoredAccount() const {
    auto r = box_.Run("tavro-bank", {"exec", "MN_GetPropOfAccount '0012','310012000100001'"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> fields;
    const std::string line = r.out.substr(0, r.out.find('\n'));
    std::size_t start = 0;
    for (std::size_t sep; (sep = line.find(" | ", start)) != std::string::npos; start = sep + 3) {
      fields.push_back(line.substr(start, sep - start));
    }
    fields.push_back(line.substr(start));
    return fields;
  }

  Sandbox box_;
};

TEST_F(AccountEditEndToEnd, TheExampleStoresTheNewDescriptionAndHandsBackTheReply) {
  auto r = box_.Shell({"run", TAVRO_SOURCE_DIR "/examples/account-edit.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"310012000100001\"\n");
  const std::vector<std::string> account = StoredAccount();
  ASSERT_EQ(account.size(), 7u);
  EXPECT_EQ(account[0], kAcNo);
  EXPECT_EQ(account[5], "人民币基本户（工资）");
  EXPECT_EQ(account[6], "1");  // the status went back as it came
}

TEST_F(AccountEditEndToEnd, AnOperatorWhoMayOnlyQueryCannotSave) {
  const std::string script = box_.WriteFile("query-only.txt",
                                            "expect UpdateBtn enabled false\n"
                                            "type AcNameEdt \"x\\r\"\n"
                                            "close\n"
                                            "answer yes\n");
  auto r = box_.Shell({"call", "Mn_AcEdit", "--corp", "0012", "--user", "000004", "--function",
                       "102", "--key", kAcNo, "--script", script});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_EQ(StoredAccount().at(5), "人民币基本户");
}

}  // namespace
