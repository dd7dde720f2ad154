// The customer bank account dialog through its entry point, as the shell calls it,
// against the recording host: command texts, boxes in order, the result handed back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/ManageEdit.h"
#include "payee/CustAcEdtFrm.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"

namespace {

using fakehost::Answer;
using payee::TCustAcEdtFrm;
using tavro_test::Gbk;
using tavro_test::WriteFile;

constexpr HWND_T kShell = 0x77;

// Lines joined by the 0x0E mark a multi-line field travels with.
std::string Marked(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += (i ? "\x0E" : "") + lines[i];
  }
  return text;
}

const std::string kAurora =
    "AURORA BANK\a10 KING'S ROAD\aCENTRAL\aHONG KONG 10000\aHONG KONG SAR CHINA";

// Account 17: USD at an "A" bank with intermediary bank 2, last saved by 000002.
const std::string kAccount17 = "17\aC001\a0012\aUSD\a88001234567\aYUANHANG\a\a2\aA\a400123\a" +
                               Marked({"AUADHKHHXXX", "OLD NAME", "OLD STREET"}) + "\a000002\a1";

std::string Box(const std::string& text) {
  return "message ok none \"ManageEdit\" \"" + text + "\" -> ok";
}
std::string Question(const char* answer) {
  return std::string("message yesno none \"\" \"The changes are not saved. Leave anyway?\" -> ") +
         answer;
}

class CustAcDialogTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    oldCwd_ = sys::CurrentFolder();
    ASSERT_EQ(::chdir(TempDir().c_str()), 0);
    WriteFile(TempDir() + "Tavro2007.ini", "[Settings]\r\nLangId=EN\r\n");
    Serve("11111000");
  }
  void TearDown() override {
    EXPECT_EQ(::chdir(oldCwd_.c_str()), 0);
    ModuleTest::TearDown();
  }

  // The server of these tests, granting the operator rights on node 930.
  static void Serve(const std::string& rights) {
    fakehost::Reset();
    fakehost::On("MN_GetCustomerList '0012','000001'", Answer::Ok("C001\r\nC002\r\nC003\r\n"));
    fakehost::On("MN_GetCurrencyCodeList", Answer::Ok("CNY\r\nUSD\r\nHKD\r\n"));
    fakehost::On("Sh_GetNodeRight '0012','000001',930", Answer::Ok(rights));
    fakehost::On("MB_GetSwfAddress 'AUADHKHH'", Answer::Ok(kAurora));
    fakehost::On("MN_GetPropOfCustAc 17", Answer::Ok(kAccount17));
    fakehost::On("ST_GetBankSimple 2",
                 Answer::Ok("2\aHARBOUR BANKING CORPORATION\a21 TOWER PLACE\aMANHATTAN\a"
                            "NEW YORK 12565\aUNITED STATES\aHAHAUS33XXX"));
    fakehost::OnPrefix("MN_UpdateCustAcRec", Answer::Ok("1\a42"));
  }

  TShellResult Call(const char* key, const char* extra = "") {
    TShellResult result{7, "stale"};
    Mn_CustAcEdit(&result, kShell, "0012", "000001", 930, key, extra);
    return result;
  }

  // Runs the dialog with fn as the operator before the script's lines.
  TShellResult CallWith(const char* key, const std::function<void(TCustAcEdtFrm&)>& fn,
                        const char* extra = "") {
    Platform().SetOperator([&](ui::TForm& form) { fn(dynamic_cast<TCustAcEdtFrm&>(form)); });
    TShellResult result = Call(key, extra);
    Platform().SetOperator(nullptr);
    return result;
  }

  static std::vector<std::string> Commands() {
    std::vector<std::string> commands;
    for (const fakehost::Call& call : fakehost::Calls()) {
      commands.push_back(call.command);
    }
    return commands;
  }
  static std::vector<std::string> Updates() {
    std::vector<std::string> updates;
    for (const std::string& command : Commands()) {
      if (command.rfind("MN_UpdateCustAcRec", 0) == 0) {
        updates.push_back(command);
      }
    }
    return updates;
  }
  bool Perform(ui::TForm& form, const std::string& line) { return Platform().Perform(form, line); }

 private:
  std::string oldCwd_;
};

TEST_F(CustAcDialogTest, NewForeignAccountTakesItsBankFromTheSwiftDirectory) {
  Platform().RunScript(
      "select CustIdCmb C002\n"
      "select CurrencyCmb USD\n"
      "expect GroupBox1 enabled false\n"
      "type AcNoEdt 88001234\n"
      "select SelectIdCmb A\n"
      "type BankAcNoEdt 400123\n"
      "type BankNameMmo AUADHKHHXXX\n"
      "focus StatusCmb\n"
      "expect BankNameMmo count 6\n"
      "expect BankNameMmo item 0 AUADHKHHXXX\n"
      "expect BankNameMmo item 5 \"HONG KONG SAR CHINA\"\n"
      "expect OperatorShowLbl caption 000001\n"
      "click UpdateBtn\n");
  const TShellResult result = Call("0");
  EXPECT_EQ(result.Code, 1);
  EXPECT_STREQ(result.Text, "42");
  EXPECT_EQ(Platform().Transcript().back(), "close TCustAcEdtFrm ok");
  EXPECT_TRUE(MessageLines().empty());

  const std::string bank = Marked({"AUADHKHHXXX", "AURORA BANK", "10 KING''S ROAD", "CENTRAL",
                                   "HONG KONG 10000", "HONG KONG SAR CHINA"});
  EXPECT_EQ(Commands(), (std::vector<std::string>{
                            "MN_GetCustomerList '0012','000001'",
                            "MN_GetCurrencyCodeList",
                            "Sh_GetNodeRight '0012','000001',930",
                            "MB_GetSwfAddress 'AUADHKHH'",
                            "MN_UpdateCustAcRec 930,0,'C002','0012','USD','88001234','',0,'A',"
                            "'400123','" +
                                bank + "','000001',1",
                        }));
  // The directory is asked with the dialog's own window, everything else with the shell's.
  for (const fakehost::Call& call : fakehost::Calls()) {
    EXPECT_EQ(call.prefix, "A01") << call.command;
    if (call.command.rfind("MB_", 0) == 0) {
      EXPECT_NE(call.window, kShell);
      EXPECT_NE(call.window, 0u);
    } else {
      EXPECT_EQ(call.window, kShell) << call.command;
    }
  }
}

TEST_F(CustAcDialogTest, LoadedSwiftAccountKeepsItsLimitsUntilATypeIsChosen) {
  Platform().RunScript(
      // Six lines under the opening limit of four: any typed change goes back.
      "type BankNameMmo X\n"
      "expect BankNameMmo count 6\n"
      "expect BankNameMmo item 0 AUADHKHHXXX\n"
      "select SelectIdCmb D\n"
      "expect BankNameMmo count 4\n"
      "click UpdateBtn\n");
  const TShellResult result = CallWith("17", [&](TCustAcEdtFrm& f) {
    EXPECT_EQ(f.CustIdCmb->Text(), "C001");
    EXPECT_FALSE(f.CustIdCmb->Enabled);
    EXPECT_EQ(f.CurrencyCmb->Text(), "USD");
    EXPECT_EQ(f.AcNoEdt->Text(), "88001234567");
    EXPECT_EQ(f.SelectIdCmb->ItemIndex(), 1);
    EXPECT_EQ(f.BankAcNoEdt->Text(), "400123");
    EXPECT_EQ(f.BankNameMmo->Lines(),
              (ui::TStrings{"AUADHKHHXXX", "AURORA BANK", "10 KING'S ROAD", "CENTRAL",
                            "HONG KONG 10000", "HONG KONG SAR CHINA"}));
    EXPECT_EQ(f.BankNameMmo->Maxline(), 4);
    EXPECT_EQ(f.IntBankPnl->Id(), 2);
    EXPECT_EQ(f.IntBankPnl->NameEdt->Text(), "HARBOUR BANKING CORPORATION");
    EXPECT_EQ(f.OperatorShowLbl->Caption, "000002");
    EXPECT_EQ(f.StatusCmb->ItemIndex(), 1);
    EXPECT_FALSE(f.GroupBox1->Enabled);
    EXPECT_TRUE(f.GroupBox2->Enabled);
    EXPECT_TRUE(f.UpdateBtn->Enabled);
  });
  EXPECT_EQ(result.Code, 1);
  const std::vector<std::string> commands = Commands();
  ASSERT_GE(commands.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 6),
            (std::vector<std::string>{"MN_GetCustomerList '0012','000001'",
                                      "MN_GetCurrencyCodeList", "MN_GetPropOfCustAc 17",
                                      "ST_GetBankSimple 2", "MB_GetSwfAddress 'AUADHKHH'",
                                      "Sh_GetNodeRight '0012','000001',930"}));
  EXPECT_EQ(fakehost::Calls()[3].prefix, "A03");
  // Saved by the current operator, with the intermediary bank it was loaded with.
  EXPECT_EQ(Updates(), std::vector<std::string>{
                           "MN_UpdateCustAcRec 930,17,'C001','0012','USD','88001234567','',2,'D',"
                           "'400123','" +
                           Marked({"AUADHKHHXXX", "AURORA BANK", "10 KING''S ROAD", "CENTRAL"}) +
                           "','000001',1"});
}

TEST_F(CustAcDialogTest, SaveChecksStopAtTheFirstGapAndFocusIt) {
  struct Case {
    std::vector<std::string> lines;
    std::string message;
    std::string focus;
  } cases[] = {
      {{}, "请选择客户代码/Please select cust ID", "UpdateBtn"},
      {{"select CustIdCmb C001"}, "请选择币种/Please select currency", "CurrencyCmb"},
      {{"select CustIdCmb C001", "select CurrencyCmb USD"},
       "请输入账号/Please input AcNo",
       "AcNoEdt"},
      {{"select CustIdCmb C001", "select CurrencyCmb CNY", "type AcNoEdt 1"},
       "请输入开户行名称/Please input bank name",
       "CBankEdt"},
      {{"select CustIdCmb C001", "select CurrencyCmb USD", "type AcNoEdt 1"},
       "请选择开户行类型/Please select bank type",
       "SelectIdCmb"},
      {{"select CustIdCmb C001", "select CurrencyCmb USD", "type AcNoEdt 1",
        "select SelectIdCmb D"},
       "请选择或输入开户行名称/Please input bank name",
       "BankNameMmo"},
  };
  for (const Case& c : cases) {
    std::string focus;
    const std::size_t before = MessageLines().size();
    const TShellResult result = CallWith("", [&](TCustAcEdtFrm& f) {
      for (const std::string& line : c.lines) {
        ASSERT_TRUE(Perform(f, line)) << line;
      }
      ASSERT_TRUE(Perform(f, "click UpdateBtn"));
      focus = f.ActiveControl() ? f.ActiveControl()->Name : "";
    });
    const std::vector<std::string> messages = MessageLines();
    EXPECT_EQ(std::vector<std::string>(messages.begin() + before, messages.end()),
              std::vector<std::string>{Box(c.message)});
    EXPECT_EQ(focus, c.focus) << c.message;
    EXPECT_EQ(result.Code, 0);
    EXPECT_STREQ(result.Text, "");
  }
  EXPECT_TRUE(Updates().empty());
}

TEST_F(CustAcDialogTest, RefusedSaveAsksBeforeLeavingAndNoKeepsTheInput) {
  fakehost::On("MN_UpdateCustAcRec 930,0,'C009','0012','CNY','6222','ICBC',0,'','','','000001',1",
               Answer::Ok("0\acustomer C009 does not exist"));
  Platform().RunScript(
      "type CustIdCmb C009\n"
      "select CurrencyCmb CNY\n"
      "type AcNoEdt 6222\n"
      "type CBankEdt ICBC\n"
      "click UpdateBtn\n"
      "answer no\n"
      "expect AcNoEdt text 6222\n"
      "expect CBankEdt text ICBC\n"
      "expect CustIdCmb text C009\n"
      "click CancelBtn\n"
      "answer yes\n");
  const TShellResult result = Call("");
  EXPECT_EQ(MessageLines(), (std::vector<std::string>{Question("no"), Question("yes")}));
  EXPECT_EQ(Updates().size(), 1u);
  EXPECT_EQ(result.Code, 0);
  EXPECT_STREQ(result.Text, "");
  EXPECT_EQ(Platform().Transcript().back(), "close TCustAcEdtFrm cancel");
}

TEST_F(CustAcDialogTest, ExtraFixesTheCustomerOfANewAccount) {
  // A negative key is a new account too, but the add right saves only account 0.
  Serve("01000000");
  CallWith(
      "-5",
      [&](TCustAcEdtFrm& f) {
        EXPECT_EQ(f.CustIdCmb->Text(), "C002");
        EXPECT_FALSE(f.CustIdCmb->Enabled);
        EXPECT_EQ(f.StatusCmb->ItemIndex(), 1);
        EXPECT_EQ(f.OperatorShowLbl->Caption, "000001");
        EXPECT_FALSE(f.UpdateBtn->Enabled);
      },
      "c002");
  EXPECT_EQ(Commands().size(), 3u);  // the lists and the rights: nothing loaded
  Serve("11111000");

  // A customer the list does not hold: nothing selected, and saving stops at once.
  Platform().RunScript(
      "select CurrencyCmb CNY\ntype AcNoEdt 1\ntype CBankEdt B\nclick UpdateBtn\n");
  CallWith(
      "",
      [&](TCustAcEdtFrm& f) {
        EXPECT_EQ(f.CustIdCmb->Text(), "");
        EXPECT_EQ(f.CustIdCmb->ItemIndex(), -1);
        EXPECT_FALSE(f.CustIdCmb->Enabled);
      },
      "C404");
  EXPECT_EQ(MessageLines(), std::vector<std::string>{Box("请选择客户代码/Please select cust ID")});
  EXPECT_TRUE(Updates().empty());
}

TEST_F(CustAcDialogTest, SwitchingToCnyDropsTheForeignBankButKeepsTheIntermediary) {
  Platform().RunScript(
      "select CurrencyCmb CNY\n"
      "expect GroupBox1 enabled true\n"
      "expect GroupBox2 enabled false\n"
      "expect BankAcNoEdt text \"\"\n"
      "expect SelectIdCmb itemindex -1\n"
      "expect BankNameMmo count 0\n"
      "type CBankEdt ICBC\n"
      "select CurrencyCmb HKD\n"
      "expect CBankEdt text \"\"\n"
      "expect GroupBox1 enabled false\n"
      "select CurrencyCmb CNY\n"
      "type CBankEdt 中国银行\n"
      "click UpdateBtn\n");
  EXPECT_EQ(Call("17").Code, 1);
  EXPECT_EQ(Updates(), std::vector<std::string>{
                           "MN_UpdateCustAcRec 930,17,'C001','0012','CNY','88001234567','" +
                           Gbk("中国银行") + "',2,'','','','000001',1"});
}

TEST_F(CustAcDialogTest, MemoLinesFollowTheBankType) {
  fakehost::On("MB_GetSwiftBankBySwfCode 'AUADHKHH'",
               Answer::Ok("AUADHKHHXXX AURORA BANK HONG KONG\r\n"));
  Platform().RunScript(
      "select CurrencyCmb USD\n"
      "select SelectIdCmb D\n"
      "type BankNameMmo \"L1\\rL2\\rL3\\rL4\"\n"
      "expect BankNameMmo count 4\n"
      "select SelectIdCmb B\n"
      "expect BankNameMmo text L1\n"
      // F2 needs type A.
      "key BankNameMmo F2\n"
      // With type A only the code line takes keys: Enter on it, nothing after it.
      "select SelectIdCmb A\n"
      "caret BankNameMmo end\n"
      "type BankNameMmo \"\\rX\"\n"
      "key BankNameMmo Backspace\n"
      "expect BankNameMmo text \"L1\\r\\n\"\n"
      // F2 searches; the chosen bank replaces the memo, expanded.
      "key BankNameMmo F2\n"
      "type BankSwiftEdt AUADHKHH\n"
      "click FindBtn\n"
      "select BankNameLbx 0\n"
      "click YesBtn\n"
      "expect BankNameMmo count 6\n"
      "expect BankNameMmo item 0 AUADHKHHXXX\n"
      "expect BankNameMmo item 1 \"AURORA BANK\"\n");
  Call("");
  EXPECT_EQ(MessageLines(), std::vector<std::string>{Box("To use swift code,Must select A")});
}

// The memo opens without a width limit: a type chosen later cuts its lines, not the
// width of the line it keeps.
TEST_F(CustAcDialogTest, TypeChosenAfterTypingKeepsTheFirstLineWhateverItsWidth) {
  const std::string wide(40, 'W');
  Platform().RunScript(
      "select CurrencyCmb USD\n"
      "type BankNameMmo \"" +
      wide +
      "\\rL2\\rL3\"\n"
      "select SelectIdCmb B\n"
      "expect BankNameMmo text " +
      wide + "\n");
  Call("");
}

TEST_F(CustAcDialogTest, UnknownSwiftCodeKeepsTheOperatorInTheMemo) {
  std::string focus;
  const TShellResult result = CallWith("", [&](TCustAcEdtFrm& f) {
    for (const char* line :
         {"select CustIdCmb C001", "select CurrencyCmb USD", "type AcNoEdt 1",
          "select SelectIdCmb A", "type BankNameMmo ZZZZZZZZ", "click UpdateBtn"}) {
      ASSERT_TRUE(Perform(f, line)) << line;
    }
    focus = f.ActiveControl() ? f.ActiveControl()->Name : "";
    EXPECT_EQ(f.BankNameMmo->Text(), "ZZZZZZZZ");
  });
  EXPECT_EQ(focus, "BankNameMmo");
  EXPECT_EQ(MessageLines(), std::vector<std::string>{Box("Invalid Swift Bank Code")});
  EXPECT_TRUE(Updates().empty());  // the save button never got the click
  EXPECT_EQ(fakehost::Calls().back().command, "MB_GetSwfAddress 'ZZZZZZZZ'");
  EXPECT_EQ(result.Code, 0);
}

TEST_F(CustAcDialogTest, BlankBankTypeSurvivesAReload) {
  fakehost::On("MN_GetPropOfCustAc 18",
               Answer::Ok("18\aC003\a0012\aHKD\a555\a\a\a0\a \a\aHANG SENG\a000001\a1"));
  Platform().RunScript("expect SelectIdCmb itemindex 0\nclick UpdateBtn\n");
  EXPECT_EQ(Call("18").Code, 1);
  EXPECT_EQ(Updates(), std::vector<std::string>{"MN_UpdateCustAcRec 930,18,'C003','0012','HKD',"
                                                "'555','',0,' ','','HANG SENG','000001',1"});
}

}  // namespace
