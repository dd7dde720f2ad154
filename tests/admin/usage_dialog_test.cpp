// The usage list editor, called through Mn_UsageEdit as the shell calls it, against the
// recording fake host and driven by operator scripts.
#include <gtest/gtest.h>
#include <unistd.h>

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
using Texts = std::vector<std::string>;

constexpr HWND_T kShell = 0x5B;
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

std::string Message(const std::string& utf8) {
  return R"(message ok none "ManageEdit" ")" + utf8 + "\" -> ok";
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
  void SetLanguage(const char* id) {
    tavro_test::WriteFile(TempDir() + "Tavro2007.ini", std::string("[Settings]\nLangId=") + id);
  }

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
    Mn_UsageEdit(&result, kShell, "0012", "000001", 104, "unused", "unused");
    return result;
  }

  // The commands sent after the list was loaded.
  static Texts Saves() {
    Texts saves;
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell);
      if (call.command != kList) {
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
                                  "select UsageList 2\nclick SetDefaultBtn\n"
                                  "expect UsageList itemindex -1\nclick SaveBtn\n");
  EXPECT_TRUE(fakehost::Calls().front().file);
  EXPECT_EQ(Saves(), Texts{Batch({"O''Neil 服务费", "货款", "运费", "工资", "差旅费"})});
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm ok");
  // The caller's record is cleared and stays so, saved or not.
  EXPECT_EQ(result.Code, 0);
  EXPECT_STREQ(result.Text, "");
}

TEST_F(UsageEditTest, AddRefusesEmptyAndExactDuplicatesOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"\"\"", "没有输入内容，未新增"},
      {"cancel", "没有输入内容，未新增"},
      {"\"   \"", "没有输入内容，未新增"},
      {"Rent", "已有相同用途，未新增"},
      {"rent", nullptr},       // case counts
      {"\" Rent\"", nullptr},  // blanks count
  };
  for (const auto& [input, message] : cases) {
    const std::size_t before = Platform().Transcript().size();
    // Only an added text makes Cancel ask.
    Run({"Rent"}, std::string("click AddNewBtn\ninput ") + input + "\nclick CancelBtn\n" +
                      (message == nullptr ? "answer yes\n" : ""));
    const Texts lines(Platform().Transcript().begin() + before, Platform().Transcript().end());
    ASSERT_GE(lines.size(), 3u) << input;
    EXPECT_EQ(lines[1].rfind(R"(input "新增用途" "请输入用途:      " "" -> )", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], message != nullptr ? Message(message) : kAskDiscard + "yes") << input;
  }
  EXPECT_TRUE(Saves().empty());
}

TEST_F(UsageEditTest, EditReplacesTheSelectedTextAndACancelledPromptStillCounts) {
  Run({"a", "b"},
      "click EditBtn\n"  // nothing selected
      "select UsageList 0\nclick EditBtn\ninput \"\"\n"
      "click EditBtn\ninput b\n"  // a duplicate is allowed here
      "click SaveBtn\n");
  EXPECT_EQ(MessageLines(),
            (Texts{Message("请先选择要修改的用途"), Message("没有输入内容，未修改")}));
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
  // Nothing changes, so Cancel asks nothing.
  Run({"a", "b", "c"},
      "click UpBtn\nclick DownBtn\nclick SetDefaultBtn\nselect UsageList 0\nclick UpBtn\n"
      "click SetDefaultBtn\nselect UsageList 2\nclick DownBtn\nclick CancelBtn\n");
  EXPECT_TRUE(MessageLines().empty());

  Run({"a", "b", "c"},
      "select UsageList 2\nclick SetDefaultMit\n"                          // c a b
      "select UsageList 0\nclick DownMit\nexpect UsageList itemindex 1\n"  // a c b
      "select UsageList 2\nclick UpMit\nexpect UsageList itemindex 1\n"    // a b c
      "click DeleteMit\nanswer yes\nclick AddNewMit\ninput d\n"            // a c d
      "select UsageList 0\nclick EditMit\ninput e\nclick SaveBtn\n");
  EXPECT_EQ(Saves(), Texts{Batch({"e", "c", "d"})});
}

TEST_F(UsageEditTest, AFailedLoadLeavesAnEmptyListThatCanBeBuiltAndSaved) {
  fakehost::On(kList, Answer::Fail(2, "not a member"));
  Platform().RunScript("click AddNewBtn\ninput \"运费\"\nclick SaveBtn\n");
  Mn_UsageEdit(nullptr, kShell, "0012", "000001", 0, nullptr, nullptr);
  EXPECT_EQ(MessageLines(), Texts{Message("Error:not a member")});
  EXPECT_EQ(Saves(), Texts{Batch({"运费"})});
}

// A refused batch has changed nothing on the server: the operator's list stays on screen
// to be corrected, and leaving, by Cancel or the close box, still asks.
TEST_F(UsageEditTest, ARefusedSaveKeepsTheEditedListAndLeavingAsks) {
  fakehost::On(Batch({"a", "b"}), Answer::Fail(2, "statement 3: too long"));
  Run({"a"},
      "click AddNewBtn\ninput b\nclick SaveBtn\nexpect UsageList count 2\n"
      "close\nanswer no\nclick CancelBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Texts{Message("Error:statement 3: too long"), kAskDiscard + "no",
                                   kAskDiscard + "yes"}));
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
  Mn_UsageEdit(nullptr, kShell, "0012", "000001", 0, nullptr, nullptr);
  EXPECT_FALSE(spy->Failed());
  EXPECT_EQ(spy->defaults, (std::vector<int>{2, 2}));
  ui::InstallPlatform(std::move(previous));
}

TEST_F(UsageEditTest, EnglishTextsComeFromTheUsageAndCommonKeys) {
  SetLanguage("EN");
  Run({"a"},
      "expect form caption Usage\nexpect AddNewBtn caption New\n"
      "expect DeleteBtn caption Delete\n"  // no Usage key: the Common one
      "expect TipLbl caption Default\nexpect form font \"宋体\" 10 134\nclick CancelBtn\n");
  EXPECT_EQ(LastLine(), "close TUsageEdtFrm cancel");
}

}  // namespace
