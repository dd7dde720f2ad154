// The CNY payee dialog called as the shell calls it: commands, boxes in order, result.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/ManageEdit.h"
#include "payee/CustCNYAcEditFrm.h"
#include "tests/support/DialogTest.h"

namespace {

using fakehost::Answer;
using namespace tavro_test;

constexpr HWND_T kShell = 0x55;
constexpr HWND_T kBefore = 0x99;
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',203";
constexpr char kExists[] = "MN_CustCNYAcExists 'P001','0012'";

std::string Leave(const char* answer) {
  return std::string("message yesno warning \"Warning\" ") +
         "\"The changes are not saved. Leave anyway?\" -> " + answer;
}

class CustCnyTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
    Serve(Answer::Ok("11110000"));
  }

  // A fresh host that knows the operator's rights and payee P001.
  static void Serve(const Answer& rights) {
    fakehost::Reset();
    fakehost::On(kRights, rights);
    fakehost::On("MN_GetPropOfCustCNYAc '0012','P001'",
                 Answer::Ok("P001\a0012\aMingda\a1202\aICBC\a000002\a1\aregular\a"
                            "pay@x.cn\x0E"
                            "bill@x.cn\a138"));
  }
  // Calls the entry point with key and the operator script; the record starts dirty.
  TShellResult Call(const char* key, const std::string& script) {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_CustCNYAcEdit(&result, kShell, "0012", "000001", 203, key, "unused");
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell) << call.command;
    }
    return result;
  }
  // A dialog loaded as the entry point would load it.
  static frame::EntryArgs Call() { return tavro_test::CallFor(kShell, "0012", "000001", 203); }
  static void Prepare(payee::TCustCNYAcEditFrm& form, const char* key) {
    *key != '\0' ? form.LoadRecord(key) : form.PrepareNewRecord();
    form.ApplyRights();
  }
};

// The name and the e-mail run past their record lengths in the middle of a character
// and are cut before it; the server's answer goes back to the shell.
TEST_F(CustCnyTest, ANewPayeeIsSavedAsTypedAndTheServersAnswerIsHandedBack) {
  const std::string name(79, 'n');
  const std::string mail = "a@x.cn\x0E" + std::string("b@x.cn") + std::string(86, 'c');
  const std::string update = "MN_UpdateCustCNYAcRec 203,'P009','0012','" + name +
                             "','6222','ICBC','000001',1,'O''Neil','" + mail + "','139'";
  fakehost::On("MN_CustCNYAcExists 'P009','0012'", Answer::Ok("0"));
  fakehost::On(update, Answer::Ok("1\aP009"));
  const std::string typedMail = "a@x.cn\\rb@x.cn" + std::string(86, 'c') + "汉";
  const TShellResult r = Call("",
                              "expect OperatorShowLbl caption 000001\n"
                              "expect StatusCmb text Active\ntype CustIdEdt P009\n"
                              "expect DeleteBtn enabled false\nset CustNameEdt " +
                                  name +
                                  "汉\ntype CustAcNoEdt 6222\ntype CustBankNameEdt ICBC\n"
                                  "type RefEdt \"O'Neil\"\ntype EMailMmo \"" +
                                  typedMail + "\"\ntype SmsEdt 139\nclick UpdateBtn\n");
  EXPECT_EQ(Commands(), (Lines{kRights, "MN_CustCNYAcExists 'P009','0012'", update}));
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(LastLine(), "close TCustCNYAcEditFrm ok");
  EXPECT_EQ(Outcome(r), "1 P009");
}

// The overwrite question comes before the field checks; No keeps the input.
TEST_F(CustCnyTest, SavingAnExistingPayeeAsksFirstAndKeepsTheInputOnNo) {
  fakehost::On(kExists, Answer::Ok("1"));
  fakehost::OnPrefix("MN_UpdateCustCNYAcRec", Answer::Ok("1\aP001"));
  const TShellResult r =
      Call("P001",
           "expect CustIdEdt readonly true\nexpect OperatorShowLbl caption 000002\n"
           "set CustNameEdt \"\"\nclick UpdateBtn\nanswer no\n"
           "click UpdateBtn\nanswer yes\nexpect RefEdt text regular\n"
           "set CustNameEdt Renamed\nclick UpdateBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(),
            (Lines{LangQuestion(kOverwriteQuestion, "no"), LangQuestion(kOverwriteQuestion, "yes"),
                   Box("请输入收款人名称（户名）"), LangQuestion(kOverwriteQuestion, "yes")}));
  // The current operator saves; the e-mail lines travel encoded.
  EXPECT_EQ(Commands().back(),
            "MN_UpdateCustCNYAcRec 203,'P001','0012','Renamed','1202','ICBC','000001',1,"
            "'regular','pay@x.cn\x0E"
            "bill@x.cn','138'");
  EXPECT_EQ(Outcome(r), "1 P001");
}

TEST_F(CustCnyTest, EmptyFieldsStopTheSaveInOrderWithTheFocusOnTheField) {
  const struct {
    const char* typed;
    const char* message;
    const char* field;
  } cases[] = {
      {"", "请输入收款人代码", "CustIdEdt"},
      {"type CustIdEdt P9\n", "请输入收款人名称（户名）", "CustNameEdt"},
      {"type CustIdEdt P9\ntype CustNameEdt N\n", "请输入收款人账号", "CustAcNoEdt"},
      {"type CustIdEdt P9\ntype CustNameEdt N\ntype CustAcNoEdt 1\n", "请输入收款人银行",
       "CustBankNameEdt"},
  };
  for (const auto& c : cases) {
    Serve(Answer::Ok("11110000"));
    payee::TCustCNYAcEditFrm form(Call());
    Prepare(form, "");
    Platform().RunScript(std::string(c.typed) + "click UpdateBtn\n");
    form.ShowModal();
    EXPECT_EQ(MessageLines().back(), Box(c.message));
    EXPECT_EQ(form.ActiveControl()->Name, c.field);
    // The existence question comes first, with the id as typed, even an empty one.
    const std::string id = *c.typed != '\0' ? "P9" : "";
    EXPECT_EQ(Commands().back(), "MN_CustCNYAcExists '" + id + "','0012'");
  }
}

// Saving needs the modify right, for a new payee too; deleting the delete right and an id.
TEST_F(CustCnyTest, SaveNeedsTheModifyRightAndDeleteTheDeleteRightAndAnId) {
  const struct {
    const char* key;
    Answer rights;
    bool update, del;
  } cases[] = {
      {"P001", Answer::Ok("0110"), true, false},       {"P001", Answer::Ok("0101"), false, true},
      {"", Answer::Ok("11111111"), true, false},       {"", Answer::Ok("0100"), false, false},
      {"P001", Answer::Fail(5, "down"), false, false},
  };
  for (const auto& c : cases) {
    Serve(c.rights);
    payee::TCustCNYAcEditFrm form(Call());
    Prepare(form, c.key);
    EXPECT_EQ(form.UpdateBtn->Enabled(), c.update) << c.key << c.rights.text;
    EXPECT_EQ(form.DeleteBtn->Enabled(), c.del) << c.key << c.rights.text;
  }
  EXPECT_EQ(MessageLines().back(), Box("Error:down"));
}

// Delete and the change of id are the keyed record dialogs' own, tabled for the customer
// dialog; here they send the payee's commands and hand back its id.
TEST_F(CustCnyTest, DeleteAndChangeOfIdSendThePayeesCommands) {
  fakehost::On(kExists, Answer::Ok("1"));
  fakehost::On("MN_CustCNYAcDelete 'P001','0012'", Answer::Ok("1\aP001"));
  TShellResult r = Call("P001", "click DeleteBtn\nanswer yes\nanswer yes\n");
  EXPECT_EQ(MessageLines().back(), LangBox("The record has been deleted."));
  EXPECT_EQ(Commands().back(), "MN_CustCNYAcDelete 'P001','0012'");
  EXPECT_EQ(Outcome(r), "3 P001:0012");

  const std::string longId(24, 'L');
  const std::string renameCmd = "MN_CustCNYAcUpdate 'P001','" + longId + "','0012'";
  fakehost::On("MN_CustCNYAcExists '" + longId + "','0012'", Answer::Ok("0"));
  fakehost::On(renameCmd, Answer::Ok("1\aL"));
  r = Call("P001", "click ChangeCustBtn\ninput " + longId + "XYZ\nanswer yes\n");
  EXPECT_EQ(MessageLines().back(), LangBox("The payee id has been changed."));
  EXPECT_EQ(Commands().back(), renameCmd);
  EXPECT_EQ(Outcome(r), "1 P001:0012");
  // A new payee has no id to change: nothing is sent.
  EXPECT_EQ(Outcome(Call("", "click ChangeCustBtn\n")), "0 ");
  EXPECT_EQ(Commands().back(), kRights);
}

// Only an address without "@" holds the focus; Enter and the arrows walk the fields
// and never save.
TEST_F(CustCnyTest, AnEMailWithoutAtKeepsTheFocusAndEnterWalksTheFieldsWithoutSaving) {
  payee::TCustCNYAcEditFrm form(Call());
  Prepare(form, "");
  tavro_test::WhileShown(Platform(), form, [&] {
    for (const char* text : {"   ", "x@y", "abc"}) {
      form.EMailMmo->SetText(text);
      ui::FocusByOperator(*form.EMailMmo);
      ui::FocusByOperator(*form.RefEdt);
    }
    EXPECT_EQ(form.ActiveControl(), form.EMailMmo);
    form.EMailMmo->SetText("");
    const struct {
      ui::TWinControl* from;
      std::uint16_t key;
      ui::TWinControl* to;
    } moves[] = {{form.CustIdEdt, ui::vk::Return, form.CustNameEdt},
                 {form.CustAcNoEdt, ui::vk::Up, form.CustNameEdt},
                 {form.RefEdt, ui::vk::Down, form.EMailMmo},
                 {form.SmsEdt, ui::vk::Return, form.UpdateBtn}};
    for (const auto& m : moves) {
      ui::PressKey(*m.from, m.key);
      EXPECT_EQ(form.ActiveControl(), m.to) << m.from->Name;
    }
  });
  EXPECT_EQ(MessageLines(), Lines{LangBox("The e-mail address is not valid.")});
  EXPECT_EQ(Commands(), Lines{kRights});
}

// A save the server refused, Cancel and the close box ask before leaving.
TEST_F(CustCnyTest, LeavingAsksTheWarningQuestionAlsoAfterARefusedSave) {
  fakehost::On(kExists, Answer::Ok("1"));
  fakehost::OnPrefix("MN_UpdateCustCNYAcRec", Answer::Ok("-1\ano right to change"));
  const TShellResult r = Call("P001",
                              "click UpdateBtn\nanswer yes\nanswer no\nclick CancelBtn\n"
                              "answer no\nclose\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{LangQuestion(kOverwriteQuestion, "yes"), Leave("no"),
                                   Leave("no"), Leave("yes")}));
  EXPECT_EQ(LastLine(), "close TCustCNYAcEditFrm cancel");
  EXPECT_EQ(Outcome(r), "0 ");
}

// The exit question's caption speaks the module's language, as its text does.
TEST_F(CustCnyTest, TheExitQuestionsCaptionSpeaksTheModulesLanguage) {
  SetLanguage("CN");
  Call("", "click CancelBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(),
            Lines{"message yesno warning \"警告\" \"数据尚未保存，确实要退出吗？\" -> yes"});
}

// The dialog variable and the owner window live for the call only; the key is loaded
// untrimmed, a blank one opens a new payee; the texts come from the language file.
TEST_F(CustCnyTest, TheCallKeepsNoCacheGivesTheOwnerBackAndLoadsTheUntrimmedKey) {
  Platform().SetOperator([](ui::TForm& form) {
    EXPECT_EQ(payee::CustCNYAcEditFrm, &form);
    EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), kShell);
    EXPECT_EQ(form.Caption(), "CNY Payee");
    EXPECT_EQ(ui::FindAs<ui::TComboBox>(form, "StatusCmb")->Items(), (Lines{"Deleted", "Active"}));
    EXPECT_EQ(form.Font().Name, Gbk("宋体"));
  });
  Call(" P001 ", "");
  Call("   ", "");
  EXPECT_EQ(Commands(), (Lines{"MN_GetPropOfCustCNYAc '0012',' P001 '", kRights, kRights}));
  EXPECT_EQ(payee::CustCNYAcEditFrm, nullptr);
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  EXPECT_EQ(FilesInTempDir(), Lines{"Tavro2007.ini"});
}

}  // namespace
