// The usage list editor, called through Mn_UsageEdit as the shell calls it, against the
// recording fake host and driven by operator scripts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "admin/UsageEdtFrm.h"
#include "frame/ManageEdit.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;

constexpr HWND_T kShell = 0x5B;
constexpr char kList[] = "MN_GetUsageList '0012','000001'";
constexpr char kAskDiscard[] = R"(message yesno none "放弃存盘" "用途设置已经修改，是否放弃?" -> )";
constexpr char kAskDelete[] = R"(message yesno none "" "是否删除该用途?" -> )";

std::string Rows(const std::vector<std::string>& utf8) {
  std::string rows;
  for (const std::string& row : utf8) {
    rows += Gbk(row) + "\r\n";
  }
  return rows;
}

// The batch a save of these texts sends, written out by hand.
std::string Batch(const std::vector<std::string>& utf8) {
  std::string batch = "set nocount on\r\nexec MN_UsageDelete '0012'\r\n";
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    batch +=
        "exec MN_UsageInsert '0012','000001','" + Gbk(utf8[i]) + "'," + std::to_string(i) + "\r\n";
  }
  return batch;
}

std::string Message(const char* utf8) {
  return std::string(R"(message ok none "ManageEdit" ")") + utf8 + "\" -> ok";
}

class UsageEditTest : public tavro_test::ModuleTest {
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

  // Runs the dialog on a stored list with script; returns the caller's record.
  TShellResult Run(const std::vector<std::string>& stored, const std::string& script) {
    fakehost::On(kList, Answer::Ok(Rows(stored)));
    return RunScript(script);
  }
  TShellResult RunScript(const std::string& script) {
    Platform().RunScript(script);
    TShellResult result{5, "stale"};
    Mn_UsageEdit(&result, kShell, "0012", "000001", 104, "unused", "unused");
    return result;
  }

  // Commands other than the list load, in order.
  static std::vector<std::string> Saves() {
    std::vector<std::string> saves;
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell);
      if (call.command != kList) {
        EXPECT_FALSE(call.file);
        saves.push_back(call.command);
      }
    }
    return saves;
  }

  std::string LastLine() { return Platform().Transcript().back(); }

 private:
  std::string oldCwd_;
};

TEST_F(UsageEditTest, SetDefaultMovesTheEntryFirstAndSaveStoresTheOrderInOneBatch) {
  const TShellResult result = Run({"货款", "运费", "O'Neil 服务费", "工资", "差旅费"},
                                  "expect form caption \"用途\"\n"
                                  "expect UsageList count 5\n"
                                  "select UsageList 2\n"
                                  "click SetDefaultBtn\n"
                                  "expect UsageList itemindex -1\n"
                                  "click SaveBtn\n");
  ASSERT_FALSE(fakehost::Calls().empty());
  EXPECT_TRUE(fakehost::Calls().front().file);
  EXPECT_EQ(fakehost::Calls().front().command, kList);
  EXPECT_EQ(Saves(),
            std::vector<std::string>{Batch({"O''Neil 服务费", "货款", "运费", "工资", "差旅费"})});
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm ok");
  // The caller's record is cleared and stays so, saved or not.
  EXPECT_EQ(result.Code, 0);
  EXPECT_STREQ(result.Text, "");
}

TEST_F(UsageEditTest, AddRefusesEmptyAndExactDuplicatesOnly) {
  struct Case {
    const char* input;  // the script's answer to the prompt
    const char* message;
    int count;
  } cases[] = {
      {"\"\"", "没有输入内容，未新增", 1},
      {"cancel", "没有输入内容，未新增", 1},
      {"\"   \"", "没有输入内容，未新增", 1},
      {"\"Rent\"", "已有相同用途，未新增", 1},
      {"\"rent\"", nullptr, 2},   // case counts
      {"\" Rent\"", nullptr, 2},  // blanks count
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    const std::size_t before = Platform().Transcript().size();
    // A refused add leaves the list unmodified, so Cancel asks nothing.
    Run({"Rent"}, std::string("click AddNewBtn\ninput ") + c.input + "\nexpect UsageList count " +
                      std::to_string(c.count) + "\nclick CancelBtn\n" +
                      (c.message == nullptr ? "answer yes\n" : ""));
    const std::vector<std::string> lines(Platform().Transcript().begin() + before,
                                         Platform().Transcript().end());
    ASSERT_GE(lines.size(), 3u) << c.input;
    EXPECT_EQ(lines[1].rfind(R"(input "新增用途" "请输入用途:      " "" -> )", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2],
              c.message != nullptr ? Message(c.message) : std::string(kAskDiscard) + "yes")
        << c.input;
    EXPECT_TRUE(Saves().empty());
  }
}

TEST_F(UsageEditTest, EditReplacesTheSelectedTextAndACancelledPromptStillCounts) {
  Run({"a", "b"},
      "click EditBtn\n"  // nothing selected
      "select UsageList 0\n"
      "click EditBtn\ninput \"\"\n"   // empty: refused
      "click EditBtn\ninput \"b\"\n"  // a duplicate is allowed here
      "expect UsageList item 0 b\n"
      "click SaveBtn\n");
  EXPECT_EQ(MessageLines(), (std::vector<std::string>{Message("请先选择要修改的用途"),
                                                      Message("没有输入内容，未修改")}));
  EXPECT_EQ(Saves(), std::vector<std::string>{Batch({"b", "b"})});

  // The prompt offers the text; cancelling it leaves the text but marks the list changed.
  fakehost::Reset();
  Run({"a", "b"},
      "select UsageList 1\nclick EditBtn\ninput cancel\nexpect UsageList item 1 b\n"
      "click CancelBtn\nanswer no\nclick CancelBtn\nanswer yes\n");
  EXPECT_NE(std::find(Platform().Transcript().begin(), Platform().Transcript().end(),
                      R"(input "修改用途" "请输入用途:      " "b" -> cancel)"),
            Platform().Transcript().end());
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm cancel");
  EXPECT_TRUE(Saves().empty());
}

TEST_F(UsageEditTest, DeleteAsksThenKeepsTheSelectionInPlaceAndAnEmptyListIsNeverSaved) {
  Run({"a", "b", "c", "d"},
      "click DeleteBtn\n"  // nothing selected: no question
      "select UsageList 1\n"
      "click DeleteBtn\nanswer no\n"
      "expect UsageList count 4\n"
      "click DeleteBtn\nanswer yes\n"
      "expect UsageList item 1 c\n"
      "expect UsageList itemindex 1\n"
      "select UsageList 2\n"
      "click DeleteBtn\nanswer yes\n"  // the last one: the new last is selected
      "expect UsageList itemindex 1\n"
      "click DeleteBtn\nanswer yes\n"
      "expect UsageList itemindex 0\n"
      "click DeleteBtn\nanswer yes\n"
      "expect UsageList count 0\n"
      "expect UsageList itemindex -1\n"
      "click SaveBtn\n"  // nothing sent, still open
      "click CancelBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(),
            (std::vector<std::string>{
                std::string(kAskDelete) + "no", std::string(kAskDelete) + "yes",
                std::string(kAskDelete) + "yes", std::string(kAskDelete) + "yes",
                std::string(kAskDelete) + "yes", std::string(kAskDiscard) + "yes"}));
  EXPECT_TRUE(Saves().empty());
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm cancel");
}

TEST_F(UsageEditTest, UpAndDownMoveTheSelectionButNotPastTheEnds) {
  // At the ends (and with nothing selected) nothing changes, so Cancel asks nothing.
  Run({"a", "b", "c"},
      "click UpBtn\nclick DownBtn\nclick SetDefaultBtn\n"
      "select UsageList 0\nclick UpBtn\nclick SetDefaultBtn\n"
      "select UsageList 2\nclick DownBtn\n"
      "click CancelBtn\n");
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm cancel");

  Run({"a", "b", "c"},
      "select UsageList 1\n"
      "click UpBtn\nexpect UsageList itemindex 0\nexpect UsageList item 0 b\n"
      "click DownBtn\nclick DownBtn\nexpect UsageList itemindex 2\n"
      "click SaveBtn\n");
  EXPECT_EQ(Saves(), std::vector<std::string>{Batch({"a", "c", "b"})});
}

TEST_F(UsageEditTest, AFailedLoadLeavesAnEmptyListThatCanBeBuiltAndSaved) {
  fakehost::On(kList, Answer::Fail(2, "user 000001 is not a member"));
  RunScript(
      "expect UsageList count 0\n"
      "click SaveBtn\n"
      "click AddNewBtn\ninput \"运费\"\n"
      "click SaveBtn\n");
  EXPECT_EQ(MessageLines(),
            std::vector<std::string>{
                R"(message ok none "ManageEdit" "Error:user 000001 is not a member" -> ok)"});
  EXPECT_EQ(Saves(), std::vector<std::string>{Batch({"运费"})});
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm ok");
}

// A refused batch has changed nothing on the server: the list the operator built stays
// on screen to be corrected, and leaving still asks.
TEST_F(UsageEditTest, ARefusedSaveKeepsTheDialogAndTheEditedList) {
  fakehost::On(Batch({"a", "b"}), Answer::Fail(2, "statement 3: usage text is too long"));
  Run({"a"},
      "click AddNewBtn\ninput b\n"
      "click SaveBtn\n"
      "expect UsageList count 2\n"
      "click CancelBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(),
            (std::vector<std::string>{
                R"(message ok none "ManageEdit" "Error:statement 3: usage text is too long" -> ok)",
                std::string(kAskDiscard) + "yes"}));
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm cancel");
}

TEST_F(UsageEditTest, TheCloseBoxAsksLikeCancelOnceTheListChanged) {
  Run({"a", "b"}, "close\n");
  EXPECT_TRUE(MessageLines().empty());
  Run({"a", "b"}, "select UsageList 1\nclick SetDefaultBtn\nclose\nanswer no\nclose\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (std::vector<std::string>{std::string(kAskDiscard) + "no",
                                                      std::string(kAskDiscard) + "yes"}));
  EXPECT_TRUE(Saves().empty());
}

TEST_F(UsageEditTest, ThePopupMenuOffersTheSameOperations) {
  Run({"a", "b", "c"},
      "select UsageList 2\nclick SetDefaultMit\n"
      "select UsageList 0\nclick DownMit\n"
      "select UsageList 2\nclick UpMit\n"
      "click DeleteMit\nanswer yes\n"
      "click AddNewMit\ninput d\n"
      "select UsageList 0\nclick EditMit\ninput e\n"
      "click SaveBtn\n");
  EXPECT_EQ(Saves(), std::vector<std::string>{Batch({"e", "c", "d"})});
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
  fakehost::On(kList, Answer::Ok(Rows({"a", "b"})));
  spy->RunScript("select UsageList 0\nclick DeleteBtn\nanswer yes\nclick CancelBtn\nanswer yes\n");
  Mn_UsageEdit(nullptr, kShell, "0012", "000001", 0, nullptr, nullptr);
  EXPECT_FALSE(spy->Failed());
  EXPECT_EQ(spy->defaults, (std::vector<int>{2, 2}));
  ui::InstallPlatform(std::move(previous));
}

TEST_F(UsageEditTest, EnglishTextsComeFromTheUsageAndCommonKeys) {
  SetLanguage("EN");
  Run({"a"},
      "expect form caption Usage\n"
      "expect AddNewBtn caption New\n"
      "expect DeleteBtn caption Delete\n"  // no Usage key: the Common one
      "expect SaveBtn caption Save\n"
      "expect CancelBtn caption Cancel\n"
      "expect TipLbl caption Default\n"
      "expect form font \"宋体\" 10 134\n"
      "click CancelBtn\n");
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm cancel");
}

}  // namespace
