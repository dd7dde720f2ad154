// The user dialog through Mn_UserEdit with the recording fake host, and its rights file,
// store rule and save batches on their own.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "admin/UserEditFrm.h"
#include "admin/UserRights.h"
#include "frame/ResultText.h"
#include "tests/admin/AdminTest.h"

namespace {

using admin::TRightsFile;
using admin_test::Texts;
using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Gbk;
using tavro_test::Question;
using tavro_test::ReadFile;
using Entries = std::vector<std::pair<std::string, std::string>>;

constexpr HWND_T kShell = 0x51;
constexpr std::size_t kLoadCommands = 5;  // both users, corporations, rights twice

class UserEditTest : public admin_test::AdminTest {
 protected:
  // Operator 000001 (level D, every right on function 101) edits user 000002 of 0012.
  // The host answers from answers_, which a test may change at any moment.
  void SetUp() override {
    AdminTest::SetUp();
    SetLanguage("EN");
    fakehost::OnAny([this](const fakehost::Call& call) {
      if (onCall_) {
        onCall_(call);
      }
      auto found = answers_.find(call.command);
      return found == answers_.end() ? Answer::Ok("") : found->second;
    });
    On("MN_GetPropOfUser '000001'", Gbk("000001\a0012\aD\a王建国\a演示贸易有限公司\a2"));
    On("MN_GetPropOfUser '000002'", Gbk("000002\a0012\aO\a李明\a演示\a2"));
    On("MN_GetUserCorpList 'CN','000002'", "0012 Demo\r\n");
    On("Sh_GetNodeRight '0012','000001',101", "11111000");
    On("MN_GetUserList '0012','000002'", "000001\r\n000002\r\n000003\r\n000004\r\n");
    On("MN_GetCheckUserList '0012','000002'", "000003\r\n");
    On("Sh_GetViewNodeList 'EN','',''",
       "1:System\r\n\t101:Users\r\n\t104:Usage\r\n2:Customers\r\n");
    On("MN_GetNodeRightList '0012','000002'", "[Right]\r\n1=10000000\r\n104=11110000\r\n");
    On("MN_GetAcNoList 99,'','0012','000002'", "A1:CNY x\r\nA2:USD y\r\n");
    On("MN_GetUserCheckAcList '0012','000002'", "a1:CNY x\r\n");
  }
  void On(const std::string& command, Answer answer) { answers_[command] = std::move(answer); }
  void On(const std::string& command, const std::string& text) { On(command, Answer::Ok(text)); }
  // Calls the entry point as the shell does; the record starts dirty and must end zero.
  void Call(const char* key = "000002") {
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_UserEdit(&result, kShell, "0012", "000001", 101, key, "ignored");
    const TShellResult zero{};
    EXPECT_EQ(std::memcmp(&result, &zero, sizeof result), 0);
  }
  // Runs the operator's actions on the dialog as it opens.
  void Operate(const std::function<void(admin::TUserEditFrm&)>& fn) {
    Platform().SetOperator([fn](ui::TForm& form) {
      auto* dialog = dynamic_cast<admin::TUserEditFrm*>(&form);
      ASSERT_NE(dialog, nullptr);
      fn(*dialog);
    });
  }
  // Performs script lines on the open dialog.
  void Do(admin::TUserEditFrm& form, const std::string& lines) {
    std::size_t start = 0;
    for (std::size_t end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
      EXPECT_TRUE(Platform().Perform(form, lines.substr(start, end - start)));
    }
  }
  static Texts AfterLoad(std::size_t before = 0) {
    return Commands(kShell, before + kLoadCommands);
  }
  std::string RightsPath() const { return TempDir() + "UsrRight.ini"; }
  // Runs before the host answers a call (a host that leaves a file behind and fails).
  std::function<void(const fakehost::Call&)> onCall_;

 private:
  std::map<std::string, Answer> answers_;
};

TEST_F(UserEditTest, ABlankKeyOpensNothingAndSaysOnlyTheBankAddsUsers) {
  Call("   ");
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_EQ(Platform().Transcript(),  // and no dialog opened
            Texts{Box("经办人员只能由银行新增/Only Bank Can Add New User.")});
}

// A batch the server refuses is reported and the next one is still sent.
TEST_F(UserEditTest, SavingAllThreeAreasSendsTheirBatchesInOrder) {
  const std::string review =
      "exec MN_DeleteUserCheckList '0012','000002'\x1E"
      "exec MN_InsertUserCheckList '0012','000002','000003'\r\n"
      "exec MN_InsertUserCheckList '0012','000002','000004'\r\n";
  On(review, Answer::Fail(7, "locked"));
  Operate([&](admin::TUserEditFrm& f) {
    Do(f,
       "expect BelongCorpLbl caption Corporation\nexpect form font \"宋体\" 10 134\n"
       "expect NameEdt text 李明\n"
       "expect BelongCorpCmb itemindex 0\n"                              // the only corporation
       "click CheckRightCkb\nexpect CheckRightClb itemchecked 2 true\n"  // 000003 from the server
       "check CheckRightClb \"000004\" on\ncheck CheckRightClb \"000002\" on\n"  // himself
       "click AcRightCkb\nexpect AcNoClb itemchecked 0 true\n"  // "a1:CNY x": case ignored
       "check AcNoClb 1 on\n"
       "click UserViewNodeCkb\nselect MainDirTrv \"104:Usage\"\n"
       "expect RightClb itemchecked 3 true\n"
       "check RightClb 0 off\ncheck RightClb 1 off\ncheck RightClb 2 off\ncheck RightClb 3 off\n"
       "select MainDirTrv \"2:Customers\"\ncheck RightClb 1 on\nclick UpdateBtn\n");
    EXPECT_EQ(f.StatusShowLbl->Caption(), "The user record has been saved");
  });
  Call();
  const std::string accounts =
      "exec MN_DeleteUserAcList '0012','000002'\r\n"
      "exec MN_InsertAcRightList '0012','000002','A1'\r\n"
      "exec MN_InsertAcRightList '0012','000002','A2'\r\n";
  const std::string nodes =  // 104 cleared: a delete; 2 is new: an update
      "exec MN_DeleteUserRightList '0012','000002',104  \r\n"
      "exec MN_UpdateRightItem '0012','000002',2,'01000000'  \r\n";
  EXPECT_EQ(AfterLoad(),
            (Texts{"MN_GetUserList '0012','000002'", "MN_GetCheckUserList '0012','000002'",
                   "MN_GetAcNoList 99,'','0012','000002'", "MN_GetUserCheckAcList '0012','000002'",
                   "Sh_GetViewNodeList 'EN','',''", "MN_GetNodeRightList '0012','000002'", review,
                   accounts, nodes}));
  EXPECT_EQ(LastLine(), "close TUserEditFrm ok");
  EXPECT_FALSE(std::filesystem::exists(RightsPath()));
  EXPECT_EQ(MessageLines(), Texts{Box("Error:locked")});
}

// Only a level D operator may change node rights, and save with the right to modify;
// the rights list takes ticks only while it shows a node.
TEST_F(UserEditTest, OnlyALevelDOperatorWithTheModifyRightMaySave) {
  const struct {
    const char* level;
    Answer rights;
    const char* enabled;
  } cases[] = {
      {"D", Answer::Ok("00100000"), "true"},
      {"D", Answer::Ok("11011111"), "false"},
      {"O", Answer::Ok("11111000"), "false"},
      {"D", Answer::Fail(3, "no rights"), "false"},
  };
  for (const auto& c : cases) {
    On("MN_GetPropOfUser '000001'", std::string("000001\a0012\a") + c.level + "\aW\aC\a2");
    On("Sh_GetNodeRight '0012','000001',101", c.rights);
    Platform().RunScript(std::string("expect UpdateBtn enabled ") + c.enabled +
                         "\nexpect RightClb enabled false\nclick UserViewNodeCkb\n"
                         "expect RightClb enabled false\nselect MainDirTrv 1\n"
                         "expect RightClb enabled " +
                         (c.level[0] == 'D' ? "true" : "false") +
                         "\nclick UserViewNodeCkb\nexpect RightClb enabled false\n");
    Call();
  }
}

// Status and level are matched by code, not position; a failed read still opens.
TEST_F(UserEditTest, TheUserIsShownAsTheServerHasHim) {
  const std::pair<Answer, const char*> cases[] = {
      {Answer::Ok("000002\a0012\aS\aL\aC\a9"),
       "expect StatusCmb itemindex 3\nexpect RightCmb itemindex 4\n"},
      {Answer::Fail(4, "no such user"), "expect StatusCmb text \"0:Deleted\"\n"},
  };
  for (const auto& [answer, script] : cases) {
    On("MN_GetPropOfUser '000002'", answer);
    Platform().RunScript(script);
    Call();
  }
  EXPECT_EQ(MessageLines(), Texts{Box("Error:no such user")});
}

// Rights fetched for one corporation must never be saved for another.
TEST_F(UserEditTest, AnAreaNeedsACorporationAndAnotherCorporationSwitchesAllOff) {
  On("MN_GetUserCorpList 'CN','000002'", "0012 A\r\n0020 B\r\n");
  Operate([&](admin::TUserEditFrm& f) {
    Do(f, "click UserViewNodeCkb\nexpect UserViewNodeCkb checked false\n");
    EXPECT_EQ(f.ActiveControl(), f.BelongCorpCmb);
    Do(f,
       "select BelongCorpCmb \"0012 A\"\nclick CheckRightCkb\nclick UserViewNodeCkb\n"
       "click AcRightCkb\nselect BelongCorpCmb \"0012 A\"\n"  // the same again: all stays
       "expect CheckRightCkb checked true\nexpect UserViewNodeCkb checked true\n"
       "expect AcRightCkb checked true\nselect BelongCorpCmb \"0020 B\"\n"
       "expect CheckRightCkb checked false\nexpect UserViewNodeCkb checked false\n"
       "expect AcRightCkb checked false\n");
    EXPECT_FALSE(f.CheckRightClb->Enabled() || f.MainDirTrv->Enabled() || f.RightClb->Enabled() ||
                 f.DefRightBtn->Enabled() || f.AcNoClb->Enabled());
  });
  Call();
  EXPECT_EQ(MessageLines(), Texts{Box("请先选择所属企业！/Select Belong Corp Please")});
  EXPECT_EQ(AfterLoad().front(), "MN_GetUserList '0012','000002'");  // the refusal sent nothing
}

TEST_F(UserEditTest, SavingALevelDUserAsksAndCancelAsksToo) {
  const std::string admin = "This user is an administrator. Change the rights anyway?";
  const std::string leave = "The changes are not saved. Leave anyway?";
  On("MN_GetPropOfUser '000002'", "000002\a0012\aD\aL\aC\a2");
  Platform().RunScript(
      "click CheckRightCkb\ncheck CheckRightClb 0 on\n"
      "click UpdateBtn\nanswer no\nexpect CheckRightClb itemchecked 0 true\n"
      "click CancelBtn\nanswer no\nexpect CheckRightClb itemchecked 0 true\nclose\nanswer yes\n");
  Call();
  EXPECT_EQ(AfterLoad(),
            (Texts{"MN_GetUserList '0012','000002'", "MN_GetCheckUserList '0012','000002'"}));
  EXPECT_EQ(LastLine(), "close TUserEditFrm cancel");
  // With yes the save goes on: an area left off sends nothing, the node area sends its
  // batch even when no node changed, and OK asks nothing more.
  const std::size_t before = fakehost::Calls().size();
  Platform().RunScript(
      "click UserViewNodeCkb\nselect MainDirTrv \"104:Usage\"\nclick UpdateBtn\nanswer yes\n");
  Call();
  EXPECT_EQ(AfterLoad(before),
            (Texts{"Sh_GetViewNodeList 'EN','',''", "MN_GetNodeRightList '0012','000002'", ""}));
  EXPECT_EQ(LastLine(), "close TUserEditFrm ok");
  EXPECT_EQ(MessageLines(), (Texts{Question(admin, "no"), Question(leave, "no"),
                                   Question(leave, "yes"), Question(admin, "yes")}));
}

TEST_F(UserEditTest, AccountAreaSwitchedOnAgainReloadsUnlessTheListFails) {
  Operate([&](admin::TUserEditFrm& f) {
    Do(f,
       "click AcRightCkb\ncheck AcNoClb 1 on\nclick AcRightCkb\n"
       "expect AcNoClb itemchecked 1 true\n"                     // off only disables
       "click AcRightCkb\nexpect AcNoClb itemchecked 1 false\n"  // reloaded
       "click AcRightCkb\n");
    // A failed list keeps the items and their checks and still applies the check rows.
    On("MN_GetAcNoList 99,'','0012','000002'", Answer::Fail(5, "timeout"));
    On("MN_GetUserCheckAcList '0012','000002'", "A2:USD y\r\n");
    Do(f,
       "click AcRightCkb\nexpect AcNoClb count 2\nexpect AcNoClb item 1 \"A2:USD y\"\n"
       "expect AcNoClb itemchecked 0 true\nexpect AcNoClb itemchecked 1 true\n");
  });
  Call();
  EXPECT_EQ(MessageLines(), Texts{Box("Error:timeout")});
}

// A failed fetch counts as no rights at all, even when the host left a file behind.
TEST_F(UserEditTest, NodesWithoutServerRightsCountAsNewAndNoShownNodeStoresNothing) {
  On("MN_GetNodeRightList '0012','000002'", Answer::Fail(6, "busy"));
  onCall_ = [](const fakehost::Call& call) {
    if (call.command.starts_with("MN_GetNodeRightList")) {
      tavro_test::WriteFile(call.fileName, "[Right]\r\n101=11110000\r\n");
    }
  };
  Platform().RunScript(
      "click UserViewNodeCkb\nexpect RightClb enabled false\n"  // no node yet
      "select MainDirTrv \"101:Users\"\nexpect RightClb itemchecked 0 false\nfocus RightClb\n"
      "click UpdateBtn\n");  // left unchanged, yet new: sent as an update
  Call();
  EXPECT_EQ(fakehost::LastCall().command,
            "exec MN_UpdateRightItem '0012','000002',101,'00000000'  \r\n");
}

TEST_F(UserEditTest, DefaultRightsGiveEveryNodeQueryOnlyAfterAYes) {
  const std::string question = "默认权限是用户所有功能只能查询，将清除原先设置的权限，是否继续？";
  Platform().RunScript(
      "click UserViewNodeCkb\nselect MainDirTrv \"104:Usage\"\nclick DefRightBtn\nanswer no\n"
      "click DefRightBtn\nanswer yes\nexpect RightClb itemchecked 1 true\n"  // not refreshed
      "select MainDirTrv \"104:Usage\"\nexpect RightClb itemchecked 1 false\nclick UpdateBtn\n");
  Call();
  // Node 1 had query only already.
  EXPECT_EQ(fakehost::LastCall().command,
            "exec MN_UpdateRightItem '0012','000002',101,'10000000'  \r\n"
            "exec MN_UpdateRightItem '0012','000002',104,'10000000'  \r\n"
            "exec MN_UpdateRightItem '0012','000002',2,'10000000'  \r\n");
  EXPECT_EQ(MessageLines(), (Texts{Question(question, "no", ""), Question(question, "yes", "")}));
}

TEST_F(UserEditTest, ABadTreeLeavesNoStaleRightsForTheSave) {
  On("MN_GetUserCorpList 'CN','000002'", "0012 A\r\n0020 B\r\n");
  Operate([&](admin::TUserEditFrm& f) {
    Do(f,
       "select BelongCorpCmb \"0012 A\"\nclick UserViewNodeCkb\nselect MainDirTrv \"2:Customers\"\n"
       "check RightClb 0 on\nselect BelongCorpCmb \"0020 B\"\n");  // 2 stored, then all off
    On("Sh_GetViewNodeList 'EN','',''", "1:System\r\n\t\t3:Deep\r\n");
    On("MN_GetNodeRightList '0020','000002'", "[Right]\r\n1=10000000\r\n");
    Do(f,
       "click UserViewNodeCkb\nexpect MainDirTrv count 0\nexpect RightClb enabled false\n"
       "click UpdateBtn\n");
  });
  Call();
  EXPECT_EQ(fakehost::LastCall().command, "");  // nothing of 0012 reaches 0020
  ASSERT_EQ(MessageLines().size(), 1U);
  EXPECT_NE(MessageLines()[0].find("Invalid level (2)"), std::string::npos) << MessageLines()[0];
}

TEST_F(UserEditTest, AFailedOrShortTreeLeavesItEmpty) {
  const std::pair<Answer, Texts> cases[] = {
      {Answer::Fail(2, "down"), {Box("Error:down"), Box("The function tree could not be read.")}},
      {Answer::Ok("1:ab\r"), {}},
  };
  for (const auto& [answer, messages] : cases) {
    On("Sh_GetViewNodeList 'EN','',''", answer);
    const std::size_t before = MessageLines().size();
    Platform().RunScript(
        "click UserViewNodeCkb\nexpect MainDirTrv count 0\nexpect DefRightBtn enabled true\n");
    Call();
    const Texts all = MessageLines();
    EXPECT_EQ(Texts(all.begin() + before, all.end()), messages);
  }
}

// The rights file without the dialog.
class UserRightsTest : public tavro_test::TempDirTest {
 protected:
  TRightsFile FileWith(const std::string& text) {
    const std::string path = TempDir() + admin::kRightsFileName;
    tavro_test::WriteFile(path, text);
    return admin::LoadRightsFile(path);
  }
};

TEST_F(UserRightsTest, TheStoreRuleDecidesBetweenUpdateDeleteAndNothing) {
  const struct {
    const char* right;               // the server's line for node 7, or null
    std::vector<const char*> masks;  // stored one after another
    Entries update, del;
    const char* finalRight;
  } cases[] = {
      {nullptr, {"00000000"}, {{"7", "00000000"}}, {}, "00000000"},  // new, nothing checked
      {"7=", {"10000000"}, {{"7", "10000000"}}, {}, "10000000"},     // given empty: new
      {"7=11110000", {"00000000"}, {}, {{"7", ""}}, "00000000"},
      {"7=10000000", {"11000000", "00000000"}, {{"7", "11000000"}}, {{"7", ""}}, "00000000"},
      {"7=10000000", {"00000000", "10000000"}, {{"7", "10000000"}}, {{"7", ""}}, "10000000"},
      {"7=11110000", {"11110000"}, {}, {}, "11110000"},
      {"7=11110111", {"11110000"}, {{"7", "11110000"}}, {}, "11110000"},  // all 8 compared
      {"7=11110000xyz", {"11110000"}, {}, {}, "11110000xyz"},             // only the first 8
  };
  for (const auto& c : cases) {
    TRightsFile file = FileWith(c.right ? std::string("[Right]\r\n") + c.right + "\r\n" : "");
    for (const char* mask : c.masks) {
      admin::StoreNodeRights(file, "7", mask);
    }
    const std::string name = c.right ? c.right : "none";
    EXPECT_EQ(admin::RightsEntries(file, "Update"), c.update) << name;
    EXPECT_EQ(admin::RightsEntries(file, "Delete"), c.del) << name;
    EXPECT_EQ(admin::ReadRightsEntry(file, "Right", "7", "none"), c.finalRight) << name;
  }
  // A short mask shows what it has, a letter other than 1 no right; 6 to 8 are never shown.
  EXPECT_EQ(admin::ShownRightsOf("1x"), (admin::TShownRights{true, false, false, false, false}));
  EXPECT_EQ(admin::ShownRightsOf("00001111"),
            (admin::TShownRights{false, false, false, false, true}));
}

TEST_F(UserRightsTest, FileKeepsTheInitialisationRulesAndIsWrittenOnlyWhenChanged) {
  // The server's file: mixed case, a duplicate (the first wins), LF line ends.
  TRightsFile file = FileWith("[right]\n12=11110000\n3=10000000\n12=00000000\n");
  EXPECT_EQ(admin::ReadRightsEntry(file, "RIGHT", "12", ""), "11110000");
  EXPECT_FALSE(admin::StoreNodeRights(file, "  ", "11000000"));  // no node shown
  admin::SaveRightsFile(file);
  EXPECT_EQ(ReadFile(file.Path), "[right]\n12=11110000\n3=10000000\n12=00000000\n");
  admin::StoreNodeRights(file, "12", "00000000");  // rewritten where it stands
  admin::StoreNodeRights(file, "5", "11000000");   // new: at the end
  admin::SaveRightsFile(file);
  EXPECT_EQ(ReadFile(file.Path),
            "[Right]\r\n12=00000000\r\n3=10000000\r\n5=11000000\r\n"
            "\r\n[Delete]\r\n12=\r\n\r\n[Update]\r\n5=11000000\r\n");
  // Keys fold Latin letters only; thousands of keys keep their order and are all found.
  admin::WriteRightsEntry(file, "update", " AB ", "2");
  EXPECT_EQ(admin::ReadRightsEntry(file, "Update", "aB", ""), "2");
  for (int i = 1000; i < 4000; ++i) {
    admin::StoreNodeRights(file, std::to_string(i), "10000000");
  }
  const auto& right = admin::RightsEntries(file, "Right");
  ASSERT_EQ(right.size(), 3003U);
  for (int i = 1000; i < 4000; ++i) {
    ASSERT_EQ(right[i - 997].first, std::to_string(i));
    ASSERT_EQ(admin::ReadRightsEntry(file, "Right", std::to_string(i), ""), "10000000") << i;
  }
  EXPECT_THROW(admin::WriteRightsEntry(file, "Right", "a=b", "1"), std::invalid_argument);
  EXPECT_THROW(admin::WriteRightsEntry(file, "Right", "9", "1\r\n[x]"), std::invalid_argument);
  EXPECT_TRUE(admin::LoadRightsFile(TempDir() + "missing.ini").Sections.empty());
}

// The node id is the one unquoted argument of a batch line, and the file comes from the
// server: a key that is no 32-bit decimal never reaches a command.
TEST_F(UserRightsTest, NodeRightsBatchSendsDeletesFirstAndOnlyDecimalKeys) {
  TRightsFile file = FileWith(
      "[Right]\r\n5=11110000\r\n"
      "[Update]\r\n104;drop=11110000\r\n-1=10000000\r\n2147483648=1\r\n-2147483648=1\r\n"
      "[Delete]\r\n1 or 1=\r\nx=\r\n99999999999=\r\n+5=\r\n0x10=\r\n-=\r\n");
  admin::StoreNodeRights(file, "5", "11000000");  // changed, then cleared: in both sections
  admin::StoreNodeRights(file, "5", "00000000");
  admin::WriteRightsEntry(file, "Update", "7", "1'0");
  EXPECT_EQ(admin::NodeRightsBatch("0012", "O'1", file),
            "exec MN_DeleteUserRightList '0012','O''1',5  \r\n"
            "exec MN_UpdateRightItem '0012','O''1',-1,'10000000'  \r\n"
            "exec MN_UpdateRightItem '0012','O''1',-2147483648,'1'  \r\n"
            "exec MN_UpdateRightItem '0012','O''1',5,'11000000'  \r\n"
            "exec MN_UpdateRightItem '0012','O''1',7,'1''0'  \r\n");
  EXPECT_EQ(admin::NodeRightsBatch("0012", "000002", FileWith("")), "");
}

// A node's id is ItemCode of its text in decimal; plain digits are taken from the text
// itself, so the shortcut must agree with the rule on every other form.
TEST_F(UserRightsTest, NodeIdsFollowItemCodeWhateverTheDigitsLookLike) {
  for (const char* text : {"7:Query", "007:Lead zeros", "+4:Sign", " 12 :Blanks", "-3:Negative",
                           "1234567890:Ten", "99999999999:Big", "12a:Letters", "No colon"}) {
    EXPECT_EQ(admin::NodeIdOf(text), std::to_string(frame::ItemCode(text))) << text;
  }
}

}  // namespace
