// The corporate account dialog (Mn_AcEdit), the usage list editor (Mn_UsageEdit) and
// the user report (Mn_UserListPrint) as the shell calls them, against the recording fake
// host and driven by operator scripts; the report's pages as the printer receives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

#include "admin/AccountEditFrm.h"
#include "admin/UsageEdtFrm.h"
#include "admin/UserReportLayout.h"
#include "frame/ManageEdit.h"
#include "sys/CodePage.h"
#include "tests/admin/AdminTest.h"
#include "tests/support/FileSizeLimit.h"
#include "ui/script/RecordingPrinter.h"

namespace {

using admin_test::Texts;
using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Gbk;
using tavro_test::Question;
using tavro_test::ReadFile;
using ui::PrintOp;
using ui::PrintOpKind;

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

// The user report.

constexpr HWND_T kShell = 0x51;
using Row = std::vector<std::string>;

// n users 100000, 100001, ... as UTF-8 rows.
std::vector<Row> Users(int n) {
  std::vector<Row> rows;
  for (int i = 0; i < n; ++i) {
    const std::string id = std::to_string(100000 + i);
    rows.push_back({id, "王" + id, "D", "启用", "2025-03-01", "2028-02-29", "2025-03-01"});
  }
  return rows;
}

// A printed operation as "T x,y size text" or "L x1,y1-x2,y2", texts back in UTF-8.
std::string Show(const PrintOp& op) {
  if (op.Kind == PrintOpKind::Line) {
    return "L " + std::to_string(op.X1) + "," + std::to_string(op.Y1) + "-" +
           std::to_string(op.X2) + "," + std::to_string(op.Y2);
  }
  return "T " + std::to_string(op.X1) + "," + std::to_string(op.Y1) + " " +
         std::to_string(op.FontSize) + " " + sys::GbkToUtf8(op.Text);
}
Texts Shown(const ui::PrintedPage& page) {
  Texts ops;
  for (const PrintOp& op : page.Ops) {
    ops.push_back(Show(op));
  }
  return ops;
}

// Prints rows on a recording printer at ppi pixels per inch: one finished job.
ui::PrintJob Print(const std::vector<Row>& rows, int ppi = 96) {
  admin::TUserReport report;
  report.CorpName = Gbk("演示贸易");
  report.DateText = "2026-12-06 10:00:00";
  for (const Row& row : rows) {
    admin::TUserReportRow printed;
    for (std::size_t c = 0; c < printed.size(); ++c) {
      printed[c] = Gbk(row[c]);
    }
    report.Rows.push_back(printed);
  }
  ui::RecordingPrinter printer;
  printer.SetPixelsPerInch(ppi);
  admin::DrawUserReport(printer, report);
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.Jobs().size(), 1u);
  return printer.Jobs().empty() ? ui::PrintJob{} : printer.Jobs()[0];
}

TEST(UserReportLayout, APageHoldsHeadingsColumnTitlesRowsAndFooterInPlace) {
  std::vector<Row> rows = Users(31);
  rows[30] = {"000005", "赵敏", "S", "待激活", "2026-11-20", "2028-11-20", "2026-11-20"};
  const ui::PrintJob job = Print(rows);
  ASSERT_EQ(job.Pages.size(), 2u);
  EXPECT_EQ(
      Shown(job.Pages[1]),
      (Texts{"T 309,60 15 Morvane", "T 355,88 14 Tavro系统", "T 325,116 14 用户档案及权限报告",
             "L 65,146-715,146", "L 65,148-715,148", "T 65,154 12 客户名称：演示贸易",
             "T 565,154 12 第2页/共2页",  // no blanks
             "L 65,175-715,175", "L 65,177-715,177", "T 65,178 11 用户号", "T 145,178 11 姓名",
             "T 245,178 11 级别", "T 325,178 11 状态", "T 425,178 11 启用日期",
             "T 525,178 11 有效期至", "T 625,178 11 开卡日期", "L 65,195-715,195",
             // The page's one row in the first row's place.
             "T 65,197 11 000005", "T 145,197 11 赵敏", "T 245,197 11 S", "T 325,197 11 待激活",
             "T 425,197 11 2026-11-20", "T 525,197 11 2028-11-20", "T 625,197 11 2026-11-20",
             // The footer stands where a full page's does.
             "L 65,797-715,797", "T 65,799 11 报告日期：2026-12-06 10:00:00"}));
  const Texts first = Shown(job.Pages[0]);
  EXPECT_EQ(first[6], "T 565,154 12 第1页/共2页");
  EXPECT_EQ(first[first.size() - 3], "T 625,777 11 2025-03-01");  // the 30th row
  EXPECT_EQ(first.back(), "T 65,799 11 报告日期：2026-12-06 10:00:00");
  // Without rows a page holds its headings, rules and footer: 19 operations.
  const ui::PrintJob none = Print({});
  EXPECT_EQ(none.Title, Gbk("用户档案及权限报告"));
  ASSERT_EQ(none.Pages.size(), 1u);
  EXPECT_EQ(none.Pages[0].Ops.size(), 19u);
}

TEST(UserReportLayout, PositionsScaleToThePrinterWithTiesToEven) {
  EXPECT_EQ(admin::ToDevicePixels(1, 48), 0);  // halves go to the even neighbour
  EXPECT_EQ(admin::ToDevicePixels(3, 48), 2);
  EXPECT_EQ(admin::ToDevicePixels(-3, 48), -2);
  // Every position of a page goes through the printer's scale (146 -> 912.5 -> 912).
  const Texts ops = Shown(Print(Users(1), 600).Pages.at(0));
  EXPECT_EQ(ops[3], "L 406,912-4469,912");
  EXPECT_EQ(ops.back().substr(0, 12), "T 406,4994 1");  // 799 -> 4993.75
}

std::string SelectFor(const std::string& quotedCorp) {
  return Gbk("select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then "
             "'待激活' else '停用' end) Status,convert(char(10),CardDate,120) FromDate,"
             "convert(char(10),ExpiryDate,120) ExpiryDate,convert(char(10),CardDate,120) CardDate "
             "from tb_mn_login where CorpId=") +
         quotedCorp;
}

// Rows as the server answers the select: fields at 0x07, CR LF row ends.
Answer RowsAnswer(const std::vector<Row>& rows) {
  std::string text;
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      text += (i > 0 ? "\a" : "") + Gbk(row[i]);
    }
    text += "\r\n";
  }
  return Answer::Ok(text);
}

class UserListPrintTest : public admin_test::AdminTest {
 protected:
  // Calls the entry point for corp with a stale record, which must come back all zero.
  void Call(const char* corp) {
    TShellResult result{7, "stale"};
    Mn_UserListPrint(&result, kShell, corp, "000001", 105, "key", "extra");
    EXPECT_EQ(tavro_test::Outcome(result), "0 ");
  }
};

TEST_F(UserListPrintTest, ShowsTheCorporationAndItsUsers) {
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok(Gbk("演示贸易有限公司")));
  fakehost::On(
      SelectFor("'0012'"),
      RowsAnswer({Users(1)[0],
                  {" 000005 ", "赵敏 ", "S", "待激活", "2026-11-20", "2028-11-20", "2026-11-20"}}));
  Platform().RunScript(
      "expect CorpIdEdt text \"0012\"\nexpect CorpNameEdt text \"演示贸易有限公司\"\n"
      "expect UserLv columns 7\nexpect UserLv column 6 \"开卡日期\" 100 left\n"
      // Fields are trimmed as they are read.
      "expect UserLv item 1 \"000005\t赵敏\tS\t待激活\t2026-11-20\t2028-11-20\t2026-11-20\"\n"
      "click CancelBtn\n");
  Call("0012");
}

TEST_F(UserListPrintTest, QuotesAreDoubledAndABlankCorporationOpensNothing) {
  Call("0'1");
  EXPECT_EQ(Commands(kShell), (Texts{"MN_GetCorpName '0''1'", SelectFor("'0''1'")}));
  fakehost::Reset();
  const std::size_t lines = Platform().Transcript().size();
  for (const char* corp : {"   ", static_cast<const char*>(nullptr)}) {
    Call(corp);
  }
  EXPECT_TRUE(fakehost::Calls().empty());
  EXPECT_EQ(Platform().Transcript().size(), lines) << "no dialog was shown";
}

TEST_F(UserListPrintTest, PrintingFollowsThePrintDialogAndTheDialogStaysOpen) {
  fakehost::On(SelectFor("'0012'"), RowsAnswer(Users(31)));
  Platform().RunScript(
      "click PrnBtn\nprint no\nclick PrnBtn\nprint yes\nclick PrintListMit\nprint yes\n"
      "click CancelBtn\n");
  Call("0012");
  EXPECT_EQ(Platform().Transcript(),
            (Texts{"open TUserListPrnFrm \"用户档案报告\"", "print -> no", "print -> yes",
                   "printed 2 pages \"\"", "print -> yes", "printed 2 pages \"\"",
                   "close TUserListPrnFrm cancel"}));
}

// A print dialog the operator keeps open into the next second of the clock.
class LingeringPrintDialog : public ui::HeadlessPlatform {
 public:
  bool PrintDialog() override {
    opened = std::time(nullptr);
    while (std::time(nullptr) == opened) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return HeadlessPlatform::PrintDialog();
  }
  std::time_t opened = 0;
};

// The report date is when the pages are drawn, not when the print dialog opened.
TEST_F(UserListPrintTest, TheReportDateIsTakenAfterThePrinterIsChosen) {
  auto* lingering = new LingeringPrintDialog();
  auto previous = ui::InstallPlatform(std::unique_ptr<ui::Platform>(lingering));
  fakehost::On(SelectFor("'0012'"), RowsAnswer(Users(1)));
  lingering->RunScript("click PrnBtn\nprint yes\nclick CancelBtn\n");
  Call("0012");
  const std::time_t done = std::time(nullptr);
  const auto installed = ui::InstallPlatform(std::move(previous));
  EXPECT_FALSE(lingering->Failed());
  ASSERT_EQ(lingering->PrintJobs().size(), 1u);
  const std::string footer = lingering->PrintJobs()[0].Pages.at(0).Ops.back().Text;
  Texts possible;
  for (std::time_t t = lingering->opened + 1; t <= done; ++t) {
    possible.push_back(Gbk("报告日期：") + admin::ReportDateText(t));
  }
  EXPECT_TRUE(std::find(possible.begin(), possible.end(), footer) != possible.end())
      << sys::GbkToUtf8(footer);
}

// An existing file is replaced only when the operator agrees, as the customer export
// asks; the file, which lists the users, is the user's alone under the common umask.
TEST_F(UserListPrintTest, ExportWritesTheListAsCsvThroughTheSaveDialog) {
  fakehost::On(
      SelectFor("'0012'"),
      RowsAnswer({{"000001", "李,明", "D", "启用", "2025-03-01", "", "2025-03-01"},
                  {"000002", "王\"二\"", "O", "停用", "2024-01-10", "2025-01-10", "2024-01-10"}}));
  const tavro_test::ScopedUmask umask(022);
  const std::string path = TempDir() + "users.csv";
  tavro_test::WriteFile(path, "old export");
  const std::string save = "click ExportExcelMit\nfile \"" + path + "\"\n";
  Platform().RunScript("click ExportExcelMit\nfile cancel\n" + save + "answer no\n" + save +
                       "answer yes\nclick CancelBtn\n");
  Call("0012");
  EXPECT_EQ(Platform().Transcript()[1], "file save \"CSV 文件 (*.csv)|*.csv\" -> cancel");
  const std::string question = "导出文件已经存在，将覆盖原文件，是否继续？";
  EXPECT_EQ(MessageLines(),
            (Texts{Question(question, "no", "覆盖确认"), Question(question, "yes", "覆盖确认")}));
  EXPECT_EQ(ReadFile(path),
            "\xEF\xBB\xBF用户号,姓名,级别,状态,启用日期,有效期至,开卡日期\r\n"
            "000001,\"李,明\",D,启用,2025-03-01,,2025-03-01\r\n"
            "000002,\"王\"\"二\"\"\",O,停用,2024-01-10,2025-01-10,2024-01-10\r\n");
  EXPECT_EQ(tavro_test::FileMode(path), 0600u);
}

TEST_F(UserListPrintTest, AFailedExportKeepsTheOldFileAndSaysSo) {
  fakehost::On(SelectFor("'0012'"), RowsAnswer(Users(5)));
  const std::string path = TempDir() + "users.csv";
  tavro_test::WriteFile(path, "old export");
  Platform().RunScript("click ExportExcelMit\nfile \"" + path + "\"\nanswer yes\n");
  {
    tavro_test::FileSizeLimit full(32);
    Call("0012");
  }
  EXPECT_EQ(ReadFile(path), "old export");
  ASSERT_EQ(MessageLines().size(), 2u);
  EXPECT_EQ(MessageLines()[1].rfind("message ok error \"ManageEdit\" \"导出失败：cannot write ", 0),
            0u)
      << MessageLines()[1];
}

}  // namespace
