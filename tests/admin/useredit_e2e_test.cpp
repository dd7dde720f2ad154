// The user dialog end to end: tavro-shell runs the example against the embedded bank
// server, and the server's own answers afterwards show what the save stored.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/ShellSandbox.h"

namespace {

using e2e::Sandbox;

class UserEditEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.UseBankServer();
    box_.SetLanguage("EN");
  }

  // The server's answer to a command, as tavro-bank prints it.
  std::string Server(const std::string& command) {
    auto r = box_.Run("tavro-bank", {"exec", command});
    EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
    return r.out;
  }

  Sandbox box_;
};

TEST_F(UserEditEndToEnd, TheExampleStoresReviewAccountAndNodeRights) {
  // What the demonstration bank holds for 000002 before.
  EXPECT_EQ(Server("MN_GetCheckUserList '0012','000002'"), "");
  EXPECT_EQ(Server("Sh_GetNodeRight '0012','000002',104"), "11110000\n");

  auto r = box_.Shell({"run", TAVRO_SOURCE_DIR "/examples/user-edit.txt"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_NE(r.err.find("close TUserEditFrm ok"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("message"), std::string::npos) << r.err;  // no error shown

  EXPECT_EQ(Server("MN_GetCheckUserList '0012','000002'"), "000003\n000004\n");
  const std::string accounts = Server("MN_GetUserCheckAcList '0012','000002'");
  EXPECT_EQ(accounts.find("310012000200001"), std::string::npos) << accounts;
  EXPECT_NE(accounts.find("310012000100001"), std::string::npos) << accounts;
  EXPECT_NE(accounts.find("310012000100002"), std::string::npos) << accounts;
  EXPECT_EQ(Server("Sh_GetNodeRight '0012','000002',104"), "00000000\n");
  EXPECT_EQ(Server("MN_GetNodeRightList '0012','000002'").find("\n104="), std::string::npos);
  EXPECT_EQ(Server("Sh_GetNodeRight '0012','000002',105"), "11000000\n");
  EXPECT_EQ(Server("Sh_GetNodeRight '0012','000002',201"), "11110000\n");  // untouched
  // The rights file lived only for the call.
  for (const std::string& name : box_.List(box_.TempDir())) {
    EXPECT_NE(name, "UsrRight.ini");
  }
}

TEST_F(UserEditEndToEnd, AnOperatorWithoutLevelDCannotSaveAndCancelChangesNothing) {
  const std::string before = Server("MN_GetNodeRightList '0012','000002'");
  box_.WriteFile("look.txt",
                 "expect UpdateBtn enabled false\n"
                 "click UserViewNodeCkb\n"
                 "expect RightClb enabled false\n"
                 "click DefRightBtn\nanswer yes\n"
                 "click CancelBtn\nanswer yes\n");
  auto r = box_.Shell({"call", "Mn_UserEdit", "--corp", "0012", "--user", "000004", "--function",
                       "101", "--key", "000002", "--script", "look.txt"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_NE(r.err.find("close TUserEditFrm cancel"), std::string::npos) << r.err;
  EXPECT_EQ(Server("MN_GetNodeRightList '0012','000002'"), before);
}

}  // namespace
