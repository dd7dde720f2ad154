// The corporate account dialog (Mn_AcEdit) and the usage list editor (Mn_UsageEdit) as
// the shell calls them, against the recording fake host and driven by operator scripts.
#include <gtest/gtest.h>

#include <memory>

#include "admin/AccountEditFrm.h"
#include "admin/UsageEdtFrm.h"
#include "frame/ManageEdit.h"
#include "tests/admin/AdminTest.h"

namespace {

using admin_test::Texts;
using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Gbk;
using tavro_test::Question;

// The account dialog.

constexpr HWND_T kAcShell = 0x5A;
constexpr char kProp[] = "MN_GetPropOfAccount '0012','310012000100001'";
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',102";
const std::string kAskExit = Question("数据尚未保存，确实要退出吗？", "");

std::string Update(const std::string& nameUtf8, int status = 2) {
  return "MN_UpdateAccountRec 102,'310012000100001','0012','" + Gbk(nameUtf8) + "'," +
         std::to_string(status);
}

class AccountEditTest : public admin_test::AdminTest {
 protected:
  void SetUp() override {
    AdminTest::SetUp();
    Serve();
  }
  // A fresh host serving the account (type 1, status 2 by default) and the operator's
  // rights (the right to modify by default).
  static void Serve(int type = 1, int status = 2, const Answer& rights = Answer::Ok("11111000")) {
    fakehost::Reset();
    fakehost::On(kProp, Answer::Ok("310012000100001\a0012\a" + Gbk("示例企业") + "\aCNY\a" +
                                   std::to_string(type) + "\a" + Gbk("人民币基本户") + "\a" +
                                   std::to_string(status) + "\r\n"));
    fakehost::On(kRights, rights);
  }
  // Runs the dialog with script; the caller's record starts as a stale one.
  TShellResult Run(const std::string& script, const char* key = "310012000100001") {
    Platform().RunScript(script);
    TShellResult result{5, "stale"};
    Mn_AcEdit(&result, kAcShell, "0012", "000001", 102, key, "unused");
    return result;
  }
};

TEST_F(AccountEditTest, ShowsTheAccountAndASaveHandsTheRepliesRecordToTheCaller) {
  fakehost::On(Update("人民币基本户''s"), Answer::Ok("1\a310012000100001 saved"));
  const TShellResult result =
      Run("expect form caption \"企业账户设置\"\nexpect AcNameLbl caption \"账户说明\"\n"
          "expect CorpNameEdt text \"示例企业\"\nexpect AcTypeCmb text \"1:定期\"\n"
          "expect StatusCmb text \"2:冻结\"\n"
          // Enter in the name presses the default button.
          "caret AcNameEdt end\ntype AcNameEdt \"'s\\r\"\n");
  EXPECT_EQ(Commands(kAcShell), (Texts{kProp, kRights, Update("人民币基本户''s")}));
  EXPECT_EQ(tavro_test::Outcome(result), "1 310012000100001 saved");
  EXPECT_TRUE(MessageLines().empty());
}

TEST_F(AccountEditTest, ABlankKeyOpensNothingAndLeavesTheCallersRecord) {
  for (const char* key : {static_cast<const char*>(nullptr), "   \t"}) {
    const TShellResult result = Run("", key);
    EXPECT_EQ(tavro_test::Outcome(result), "5 stale");
  }
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_TRUE(Platform().Transcript().empty());
}

TEST_F(AccountEditTest, OnlyTheRightToModifyEnablesTheSave) {
  const std::pair<Answer, bool> cases[] = {{Answer::Ok("00100000"), true},
                                           {Answer::Ok("11011111"), false},
                                           {Answer::Fail(2, "no rights"), false}};
  for (const auto& [rights, enabled] : cases) {
    Serve(1, 2, rights);
    fakehost::SetFallback(Answer::Ok("1\asaved"));
    // Without an enabled save, Enter in the name sends nothing and the dialog stays.
    const TShellResult result =
        Run(std::string("key AcNameEdt Enter\n") +
            (enabled ? "" : "expect form visible true\nclose\nanswer yes\n"));
    EXPECT_EQ(result.Code, enabled ? 1 : 0) << rights.text;
  }
}

// A reply below 1 or a failed command is no save: the dialog asks; No lets the operator
// save again, Yes leaves with the record cleared.
TEST_F(AccountEditTest, AnUnsuccessfulSaveAsksWhetherToLeave) {
  fakehost::On(Update("人民币基本户"), Answer::Ok("0\aname refused"));
  fakehost::On(Update("人民币基本户X"), Answer::Ok("3\asaved at last"));
  TShellResult result =
      Run("click UpdateBtn\nanswer no\ncaret AcNameEdt end\ntype AcNameEdt X\nclick UpdateBtn\n");
  EXPECT_EQ(tavro_test::Outcome(result), "3 saved at last");
  Serve();
  fakehost::On(Update("人民币基本户"), Answer::Fail(2, "database down"));
  result = Run("click UpdateBtn\nanswer yes\n");
  EXPECT_EQ(tavro_test::Outcome(result), "0 ");
  EXPECT_EQ(LastLine(), "close TAccountEditFrm cancel");
  EXPECT_EQ(MessageLines(), (Texts{kAskExit + "no", Box("Error:database down"), kAskExit + "yes"}));
}

TEST_F(AccountEditTest, CancelTheCloseBoxAndEscapeAskInTheOperatorsLanguage) {
  SetLanguage("EN");
  Run("expect StatusCmb text \"2:Frozen\"\n"
      "type AcNameEdt \"new \"\nclick CancelBtn\nanswer no\nclose\nanswer no\n"
      "expect AcNameEdt text \"new \"\nkey AcNameEdt Escape\nanswer yes\n");  // replaced
  const std::string leave = "The changes are not saved. Leave anyway?";
  EXPECT_EQ(MessageLines(),
            (Texts{Question(leave, "no"), Question(leave, "no"), Question(leave, "yes")}));
  EXPECT_EQ(fakehost::Calls().size(), 2u);  // no update
}

TEST_F(AccountEditTest, UnmatchedCodesSaveStatusMinusOneAndAFailedLoadShowsCodeZero) {
  Serve(9, 7);
  fakehost::On(Update("人民币基本户", -1), Answer::Ok("1\aok"));
  EXPECT_EQ(
      Run("expect AcTypeCmb itemindex -1\nexpect StatusCmb itemindex -1\nclick UpdateBtn\n").Code,
      1);
  fakehost::Reset();
  fakehost::On(kProp, Answer::Fail(2, "no such account"));
  Run("expect AcNoEdt text \"\"\nexpect AcNameEdt text \"\"\nexpect AcTypeCmb text \"0:活期\"\n"
      "expect StatusCmb text \"0:已删除\"\nclose\nanswer yes\n");
  EXPECT_EQ(MessageLines().front(), Box("Error:no such account"));
}

TEST_F(AccountEditTest, TheNameKeepsFiftyBytesWithoutSplittingACharacter) {
  fakehost::SetFallback(Answer::Ok("1\aok"));
  const std::string wide = "汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉汉";  // 26
  // 'a' and 24 double-byte characters fill 49 bytes; the 25th would not fit.
  const std::pair<std::string, std::string> cases[] = {
      {"a" + wide, "a" + wide.substr(0, std::size_t{24} * 3)},
      {std::string(60, 'n'), std::string(50, 'n')},
  };
  for (const auto& [typed, saved] : cases) {
    Run("set AcNameEdt \"\"\ntype AcNameEdt \"" + typed + "\"\nclick UpdateBtn\n");
    EXPECT_EQ(fakehost::LastCall().command, Update(saved));
  }
}

// The usage list editor.

constexpr HWND_T kUsageShell = 0x5B;
constexpr char kList[] = "MN_GetUsageList '0012','000001'";
const std::string kAskDiscard =
    R"(message yesno none "放弃存盘" "用途设置已经修改，是否放弃?" -> )";
const std::string kAskDelete = R"(message yesno none "" "是否删除该用途?" -> )";

// The batch a save of these texts sends, written out by hand.
std::string Batch(const Texts& utf8) {
  std::string batch = "set nocount on\r\nexec MN_UsageDelete '0012'\r\n";
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    batch +=
        "exec MN_UsageInsert '0012','000001','" + Gbk(utf8[i]) + "'," + std::to_string(i) + "\r\n";
  }
  return batch;
}

class UsageEditTest : public admin_test::AdminTest {
 protected:
  // Runs the dialog on a stored list with script; returns the caller's record. The fake
  // host keeps the first answer it was given for a command, so a test serves one list.
  TShellResult Run(const Texts& stored, const std::string& script) {
    std::string rows;
    for (const std::string& row : stored) {
      rows += Gbk(row) + "\r\n";
    }
    fakehost::On(kList, Answer::Ok(rows));
    Platform().RunScript(script);
    TShellResult result{5, "stale"};
    Mn_UsageEdit(&result, kUsageShell, "0012", "000001", 104, "unused", "unused");
    return result;
  }
  // The commands sent after the list was loaded.
  static Texts Saves() {
    Texts saves;
    for (const std::string& command : Commands(kUsageShell)) {
      if (command != kList) {
        saves.push_back(command);
      }
    }
    return saves;
  }
};

TEST_F(UsageEditTest, AddRefusesEmptyAndExactDuplicatesOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"cancel", "没有输入内容，未新增"},        {"\"   \"", "没有输入内容，未新增"},
      {"Rent", "已有相同用途，未新增"},          {"rent", nullptr} /* case counts */,
      {"\" Rent\"", nullptr} /* blanks count */,
  };
  for (const auto& [input, message] : cases) {
    const std::size_t before = Platform().Transcript().size();
    // Only an added text makes Cancel ask.
    Run({"Rent"}, std::string("click AddNewBtn\ninput ") + input + "\nclick CancelBtn\n" +
                      (message == nullptr ? "answer yes\n" : ""));
    const Texts lines(Platform().Transcript().begin() + before, Platform().Transcript().end());
    ASSERT_GE(lines.size(), 3u) << input;
    EXPECT_EQ(lines[1].rfind(R"(input "新增用途" "请输入用途:      " "" -> )", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], message != nullptr ? Box(message) : kAskDiscard + "yes") << input;
  }
  EXPECT_TRUE(Saves().empty());
}

TEST_F(UsageEditTest, EditReplacesTheSelectedTextAndACancelledPromptStillCounts) {
  Run({"a", "b"},
      "click EditBtn\n"  // nothing selected
      "select UsageList 0\nclick EditBtn\ninput \"\"\n"
      "click EditBtn\ninput \"  \"\n"  // blanks only are no text either
      "click EditBtn\ninput b\n"       // a duplicate is allowed here
      "click SaveBtn\n");
  EXPECT_EQ(MessageLines(), (Texts{Box("请先选择要修改的用途"), Box("没有输入内容，未修改"),
                                   Box("没有输入内容，未修改")}));
  EXPECT_EQ(Saves(), Texts{Batch({"b", "b"})});
  Run({"a", "b"}, "select UsageList 1\nclick EditBtn\ninput cancel\nclick CancelBtn\nanswer yes\n");
  EXPECT_EQ(Platform().Transcript().at(Platform().Transcript().size() - 3),
            R"(input "修改用途" "请输入用途:      " "b" -> cancel)");
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm cancel");
}

TEST_F(UsageEditTest, DeleteAsksThenKeepsTheSelectionInPlaceAndAnEmptyListIsNeverSaved) {
  Run({"a", "b", "c", "d"},
      "click DeleteBtn\n"  // nothing selected: no question
      "select UsageList 1\nclick DeleteBtn\nanswer no\nexpect UsageList count 4\n"
      "click DeleteBtn\nanswer yes\nexpect UsageList item 1 c\nexpect UsageList itemindex 1\n"
      "select UsageList 2\nclick DeleteBtn\nanswer yes\nexpect UsageList itemindex 1\n"
      "click DeleteBtn\nanswer yes\nexpect UsageList itemindex 0\n"
      "click DeleteBtn\nanswer yes\nexpect UsageList itemindex -1\n"
      "click SaveBtn\nclick CancelBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Texts{kAskDelete + "no", kAskDelete + "yes", kAskDelete + "yes",
                                   kAskDelete + "yes", kAskDelete + "yes", kAskDiscard + "yes"}));
  EXPECT_TRUE(Saves().empty());
}

TEST_F(UsageEditTest, MovesAtTheEndsChangeNothingAndThePopupMenuOffersEveryOperation) {
  // Nothing changes, so Cancel asks nothing. Texts come from the Usage keys, or else
  // the Common ones (Delete).
  SetLanguage("EN");
  Run({"a", "b", "O'c"},
      "expect AddNewBtn caption New\nexpect DeleteBtn caption Delete\n"
      "click UpBtn\nclick DownBtn\nclick SetDefaultBtn\nselect UsageList 0\nclick UpBtn\n"
      "click SetDefaultBtn\nselect UsageList 2\nclick DownBtn\nclick CancelBtn\n");
  EXPECT_TRUE(MessageLines().empty());
  const TShellResult result =
      Run({"a", "b", "O'c"},
          "select UsageList 2\nclick SetDefaultMit\n"                          // c a b
          "select UsageList 0\nclick DownMit\nexpect UsageList itemindex 1\n"  // a c b
          "select UsageList 2\nclick UpMit\nexpect UsageList itemindex 1\n"    // a b c
          "click DeleteMit\nanswer yes\nclick AddNewMit\ninput d\n"            // a c d
          "select UsageList 0\nclick EditMit\ninput e\nclick SaveBtn\n");
  EXPECT_EQ(Saves(), Texts{Batch({"e", "O''c", "d"})});
  EXPECT_EQ(tavro_test::Outcome(result), "0 ");  // cleared, saved or not
}

TEST_F(UsageEditTest, AFailedLoadLeavesAnEmptyListThatCanBeBuiltAndSaved) {
  fakehost::On(kList, Answer::Fail(2, "not a member"));
  Platform().RunScript("click AddNewBtn\ninput \"运费\"\nclick SaveBtn\n");
  Mn_UsageEdit(nullptr, kUsageShell, "0012", "000001", 0, nullptr, nullptr);
  EXPECT_EQ(MessageLines(), Texts{Box("Error:not a member")});
  EXPECT_EQ(Saves(), Texts{Batch({"运费"})});
}

// A refused batch has changed nothing on the server: the operator's list stays on screen
// to be corrected, and leaving, by Cancel or the close box, still asks.
TEST_F(UsageEditTest, ARefusedSaveKeepsTheEditedListAndLeavingAsks) {
  fakehost::On(Batch({"a", "b"}), Answer::Fail(2, "statement 3: too long"));
  Run({"a"},
      "click AddNewBtn\ninput b\nclick SaveBtn\nexpect UsageList count 2\n"
      "close\nanswer no\nclick CancelBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(),
            (Texts{Box("Error:statement 3: too long"), kAskDiscard + "no", kAskDiscard + "yes"}));
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm cancel");
}

// Questions default to No, so that Enter never deletes or discards.
class DefaultButtonSpy : public ui::HeadlessPlatform {
 public:
  int MessageBox(const std::string& caption, const std::string& text, ui::MsgButtons buttons,
                 ui::MsgIcon icon, int defaultButton) override {
    defaults.push_back(defaultButton);
    return HeadlessPlatform::MessageBox(caption, text, buttons, icon, defaultButton);
  }
  std::vector<int> defaults;
};

TEST_F(UsageEditTest, QuestionsMakeNoTheDefaultButton) {
  auto* spy = new DefaultButtonSpy();
  auto previous = ui::InstallPlatform(std::unique_ptr<ui::Platform>(spy));
  fakehost::On(kList, Answer::Ok("a\r\nb\r\n"));
  spy->RunScript("select UsageList 0\nclick DeleteBtn\nanswer yes\nclick CancelBtn\nanswer yes\n");
  Mn_UsageEdit(nullptr, kUsageShell, "0012", "000001", 0, nullptr, nullptr);
  EXPECT_FALSE(spy->Failed());
  EXPECT_EQ(spy->defaults, (std::vector<int>{2, 2}));
  ui::InstallPlatform(std::move(previous));
}

}  // namespace
