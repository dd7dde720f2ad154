// The corporate account dialog, called through Mn_AcEdit as the shell calls it, against
// the recording fake host and driven by operator scripts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "admin/AccountEditFrm.h"
#include "frame/ManageEdit.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;

constexpr HWND_T kShell = 0x5A;
constexpr char kAcNo[] = "310012000100001";
constexpr char kProp[] = "MN_GetPropOfAccount '0012','310012000100001'";
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',102";
constexpr char kAskExit[] = R"(message yesno none "ManageEdit" "数据尚未保存，确实要退出吗？" -> )";

std::string PropRow(int type, int status) {
  return std::string(kAcNo) + "\a0012\a" + Gbk("示例企业") + "\aCNY\a" + std::to_string(type) +
         "\a" + Gbk("人民币基本户") + "\a" + std::to_string(status) + "\r\n";
}

std::string UpdateCommand(const std::string& nameUtf8, int status) {
  return "MN_UpdateAccountRec 102,'310012000100001','0012','" + Gbk(nameUtf8) + "'," +
         std::to_string(status);
}

class AccountEditTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    oldCwd_ = sys::CurrentFolder();
    ASSERT_EQ(::chdir(TempDir().c_str()), 0);
    SetLanguage("CN");
  }
  void TearDown() override {
    EXPECT_EQ(::chdir(oldCwd_.c_str()), 0);
    ModuleTest::TearDown();
  }

  void SetLanguage(const char* langId) {
    tavro_test::WriteFile(TempDir() + "Tavro2007.ini",
                          std::string("[Settings]\r\nLangId=") + langId + "\r\n");
  }

  // The shipped account: type 1, status 2, and the right to modify.
  void ServeAccount(const std::string& rights = "11111000") {
    fakehost::On(kProp, Answer::Ok(PropRow(1, 2)));
    fakehost::On(kRights, Answer::Ok(rights));
  }

  // Runs the dialog with script; the caller's record starts as a stale one.
  TShellResult Run(const std::string& script, const char* key = kAcNo) {
    Platform().RunScript(script);
    TShellResult result{5, "stale"};
    Mn_AcEdit(&result, kShell, "0012", "000001", 102, key, "unused");
    return result;
  }

  static std::vector<std::string> Commands() {
    std::vector<std::string> commands;
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell);
      EXPECT_EQ(call.prefix, "A01");
      commands.push_back(call.command);
    }
    return commands;
  }

 private:
  std::string oldCwd_;
};

TEST_F(AccountEditTest, ShowsTheAccountAndASaveHandsTheRepliesRecordToTheCaller) {
  ServeAccount();
  fakehost::On(UpdateCommand("人民币基本户''s", 2), Answer::Ok("1\a310012000100001 saved"));
  const TShellResult result =
      Run("expect form caption \"企业账户设置\"\n"
          "expect CorpNameEdt text \"示例企业\"\n"
          "expect AcNoEdt text 310012000100001\n"
          "expect CurrencyEdt text CNY\n"
          "expect AcTypeCmb text \"1:定期\"\n"
          "expect StatusCmb text \"2:冻结\"\n"
          "expect AcNameEdt text \"人民币基本户\"\n"
          "expect AcNameLbl caption \"账户说明\"\n"
          "expect AcNoEdt enabled false\n"
          "expect StatusCmb enabled false\n"
          "expect UpdateBtn enabled true\n"
          "caret AcNameEdt end\n"
          // Enter in the name presses the default button.
          "type AcNameEdt \"'s\\r\"\n");
  EXPECT_EQ(Commands(),
            (std::vector<std::string>{kProp, kRights, UpdateCommand("人民币基本户''s", 2)}));
  EXPECT_EQ(result.Code, 1);
  EXPECT_STREQ(result.Text, "310012000100001 saved");
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(Platform().Transcript().back(), "close TAccountEditFrm ok");
}

TEST_F(AccountEditTest, ABlankKeyOpensNothingAndLeavesTheCallersRecord) {
  for (const char* key : {static_cast<const char*>(nullptr), "", "   \t"}) {
    const TShellResult result = Run("", key);
    EXPECT_EQ(result.Code, 5);
    EXPECT_STREQ(result.Text, "stale");
  }
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_TRUE(Platform().Transcript().empty());
}

TEST_F(AccountEditTest, OnlyTheRightToModifyEnablesTheSave) {
  struct Case {
    Answer rights;
    bool enabled;
  } cases[] = {
      {Answer::Ok("00100000"), true},
      {Answer::Ok("11011111"), false},
      {Answer::Ok("11"), false},              // shorter than position 3
      {Answer::Fail(2, "no rights"), false},  // the lookup's "00000000"
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    fakehost::On(kProp, Answer::Ok(PropRow(1, 2)));
    fakehost::On(kRights, c.rights);
    fakehost::SetFallback(Answer::Ok("1\asaved"));
    // Without an enabled save, Enter in the name sends nothing and the dialog stays.
    const TShellResult result =
        Run(std::string("expect UpdateBtn enabled ") + (c.enabled ? "true" : "false") +
            "\nkey AcNameEdt Enter\n" + (c.enabled ? "" : "close\nanswer yes\n"));
    EXPECT_EQ(result.Code, c.enabled ? 1 : 0) << c.rights.text;
    EXPECT_EQ(fakehost::Calls().size(), c.enabled ? 3u : 2u) << c.rights.text;
  }
}

TEST_F(AccountEditTest, AReplyBelowOneAsksAndNoLetsTheOperatorSaveAgain) {
  ServeAccount();
  fakehost::On(UpdateCommand("人民币基本户", 2), Answer::Ok("0\aname refused"));
  fakehost::On(UpdateCommand("人民币基本户X", 2), Answer::Ok("3\asaved at last"));
  TShellResult result =
      Run("click UpdateBtn\n"
          "answer no\n"
          "expect AcNameEdt text \"人民币基本户\"\n"
          "caret AcNameEdt end\n"
          "type AcNameEdt X\n"
          "click UpdateBtn\n");
  EXPECT_EQ(result.Code, 3);
  EXPECT_STREQ(result.Text, "saved at last");
  // The refusal's own text is not shown; only the question is.
  EXPECT_EQ(MessageLines(), std::vector<std::string>{std::string(kAskExit) + "no"});

  // A refusal confirmed with Yes closes with the cancel result: the caller's record is
  // cleared, not given the refusal.
  fakehost::On(UpdateCommand("人民币基本户", 2), Answer::Ok("-1\ano right"));
  result = Run("click UpdateBtn\nanswer yes\n");
  EXPECT_EQ(result.Code, 0);
  EXPECT_STREQ(result.Text, "");
  EXPECT_EQ(Platform().Transcript().back(), "close TAccountEditFrm cancel");
}

TEST_F(AccountEditTest, AFailedUpdateIsReportedOnceThenAsks) {
  ServeAccount();
  fakehost::On(UpdateCommand("人民币基本户", 2), Answer::Fail(2, "database down"));
  const TShellResult result = Run("click UpdateBtn\nanswer yes\n");
  EXPECT_EQ(result.Code, 0);
  EXPECT_STREQ(result.Text, "");
  EXPECT_EQ(MessageLines(),
            (std::vector<std::string>{R"(message ok none "ManageEdit" "Error:database down" -> ok)",
                                      std::string(kAskExit) + "yes"}));
}

TEST_F(AccountEditTest, EveryWayOutButASaveAsksAndNoKeepsTheDialog) {
  ServeAccount();
  const TShellResult result =
      Run("type AcNameEdt \"new \"\n"
          "click CancelBtn\n"
          "answer no\n"
          "close\n"
          "answer no\n"
          "key AcNameEdt Escape\n"
          "answer no\n"
          "expect AcNameEdt text \"new 人民币基本户\"\n"
          "click CancelBtn\n"
          "answer yes\n");
  EXPECT_EQ(result.Code, 0);
  EXPECT_EQ(MessageLines().size(), 4u);
  EXPECT_EQ(Commands(), (std::vector<std::string>{kProp, kRights}));
  EXPECT_EQ(Platform().Transcript().back(), "close TAccountEditFrm cancel");
}

TEST_F(AccountEditTest, UnmatchedCodesSelectNothingAndSaveStatusMinusOne) {
  fakehost::On(kProp, Answer::Ok(PropRow(9, 7)));
  fakehost::On(kRights, Answer::Ok("11111000"));
  fakehost::On(UpdateCommand("人民币基本户", -1), Answer::Ok("1\aok"));
  const TShellResult result =
      Run("expect AcTypeCmb itemindex -1\nexpect StatusCmb itemindex -1\nclick UpdateBtn\n");
  EXPECT_EQ(result.Code, 1);
  EXPECT_EQ(fakehost::LastCall().command, UpdateCommand("人民币基本户", -1));
}

TEST_F(AccountEditTest, AFailedLoadStillOpensWithAnEmptyRecord) {
  fakehost::On(kProp, Answer::Fail(2, "account 310012000100001 does not exist"));
  fakehost::On(kRights, Answer::Ok("11111000"));
  Run("expect AcNoEdt text \"\"\n"
      "expect AcNameEdt text \"\"\n"
      // Type and status 0 select their items with code 0.
      "expect AcTypeCmb text \"0:活期\"\n"
      "expect StatusCmb text \"0:已删除\"\n"
      "close\nanswer yes\n");
  EXPECT_EQ(MessageLines().front(),
            R"(message ok none "ManageEdit" "Error:account 310012000100001 does not exist" -> ok)");
}

TEST_F(AccountEditTest, TheNameKeepsFiftyBytesWithoutSplittingACharacter) {
  ServeAccount();
  fakehost::SetFallback(Answer::Ok("1\aok"));
  std::string wide;
  for (int i = 0; i < 26; ++i) {
    wide += "汉";
  }
  Run("set AcNameEdt \"\"\ntype AcNameEdt \"a" + wide + "\"\nclick UpdateBtn\n");
  // 'a' and 24 double-byte characters fill 49 bytes; the 25th would not fit.
  std::string kept = "a";
  for (int i = 0; i < 24; ++i) {
    kept += "汉";
  }
  EXPECT_EQ(fakehost::LastCall().command, UpdateCommand(kept, 2));

  Run("set AcNameEdt \"\"\ntype AcNameEdt \"" + std::string(60, 'n') + "\"\nclick UpdateBtn\n");
  EXPECT_EQ(fakehost::LastCall().command, UpdateCommand(std::string(50, 'n'), 2));
}

TEST_F(AccountEditTest, EnglishTextsAndFontComeFromTheLanguageFile) {
  SetLanguage("EN");
  ServeAccount();
  Run("expect form caption \"Corporate Account\"\n"
      "expect AcNameLbl caption Description\n"
      "expect StatusLbl caption Status\n"
      "expect UpdateBtn caption Save\n"
      "expect StatusCmb text \"2:Frozen\"\n"
      "expect AcTypeCmb count 4\n"
      "expect form font \"宋体\" 10 134\n"
      "close\nanswer yes\n");
  EXPECT_EQ(
      MessageLines(),
      (std::vector<std::string>{
          R"(message yesno none "ManageEdit" "The changes are not saved. Leave anyway?" -> yes)"}));
}

}  // namespace
