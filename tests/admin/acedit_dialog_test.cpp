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
constexpr char kProp[] = "MN_GetPropOfAccount '0012','310012000100001'";
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',102";
constexpr char kAskExit[] = R"(message yesno none "ManageEdit" "数据尚未保存，确实要退出吗？" -> )";

std::string PropRow(int type, int status) {
  return "310012000100001\a0012\a" + Gbk("示例企业") + "\aCNY\a" + std::to_string(type) + "\a" +
         Gbk("人民币基本户") + "\a" + std::to_string(status) + "\r\n";
}

std::string Update(const std::string& nameUtf8, int status = 2) {
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
    Serve();
  }
  void TearDown() override {
    EXPECT_EQ(::chdir(oldCwd_.c_str()), 0);
    ModuleTest::TearDown();
  }
  void SetLanguage(const char* id) {
    tavro_test::WriteFile(TempDir() + "Tavro2007.ini", std::string("[Settings]\nLangId=") + id);
  }

  // A fresh host serving the account (type 1, status 2 by default) and the rights (the
  // right to modify by default).
  static void Serve(const Answer& prop = Answer::Ok(PropRow(1, 2)),
                    const Answer& rights = Answer::Ok("11111000")) {
    fakehost::Reset();
    fakehost::On(kProp, prop);
    fakehost::On(kRights, rights);
  }

  // Runs the dialog with script; the caller's record starts as a stale one.
  TShellResult Run(const std::string& script, const char* key = "310012000100001") {
    Platform().RunScript(script);
    TShellResult result{5, "stale"};
    Mn_AcEdit(&result, kShell, "0012", "000001", 102, key, "unused");
    return result;
  }

 private:
  std::string oldCwd_;
};

TEST_F(AccountEditTest, ShowsTheAccountAndASaveHandsTheRepliesRecordToTheCaller) {
  fakehost::On(Update("人民币基本户''s"), Answer::Ok("1\a310012000100001 saved"));
  const TShellResult result =
      Run("expect form caption \"企业账户设置\"\nexpect AcNameLbl caption \"账户说明\"\n"
          "expect CorpNameEdt text \"示例企业\"\nexpect AcNoEdt text 310012000100001\n"
          "expect CurrencyEdt text CNY\nexpect AcTypeCmb text \"1:定期\"\n"
          "expect StatusCmb text \"2:冻结\"\nexpect StatusCmb enabled false\n"
          // Enter in the name presses the default button.
          "caret AcNameEdt end\ntype AcNameEdt \"'s\\r\"\n");
  std::vector<std::string> commands;
  for (const fakehost::Call& call : fakehost::Calls()) {
    EXPECT_EQ(call.window, kShell);
    commands.push_back(call.command);
  }
  EXPECT_EQ(commands, (std::vector<std::string>{kProp, kRights, Update("人民币基本户''s")}));
  EXPECT_EQ(result.Code, 1);
  EXPECT_STREQ(result.Text, "310012000100001 saved");
  EXPECT_TRUE(MessageLines().empty());
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
  const std::pair<Answer, bool> cases[] = {{Answer::Ok("00100000"), true},
                                           {Answer::Ok("11011111"), false},
                                           {Answer::Ok("11"), false},
                                           {Answer::Fail(2, "no rights"), false}};
  for (const auto& [rights, enabled] : cases) {
    Serve(Answer::Ok(PropRow(1, 2)), rights);
    fakehost::SetFallback(Answer::Ok("1\asaved"));
    // Without an enabled save, Enter in the name sends nothing and the dialog stays.
    const TShellResult result =
        Run(std::string("key AcNameEdt Enter\n") +
            (enabled ? "" : "expect form visible true\nclose\nanswer yes\n"));
    EXPECT_EQ(result.Code, enabled ? 1 : 0) << rights.text;
  }
}

// A reply below 1 or a failed command is no save: the dialog asks (the reply's own text
// is not shown); No lets the operator save again, Yes leaves with the caller's record
// cleared.
TEST_F(AccountEditTest, AnUnsuccessfulSaveAsksWhetherToLeave) {
  fakehost::On(Update("人民币基本户"), Answer::Ok("0\aname refused"));
  fakehost::On(Update("人民币基本户X"), Answer::Ok("3\asaved at last"));
  TShellResult result =
      Run("click UpdateBtn\nanswer no\ncaret AcNameEdt end\ntype AcNameEdt X\nclick UpdateBtn\n");
  EXPECT_EQ(result.Code, 3);
  EXPECT_STREQ(result.Text, "saved at last");
  EXPECT_EQ(MessageLines(), std::vector<std::string>{std::string(kAskExit) + "no"});

  for (const Answer& reply : {Answer::Ok("-1\ano right"), Answer::Fail(2, "database down")}) {
    Serve();
    fakehost::On(Update("人民币基本户"), reply);
    result = Run("click UpdateBtn\nanswer yes\n");
    EXPECT_EQ(result.Code, 0);
    EXPECT_STREQ(result.Text, "");
    EXPECT_EQ(Platform().Transcript().back(), "close TAccountEditFrm cancel");
  }
  EXPECT_EQ(MessageLines().at(2), R"(message ok none "ManageEdit" "Error:database down" -> ok)");
  EXPECT_EQ(MessageLines().size(), 4u);
}

TEST_F(AccountEditTest, CancelAndTheCloseBoxAskAndNoKeepsTheDialog) {
  Run("type AcNameEdt \"new \"\nclick CancelBtn\nanswer no\nclose\nanswer no\n"
      "expect AcNameEdt text \"new 人民币基本户\"\nkey AcNameEdt Escape\nanswer yes\n");
  EXPECT_EQ(MessageLines().size(), 3u);
  EXPECT_EQ(fakehost::Calls().size(), 2u);  // no update
}

TEST_F(AccountEditTest, UnmatchedCodesSaveStatusMinusOneAndAFailedLoadShowsCodeZero) {
  Serve(Answer::Ok(PropRow(9, 7)));
  fakehost::On(Update("人民币基本户", -1), Answer::Ok("1\aok"));
  EXPECT_EQ(
      Run("expect AcTypeCmb itemindex -1\nexpect StatusCmb itemindex -1\nclick UpdateBtn\n").Code,
      1);

  Serve(Answer::Fail(2, "no such account"));
  Run("expect AcNoEdt text \"\"\nexpect AcNameEdt text \"\"\nexpect AcTypeCmb text \"0:活期\"\n"
      "expect StatusCmb text \"0:已删除\"\nclose\nanswer yes\n");
  EXPECT_EQ(MessageLines().front(),
            R"(message ok none "ManageEdit" "Error:no such account" -> ok)");
}

TEST_F(AccountEditTest, TheNameKeepsFiftyBytesWithoutSplittingACharacter) {
  fakehost::SetFallback(Answer::Ok("1\aok"));
  std::string wide;
  for (int i = 0; i < 26; ++i) {
    wide += "汉";
  }
  // 'a' and 24 double-byte characters fill 49 bytes; the 25th would not fit.
  Run("set AcNameEdt \"\"\ntype AcNameEdt \"a" + wide + "\"\nclick UpdateBtn\n");
  EXPECT_EQ(fakehost::LastCall().command, Update("a" + wide.substr(0, std::size_t{24} * 3)));
  Run("set AcNameEdt \"\"\ntype AcNameEdt \"" + std::string(60, 'n') + "\"\nclick UpdateBtn\n");
  EXPECT_EQ(fakehost::LastCall().command, Update(std::string(50, 'n')));
}

TEST_F(AccountEditTest, EnglishTextsAndFontComeFromTheLanguageFile) {
  SetLanguage("EN");
  Run("expect form caption \"Corporate Account\"\nexpect AcNameLbl caption Description\n"
      "expect StatusCmb text \"2:Frozen\"\nexpect form font \"宋体\" 10 134\nclose\nanswer yes\n");
  EXPECT_EQ(MessageLines().back(),
            R"(message yesno none "ManageEdit" "The changes are not saved. Leave anyway?" -> yes)");
}

}  // namespace
