// The user dialog called through Mn_UserEdit as the shell calls it, on the headless
// platform with the recording fake host.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "admin/UserEditFrm.h"
#include "frame/ManageEdit.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;
using tavro_test::ReadFile;
using tavro_test::WriteFile;

constexpr HWND_T kShell = 0x51;

const std::vector<std::string> kLoadCommands = {
    "MN_GetPropOfUser '000001'",           "MN_GetPropOfUser '000002'",
    "MN_GetUserCorpList 'CN','000002'",    "Sh_GetNodeRight '0012','000001',101",
    "Sh_GetNodeRight '0012','000001',101",
};

class UserEditTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    oldCwd_ = sys::CurrentFolder();
    ASSERT_EQ(::chdir(TempDir().c_str()), 0);
    WriteFile(TempDir() + "Tavro2007.ini", "[Settings]\r\nLangId=EN\r\n");
    DemoAnswers();
  }

  // The host answers from this table, which a test may change at any moment; every
  // other command succeeds with an empty answer.
  void On(const std::string& command, Answer answer) { answers_[command] = std::move(answer); }

  // The demonstration answers: operator 000001 (level D, every right on function 101)
  // edits user 000002 of corporation 0012.
  void DemoAnswers() {
    answers_.clear();
    fakehost::OnAny([this](const fakehost::Call& call) {
      auto found = answers_.find(call.command);
      return found == answers_.end() ? Answer::Ok("") : found->second;
    });
    On("MN_GetPropOfUser '000001'",
       Answer::Ok(Gbk("000001\a0012\aD\a王建国\a演示贸易有限公司\a2")));
    On("MN_GetPropOfUser '000002'", Answer::Ok(Gbk("000002\a0012\aO\a李明\a演示\a2")));
    On("MN_GetUserCorpList 'CN','000002'", Answer::Ok("0012 Demo\r\n"));
    On("Sh_GetNodeRight '0012','000001',101", Answer::Ok("11111000"));
    On("MN_GetUserList '0012','000002'", Answer::Ok("000001\r\n000003\r\n000004\r\n"));
    On("MN_GetCheckUserList '0012','000002'", Answer::Ok("000003\r\n"));
    On("Sh_GetViewNodeList 'EN','',''",
       Answer::Ok("1:System\r\n\t101:Users\r\n\t104:Usage\r\n2:Customers\r\n"));
    On("MN_GetNodeRightList '0012','000002'",
       Answer::Ok("[Right]\r\n1=10000000\r\n104=11110000\r\n"));
    On("MN_GetAcNoList 99,'','0012','000002'", Answer::Ok("A1:CNY x\r\nA2:USD y\r\n"));
    On("MN_GetUserCheckAcList '0012','000002'", Answer::Ok("a1:CNY x\r\n"));
  }
  void TearDown() override {
    EXPECT_EQ(::chdir(oldCwd_.c_str()), 0);
    ModuleTest::TearDown();
  }

  // Calls the entry point as the shell does; the result record starts dirty.
  TShellResult Call(const char* key = "000002", const char* user = "000001") {
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_UserEdit(&result, kShell, "0012", user, 101, key, "ignored");
    return result;
  }

  // Runs the operator's actions on the dialog as it opens.
  void Operate(const std::function<void(admin::TUserEditFrm&)>& fn) {
    Platform().SetOperator([fn](ui::TForm& form) {
      auto* dialog = dynamic_cast<admin::TUserEditFrm*>(&form);
      ASSERT_NE(dialog, nullptr);
      fn(*dialog);
    });
  }
  void Do(admin::TUserEditFrm& form, const std::string& line) {
    EXPECT_TRUE(Platform().Perform(form, line)) << line;
  }

  static std::vector<std::string> Commands() {
    std::vector<std::string> out;
    for (const fakehost::Call& call : fakehost::Calls()) {
      out.push_back(call.command);
    }
    return out;
  }
  static std::vector<std::string> CommandsAfterLoad() {
    std::vector<std::string> all = Commands();
    return all.size() < kLoadCommands.size()
               ? all
               : std::vector<std::string>(all.begin() + kLoadCommands.size(), all.end());
  }
  std::string RightsFile() const { return TempDir() + "UsrRight.ini"; }
  void ExpectZero(const TShellResult& result) {
    const TShellResult zero{};
    EXPECT_EQ(std::memcmp(&result, &zero, sizeof result), 0);
  }

 private:
  std::string oldCwd_;
  std::map<std::string, Answer> answers_;
};

TEST_F(UserEditTest, AnEmptyKeyOpensNothingAndSaysOnlyTheBankAddsUsers) {
  for (const char* key : {"", "   "}) {
    const TShellResult result = Call(key);
    ExpectZero(result);
  }
  EXPECT_TRUE(fakehost::Calls().empty());
  const std::string line =
      R"(message ok none "ManageEdit" "经办人员只能由银行新增/Only Bank Can Add New User." -> ok)";
  EXPECT_EQ(MessageLines(), (std::vector<std::string>{line, line}));
  for (const std::string& transcript : Platform().Transcript()) {
    EXPECT_NE(transcript.rfind("open ", 0), 0U) << transcript;
  }
}

TEST_F(UserEditTest, SavingAllThreeAreasSendsTheirBatchesInOrderAndReturnsZero) {
  Operate([&](admin::TUserEditFrm& f) {
    EXPECT_EQ(f.CorpNameEdt->Text(), Gbk("演示"));
    EXPECT_EQ(f.NameEdt->Text(), Gbk("李明"));
    EXPECT_EQ(f.RightCmb->Text(), "O");
    EXPECT_EQ(f.StatusCmb->Text(), "2:In use");
    EXPECT_EQ(f.BelongCorpCmb->ItemIndex(), 0);  // the only corporation
    EXPECT_TRUE(f.UpdateBtn->Enabled);
    Do(f, "click CheckRightCkb");
    Do(f, "expect CheckRightClb itemchecked 1 true");  // 000003 was on the list
    Do(f, "check CheckRightClb \"000004\" on");
    Do(f, "click AcRightCkb");
    Do(f, "expect AcNoClb itemchecked 0 true");  // "a1:CNY x" matches without case
    Do(f, "check AcNoClb 1 on");
    Do(f, "click UserViewNodeCkb");
    Do(f, "expect MainDirTrv count 4");
    Do(f, "select MainDirTrv \"104:Usage\"");
    Do(f, "expect RightClb itemchecked 3 true");
    for (int k = 0; k < 4; ++k) {
      Do(f, "check RightClb " + std::to_string(k) + " off");
    }
    Do(f, "select MainDirTrv \"2:Customers\"");  // 104 cleared: a delete
    Do(f, "check RightClb 1 on");
    Do(f, "focus DefRightBtn");  // 2 is new: an update
    EXPECT_EQ(ReadFile(RightsFile()),
              "[Right]\r\n1=10000000\r\n104=00000000\r\n2=01000000\r\n"
              "\r\n[Delete]\r\n104=\r\n\r\n[Update]\r\n2=01000000\r\n");
    Do(f, "click UpdateBtn");
  });
  const TShellResult result = Call();
  ExpectZero(result);

  const std::string reviewBatch =
      "exec MN_DeleteUserCheckList '0012','000002'\x1E"
      "exec MN_InsertUserCheckList '0012','000002','000003'\r\n"
      "exec MN_InsertUserCheckList '0012','000002','000004'\r\n";
  const std::string accountBatch =
      "exec MN_DeleteUserAcList '0012','000002'\r\n"
      "exec MN_InsertAcRightList '0012','000002','A1'\r\n"
      "exec MN_InsertAcRightList '0012','000002','A2'\r\n";
  const std::string nodeBatch =
      "exec MN_DeleteUserRightList '0012','000002',104  \r\n"
      "exec MN_UpdateRightItem '0012','000002',2,'01000000'  \r\n";
  std::vector<std::string> expected = kLoadCommands;
  expected.insert(expected.end(),
                  {"MN_GetUserList '0012','000002'", "MN_GetCheckUserList '0012','000002'",
                   "MN_GetAcNoList 99,'','0012','000002'", "MN_GetUserCheckAcList '0012','000002'",
                   "Sh_GetViewNodeList 'EN','',''", "MN_GetNodeRightList '0012','000002'",
                   reviewBatch, accountBatch, nodeBatch});
  EXPECT_EQ(Commands(), expected);
  const auto& calls = fakehost::Calls();
  ASSERT_EQ(calls.size(), expected.size());
  EXPECT_EQ(calls[calls.size() - 3].capacity, 1023);
  EXPECT_EQ(calls[calls.size() - 2].capacity, 1023);
  EXPECT_EQ(calls.back().capacity, 47);
  for (const fakehost::Call& call : calls) {
    EXPECT_EQ(call.prefix, "A01");
    EXPECT_EQ(call.window, kShell);
  }
  EXPECT_EQ(Platform().Transcript().back(), "close TUserEditFrm ok");
  EXPECT_FALSE(std::filesystem::exists(RightsFile()));
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(UserEditTest, OnlyALevelDOperatorWithTheModifyRightMaySave) {
  struct Case {
    const char* level;
    Answer rights;
    bool enabled;
  } cases[] = {
      {"D", Answer::Ok("11111000"), true},        {"D", Answer::Ok("00100000"), true},
      {"D", Answer::Ok("11011111"), false},       {"D", Answer::Ok("11"), false},
      {"O", Answer::Ok("11111000"), false},       {"S", Answer::Ok("11111000"), false},
      {"D", Answer::Fail(3, "no rights"), false},
  };
  for (const Case& c : cases) {
    On("MN_GetPropOfUser '000001'",
       Answer::Ok(std::string("000001\a0012\a") + c.level + "\aW\aC\a2"));
    On("Sh_GetNodeRight '0012','000001',101", c.rights);
    bool enabled = !c.enabled;
    Operate([&](admin::TUserEditFrm& f) { enabled = f.UpdateBtn->Enabled; });
    Call();
    EXPECT_EQ(enabled, c.enabled) << c.level << " " << c.rights.text;
  }
}

TEST_F(UserEditTest, TheUserIsShownAsTheServerHasHim) {
  struct Case {
    const char* answer;  // MN_GetPropOfUser '000002'
    const char* corps;   // MN_GetUserCorpList
    int status, level, corp;
  } cases[] = {
      {"000002\a0012\aO\aL\aC\a9", "0012 A\r\n", 3, 0, 0},
      {"000002\a0012\as\aL\aC\a5", "0012 A\r\n0020 B\r\n", -1, 4, -1},
      {"000002\a0012\aX\aL\aC\a1", "", 1, -1, -1},
  };
  for (const Case& c : cases) {
    On("MN_GetPropOfUser '000002'", Answer::Ok(c.answer));
    On("MN_GetUserCorpList 'CN','000002'", Answer::Ok(c.corps));
    Operate([&](admin::TUserEditFrm& f) {
      EXPECT_EQ(f.StatusCmb->ItemIndex(), c.status) << c.answer;
      EXPECT_EQ(f.RightCmb->ItemIndex(), c.level) << c.answer;
      EXPECT_EQ(f.BelongCorpCmb->ItemIndex(), c.corp) << c.answer;
      EXPECT_FALSE(f.UserInfoGrp->Enabled);
    });
    Call();
  }
  // A failed read: empty names, status 0 shown as deleted, the dialog still opens.
  On("MN_GetPropOfUser '000002'", Answer::Fail(4, "no such user"));
  Operate([&](admin::TUserEditFrm& f) {
    EXPECT_EQ(f.NameEdt->Text(), "");
    EXPECT_EQ(f.StatusCmb->Text(), "0:Deleted");
    EXPECT_EQ(f.RightCmb->ItemIndex(), -1);
  });
  Call();
  EXPECT_EQ(
      MessageLines(),
      (std::vector<std::string>{R"(message ok none "ManageEdit" "Error:no such user" -> ok)"}));
}

TEST_F(UserEditTest, AnAreaNeedsACorporationAndAnotherCorporationSwitchesAllOff) {
  On("MN_GetUserCorpList 'CN','000002'", Answer::Ok("0012 A\r\n0020 B\r\n"));
  Operate([&](admin::TUserEditFrm& f) {
    Do(f, "click UserViewNodeCkb");
    EXPECT_FALSE(f.UserViewNodeCkb->Checked());
    EXPECT_EQ(f.ActiveControl(), f.BelongCorpCmb);
    Do(f, "select BelongCorpCmb \"0012 A\"");
    Do(f, "click CheckRightCkb");
    Do(f, "click UserViewNodeCkb");
    Do(f, "click AcRightCkb");
    Do(f, "select BelongCorpCmb \"0012 A\"");  // the same again: all stays
    EXPECT_TRUE(f.CheckRightCkb->Checked() && f.UserViewNodeCkb->Checked() &&
                f.AcRightCkb->Checked());
    EXPECT_EQ(f.MainDirTrv->Count(), 4);
    Do(f, "select BelongCorpCmb \"0020 B\"");
    EXPECT_FALSE(f.CheckRightCkb->Checked() || f.UserViewNodeCkb->Checked() ||
                 f.AcRightCkb->Checked());
    EXPECT_TRUE(f.CheckRightClb->Items.empty());
    EXPECT_FALSE(f.CheckRightClb->Enabled || f.MainDirTrv->Enabled || f.RightClb->Enabled ||
                 f.DefRightBtn->Enabled || f.AcNoClb->Enabled);
    EXPECT_EQ(f.MainDirTrv->Count(), 0);
    EXPECT_EQ(f.AcNoClb->Items.size(), 2U);  // kept, disabled
  });
  Call();
  EXPECT_EQ(
      MessageLines(),
      (std::vector<std::string>{
          R"(message ok none "ManageEdit" "请先选择所属企业！/Select Belong Corp Please" -> ok)"}));
  // The refused switch-on sent nothing.
  EXPECT_EQ(CommandsAfterLoad().front(), "MN_GetUserList '0012','000002'");
}

TEST_F(UserEditTest, SavingALevelDUserAsksAndCancelAsksToo) {
  On("MN_GetPropOfUser '000002'", Answer::Ok("000002\a0012\aD\aL\aC\a2"));
  Platform().RunScript(
      "click CheckRightCkb\n"
      "check CheckRightClb 0 on\n"
      "click UpdateBtn\nanswer no\n"
      "expect CheckRightClb itemchecked 0 true\n"
      "click CancelBtn\nanswer no\n"
      "expect CheckRightClb itemchecked 0 true\n"
      "close\nanswer yes\n");
  ExpectZero(Call());
  EXPECT_EQ(CommandsAfterLoad(), (std::vector<std::string>{"MN_GetUserList '0012','000002'",
                                                           "MN_GetCheckUserList '0012','000002'"}));
  EXPECT_EQ(
      MessageLines(),
      (std::vector<std::string>{
          R"(message yesno none "ManageEdit" "This user is an administrator. Change the rights anyway?" -> no)",
          R"(message yesno none "ManageEdit" "The changes are not saved. Leave anyway?" -> no)",
          R"(message yesno none "ManageEdit" "The changes are not saved. Leave anyway?" -> yes)"}));
  EXPECT_EQ(Platform().Transcript().back(), "close TUserEditFrm cancel");

  // With yes the save goes on; nothing checked sends nothing, and OK asks nothing more.
  fakehost::Reset();
  DemoAnswers();
  On("MN_GetPropOfUser '000002'", Answer::Ok("000002\a0012\aD\aL\aC\a2"));
  Platform().RunScript("click UpdateBtn\nanswer yes\n");
  ExpectZero(Call());
  EXPECT_TRUE(CommandsAfterLoad().empty());
  EXPECT_EQ(Platform().Transcript().back(), "close TUserEditFrm ok");
}

TEST_F(UserEditTest, AccountAreaSwitchedOnAgainReloadsUnlessTheListFails) {
  Operate([&](admin::TUserEditFrm& f) {
    Do(f, "click AcRightCkb");
    Do(f, "check AcNoClb 1 on");
    Do(f, "click AcRightCkb");
    EXPECT_TRUE(f.AcNoClb->Checked(1));  // off only disables
    Do(f, "click AcRightCkb");
    EXPECT_TRUE(f.AcNoClb->Checked(0));
    EXPECT_FALSE(f.AcNoClb->Checked(1));  // the unsaved check is gone
    // A failed list keeps the items and their checks and still applies the check rows.
    Do(f, "check AcNoClb 1 on");
    Do(f, "click AcRightCkb");
    On("MN_GetAcNoList 99,'','0012','000002'", Answer::Fail(5, "timeout"));
    On("MN_GetUserCheckAcList '0012','000002'", Answer::Ok("A2:USD y\r\n"));
    Do(f, "click AcRightCkb");
    EXPECT_EQ(f.AcNoClb->Items, (ui::TStrings{"A1:CNY x", "A2:USD y"}));
    EXPECT_TRUE(f.AcNoClb->Checked(0) && f.AcNoClb->Checked(1));
  });
  Call();
  EXPECT_EQ(MessageLines(),
            (std::vector<std::string>{R"(message ok none "ManageEdit" "Error:timeout" -> ok)"}));
}

TEST_F(UserEditTest, NodesWithoutServerRightsCountAsNewAndNoShownNodeStoresNothing) {
  On("MN_GetNodeRightList '0012','000002'", Answer::Fail(6, "busy"));
  Operate([&](admin::TUserEditFrm& f) {
    Do(f, "click UserViewNodeCkb");
    EXPECT_FALSE(std::filesystem::exists(RightsFile()));
    // Leaving the rights list before any node was clicked: no node, nothing stored.
    Do(f, "check RightClb 0 on");
    Do(f, "focus DefRightBtn");
    Do(f, "select MainDirTrv \"101:Users\"");
    Do(f, "expect RightClb itemchecked 0 false");
    Do(f, "focus RightClb");
    Do(f, "click UpdateBtn");  // left unchanged, yet new: sent as an update
  });
  Call();
  EXPECT_EQ(fakehost::LastCall().command,
            "exec MN_UpdateRightItem '0012','000002',101,'00000000'  \r\n");
}

TEST_F(UserEditTest, WithNoNodeChangedTheNodeSaveStillSendsAnEmptyCommand) {
  Operate([&](admin::TUserEditFrm& f) {
    Do(f, "click UserViewNodeCkb");
    Do(f, "select MainDirTrv \"104:Usage\"");
    Do(f, "focus RightClb");
    Do(f, "click UpdateBtn");
  });
  Call();
  EXPECT_EQ(fakehost::LastCall().command, "");
  EXPECT_EQ(fakehost::LastCall().capacity, 47);
}

TEST_F(UserEditTest, DefaultRightsGiveEveryNodeQueryOnlyAfterAYes) {
  Platform().RunScript("answer no\nanswer yes\n");
  Operate([&](admin::TUserEditFrm& f) {
    Do(f, "click UserViewNodeCkb");
    Do(f, "select MainDirTrv \"104:Usage\"");
    Do(f, "click DefRightBtn");  // no
    EXPECT_TRUE(admin::RightsEntries(*f.RightsFile, "Update").empty());
    Do(f, "click DefRightBtn");                   // yes
    Do(f, "expect RightClb itemchecked 1 true");  // not refreshed
    Do(f, "select MainDirTrv \"104:Usage\"");
    Do(f, "expect RightClb itemchecked 1 false");
    Do(f, "click UpdateBtn");
  });
  Call();
  EXPECT_EQ(fakehost::LastCall().command,
            "exec MN_UpdateRightItem '0012','000002',101,'10000000'  \r\n"
            "exec MN_UpdateRightItem '0012','000002',104,'10000000'  \r\n"
            "exec MN_UpdateRightItem '0012','000002',2,'10000000'  \r\n");
  const std::string question =
      R"("默认权限是用户所有功能只能查询，将清除原先设置的权限，是否继续？")";
  EXPECT_EQ(MessageLines(), (std::vector<std::string>{
                                "message yesno none \"ManageEdit\" " + question + " -> no",
                                "message yesno none \"ManageEdit\" " + question + " -> yes"}));
}

TEST_F(UserEditTest, ABadTreeLeavesNoStaleRightsForTheSave) {
  On("MN_GetUserCorpList 'CN','000002'", Answer::Ok("0012 A\r\n0020 B\r\n"));
  Operate([&](admin::TUserEditFrm& f) {
    Do(f, "select BelongCorpCmb \"0012 A\"");
    Do(f, "click UserViewNodeCkb");
    Do(f, "select MainDirTrv \"2:Customers\"");
    Do(f, "check RightClb 0 on");
    Do(f, "select BelongCorpCmb \"0020 B\"");  // 2 stored for 0012, then all off
    EXPECT_NE(ReadFile(RightsFile()).find("[Update]\r\n2=10000000"), std::string::npos);
    EXPECT_EQ(f.CurNodeId, "");
    On("Sh_GetViewNodeList 'EN','',''", Answer::Ok("1:System\r\n\t\t3:Deep\r\n"));
    On("MN_GetNodeRightList '0020','000002'", Answer::Ok("[Right]\r\n1=10000000\r\n"));
    Do(f, "click UserViewNodeCkb");
    EXPECT_EQ(f.MainDirTrv->Count(), 0);
    Do(f, "check RightClb 0 on");
    Do(f, "click UpdateBtn");
  });
  Call();
  EXPECT_EQ(fakehost::LastCall().command, "");  // nothing of 0012 reaches 0020
  ASSERT_EQ(MessageLines().size(), 1U);
  EXPECT_NE(MessageLines()[0].find("Invalid level (2)"), std::string::npos) << MessageLines()[0];
}

TEST_F(UserEditTest, AFailedOrShortTreeLeavesItEmpty) {
  struct Case {
    Answer answer;
    std::vector<std::string> messages;
  } cases[] = {
      {Answer::Fail(2, "down"),
       {R"(message ok none "ManageEdit" "Error:down" -> ok)",
        R"(message ok none "ManageEdit" "The function tree could not be read." -> ok)"}},
      {Answer::Ok("1:ab\r"), {}},
  };
  for (const Case& c : cases) {
    On("Sh_GetViewNodeList 'EN','',''", c.answer);
    const std::size_t before = MessageLines().size();
    Operate([&](admin::TUserEditFrm& f) {
      Do(f, "click UserViewNodeCkb");
      EXPECT_EQ(f.MainDirTrv->Count(), 0);
      EXPECT_TRUE(f.DefRightBtn->Enabled);
    });
    Call();
    const std::vector<std::string> all = MessageLines();
    EXPECT_EQ(std::vector<std::string>(all.begin() + before, all.end()), c.messages);
  }
}

TEST_F(UserEditTest, TheLanguageFileNamesTheControlsAndEnglishGetsTheChineseFont) {
  Operate([&](admin::TUserEditFrm& f) {
    EXPECT_EQ(f.Caption, "User");
    EXPECT_EQ(f.RightClb->Items, (ui::TStrings{"Query", "Add", "Modify", "Delete", "Authorise"}));
    EXPECT_EQ(f.StatusCmb->Items.size(), 4U);
    EXPECT_EQ(f.BelongCorpLbl->Caption, "Corporation");
    EXPECT_EQ(f.Font().Name, Gbk("宋体"));
    EXPECT_EQ(f.Font().Charset, 134);
  });
  Call();
}

}  // namespace
