// The CNY payee dialog called as the shell calls it: the commands it sends, the boxes
// the operator sees in order, and the result record handed back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "frame/ManageEdit.h"
#include "payee/CustCNYAcEditFrm.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"
#include "ui/Input.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;
using Lines = std::vector<std::string>;

constexpr HWND_T kShell = 0x55;
constexpr HWND_T kBefore = 0x99;
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',203";
constexpr char kProp[] = "MN_GetPropOfCustCNYAc '0012','P001'";
constexpr char kExists[] = "MN_CustCNYAcExists 'P001','0012'";

// The boxes as the transcript shows them.
std::string Ask(const std::string& text, const char* answer) {
  return "message yesno none \"\" \"" + text + "\" -> " + answer;
}
std::string Info(const std::string& text) {
  return "message ok none \"\" \"" + text + "\" -> ok";
}
std::string Fixed(const std::string& text) {
  return "message ok none \"ManageEdit\" \"" + text + "\" -> ok";
}
std::string Leave(const char* answer) {
  return std::string("message yesno warning \"Warning\" ") +
         "\"The changes are not saved. Leave anyway?\" -> " + answer;
}
std::string Script(const Lines& lines) {
  std::string script;
  for (const std::string& line : lines) {
    script += line + "\n";
  }
  return script;
}
const std::string kOverwrite = "The record exists already. Overwrite it?";
const std::string kDelete = "Delete this record?";

class CustCnyTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    oldCwd_ = sys::CurrentFolder();
    ASSERT_EQ(::chdir(TempDir().c_str()), 0);
    tavro_test::WriteFile(TempDir() + "Tavro2007.ini", "[Settings]\r\nLangId=EN\r\n");
    Platform().SetOwnerWindow(kBefore);
    Serve(Answer::Ok("11110000"));
  }
  void TearDown() override {
    EXPECT_EQ(::chdir(oldCwd_.c_str()), 0);
    ModuleTest::TearDown();
  }

  // A fresh host that knows the operator's rights and payee P001.
  static void Serve(const Answer& rights) {
    fakehost::Reset();
    fakehost::On(kRights, rights);
    fakehost::On(kProp, Answer::Ok("P001\a0012\aMingda\a1202\aICBC\a000002\a1\aregular\a"
                                   "pay@x.cn\x0E"
                                   "bill@x.cn\a138"));
  }
  // Calls the entry point with key and the operator script; the record starts dirty.
  TShellResult Call(const char* key, const std::string& script) {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_CustCNYAcEdit(&result, kShell, "0012", "000001", 203, key, "unused");
    return result;
  }
  static Lines Commands() {
    Lines sent;
    for (const auto& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell);
      sent.push_back(call.command);
    }
    return sent;
  }
  // A dialog for the calls that inspect it, with the ids of an entry-point call.
  static void Prepare(payee::TCustCNYAcEditFrm& form, const char* key) {
    form.ShellWnd = kShell;
    form.CorpNo = "0012";
    form.UserNo = "000001";
    form.FunctionId = 203;
    *key != '\0' ? form.LoadPayee(key) : form.PrepareNewPayee();
    form.ApplyRights();
  }
  std::string LastLine() { return Platform().Transcript().back(); }
  Lines MessagesSince(std::size_t before) const {
    const Lines all = MessageLines();
    return Lines(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
  }

 private:
  std::string oldCwd_;
};

TEST_F(CustCnyTest, ANewPayeeIsSavedAsTypedAndTheServersAnswerIsHandedBack) {
  const std::string update = "MN_UpdateCustCNYAcRec 203,'P009','0012','" + std::string(79, 'n') +
                             "','6222','ICBC','000001',1,'" + "O''Neil','a@x.cn\x0E" + "b@x.cn" +
                             std::string(86, 'c') + "','139'";
  fakehost::On("MN_CustCNYAcExists 'P009','0012'", Answer::Ok("0"));
  fakehost::On(update, Answer::Ok("1\aP009"));
  // The name and the e-mail run past their record lengths in the middle of a character.
  const std::string longName = std::string(79, 'n') + "汉";
  const std::string longMail = "a@x.cn\\rb@x.cn" + std::string(86, 'c') + "汉";
  const TShellResult r = Call(
      "", Script({"expect OperatorShowLbl caption 000001", "expect StatusCmb text Active",
                  "type CustIdEdt P009", "expect DeleteBtn enabled false",
                  "set CustNameEdt \"" + longName + "\"", "type CustAcNoEdt 6222",
                  "type CustBankNameEdt ICBC", "type RefEdt \"O'Neil\"",
                  "type EMailMmo \"" + longMail + "\"", "type SmsEdt 139", "click UpdateBtn"}));
  // Both are cut before the character that does not fit.
  EXPECT_EQ(Commands(), (Lines{kRights, "MN_CustCNYAcExists 'P009','0012'", update}));
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(LastLine(), "close TCustCNYAcEditFrm ok");
  EXPECT_EQ(r.Code, 1);
  EXPECT_STREQ(r.Text, "P009");
}

TEST_F(CustCnyTest, SavingAnExistingPayeeAsksFirstAndKeepsTheInputOnNo) {
  fakehost::On(kExists, Answer::Ok("1"));
  fakehost::OnPrefix("MN_UpdateCustCNYAcRec", Answer::Ok("1\aP001"));
  const TShellResult r = Call("P001",
                              "expect CustIdEdt readonly true\n"
                              "expect OperatorShowLbl caption 000002\n"
                              "expect EMailMmo item 1 bill@x.cn\n"
                              "set CustNameEdt \"\"\n"
                              "click UpdateBtn\nanswer no\n"
                              "click UpdateBtn\nanswer yes\n"
                              "expect RefEdt text regular\n"
                              "set CustNameEdt Renamed\n"
                              "click UpdateBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{Ask(kOverwrite, "no"), Ask(kOverwrite, "yes"),
                                   Fixed("请输入收款人名称（户名）"), Ask(kOverwrite, "yes")}));
  // The current operator saves; the e-mail lines travel encoded.
  EXPECT_EQ(fakehost::LastCall().command,
            "MN_UpdateCustCNYAcRec 203,'P001','0012','Renamed','1202','ICBC','000001',1,"
            "'regular','pay@x.cn\x0E"
            "bill@x.cn','138'");
  EXPECT_EQ(r.Code, 1);
  EXPECT_STREQ(r.Text, "P001");
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
    payee::TCustCNYAcEditFrm form;
    Prepare(form, "");
    Platform().RunScript(std::string(c.typed) + "click UpdateBtn\n");
    form.ShowModal();
    EXPECT_EQ(MessageLines().back(), Fixed(c.message));
    EXPECT_EQ(form.ActiveControl()->Name, c.field);
    // The existence question comes first, with the id as typed, even an empty one.
    EXPECT_EQ(Commands().back().rfind("MN_CustCNYAcExists '", 0), 0u) << c.field;
  }
  EXPECT_EQ(fakehost::Calls()[1].command, "MN_CustCNYAcExists 'P9','0012'");
}

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
    payee::TCustCNYAcEditFrm form;
    Prepare(form, c.key);
    EXPECT_EQ(form.UpdateBtn->Enabled, c.update) << c.key << c.rights.text;
    EXPECT_EQ(form.DeleteBtn->Enabled, c.del) << c.key << c.rights.text;
    EXPECT_EQ(form.CustIdEdt->Color == payee::kReadOnlyColor, *c.key != '\0');
  }
  EXPECT_EQ(MessageLines().back(), R"(message ok none "ManageEdit" "Error:down" -> ok)");
}

TEST_F(CustCnyTest, DeleteConfirmsByTheCountAndHandsBackCode3) {
  const std::string deleteCmd = "MN_CustCNYAcDelete 'P001','0012'";
  const std::string hasAccounts = "The payee has accounts. Delete them as well?";
  const struct {
    const char* count;
    const char* deleted;
    const char* answers;
    Lines boxes;
    bool sent;
    std::int32_t code;
    const char* closed;  // ok, or cancel when the script ends with it open
  } cases[] = {
      {"1",
       "1\aP001",
       "yes\nanswer yes",
       {Ask(kDelete, "yes"), Ask(kDelete, "yes"), Info("The record has been deleted.")},
       true,
       3,
       "ok"},
      {"2",
       "1\aP001",
       "yes\nanswer yes",
       {Ask(kDelete, "yes"), Ask(hasAccounts, "yes"), Info("The record has been deleted.")},
       true,
       3,
       "ok"},
      {"2",
       "",
       "yes\nanswer no",
       {Ask(kDelete, "yes"), Ask(hasAccounts, "no")},
       false,
       0,
       "cancel"},
      {"3",
       "",
       "yes",
       {Ask(kDelete, "yes"), Info("The payee records are inconsistent; the "
                                  "payee cannot be deleted or renamed.")},
       false,
       0,
       "cancel"},
      {"0", "", "yes", {Ask(kDelete, "yes"), Info("The record does not exist.")}, false, 0, "ok"},
      {"1",
       "0\abusy",
       "yes\nanswer yes",
       {Ask(kDelete, "yes"), Ask(kDelete, "yes"), Info("The payee could not be deleted.")},
       true,
       0,
       "ok"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count + std::string(" ") + c.answers);
    fakehost::On(kExists, Answer::Ok(c.count));
    fakehost::On(deleteCmd, Answer::Ok(c.deleted));
    const std::size_t before = MessageLines().size();
    const TShellResult r = Call("P001", std::string("click DeleteBtn\nanswer ") + c.answers);
    EXPECT_EQ(MessagesSince(before), c.boxes);
    EXPECT_EQ(fakehost::LastCall().command == deleteCmd, c.sent);
    EXPECT_EQ(r.Code, c.code);
    EXPECT_STREQ(r.Text, c.code == 3 ? "P001:0012" : "");
    EXPECT_EQ(LastLine(), std::string("close TCustCNYAcEditFrm ") + c.closed);
    Serve(Answer::Ok("11110000"));
  }
}

TEST_F(CustCnyTest, ChangeOfIdAsksForAFreeIdAndHandsBackCode1WithTheOldId) {
  const std::string longId(24, 'L');
  const std::string renameCmd = "MN_CustCNYAcUpdate 'P001','" + longId + "','0012'";
  const std::string input = R"(input "Change Payee Id" "New payee id:" "" -> )";
  const std::string inconsistent =
      "The payee records are inconsistent; the payee cannot be deleted or renamed.";
  const struct {
    const char* count;
    const char* taken;
    const char* renamed;
    const char* answers;
    Lines boxes;
    std::int32_t code;
  } cases[] = {
      {"1",
       "0",
       "1\aL",
       "answer yes\n",
       {Ask(kOverwrite, "yes"), Info("The payee id has been changed.")},
       1},
      {"2",
       "0",
       "1\aL",
       "answer yes\n",
       {Ask("The payee has accounts. Change their payee id "
            "as well?",
            "yes"),
        Info("The payee id has been changed.")},
       1},
      {"1",
       "0",
       "0\ax",
       "answer yes\n",
       {Ask(kOverwrite, "yes"), Info("The payee id could not be changed.")},
       0},
      {"1", "1", "", "", {Info("The new payee id is already in use.")}, 0},
      {"3", "0", "", "", {Info(inconsistent)}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count + std::string(c.taken) + c.renamed);
    fakehost::On(kExists, Answer::Ok(c.count));
    fakehost::On("MN_CustCNYAcExists '" + longId + "','0012'", Answer::Ok(c.taken));
    fakehost::On(renameCmd, Answer::Ok(c.renamed));
    const std::size_t before = MessageLines().size();
    // The new id is cut to the id's 24 bytes.
    const TShellResult r =
        Call("P001", "click ChangeCustBtn\ninput " + longId + "XYZ\n" + c.answers);
    EXPECT_EQ(MessagesSince(before), c.boxes);
    EXPECT_EQ(fakehost::LastCall().command == renameCmd, *c.renamed != '\0');
    EXPECT_EQ(r.Code, c.code);
    EXPECT_STREQ(r.Text, c.code == 1 ? "P001:0012" : "");
    Serve(Answer::Ok("11110000"));
  }
  EXPECT_NE(std::find(Platform().Transcript().begin(), Platform().Transcript().end(),
                      input + "\"" + longId + "XYZ\""),
            Platform().Transcript().end());

  // No such payee: closes at once; a cancelled input box or no id: nothing happens.
  fakehost::On(kExists, Answer::Ok("0"));
  TShellResult r = Call("P001", "click ChangeCustBtn\n");
  EXPECT_EQ(MessageLines().back(), Info("The record does not exist."));
  EXPECT_EQ(LastLine(), "close TCustCNYAcEditFrm ok");
  Serve(Answer::Ok("11110000"));
  fakehost::On(kExists, Answer::Ok("1"));
  r = Call("P001", "click ChangeCustBtn\ninput cancel\n");
  EXPECT_EQ(fakehost::LastCall().command, kExists);
  r = Call("", "click ChangeCustBtn\n");
  EXPECT_EQ(fakehost::LastCall().command, kRights);
  EXPECT_EQ(r.Code, 0);
}

TEST_F(CustCnyTest, AnEMailWithoutAtKeepsTheFocusAndEnterWalksTheFieldsWithoutSaving) {
  payee::TCustCNYAcEditFrm form;
  Prepare(form, "");
  Platform().SetOperator([&](ui::TForm&) {
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
                 {form.CustNameEdt, ui::vk::Return, form.CustAcNoEdt},
                 {form.CustAcNoEdt, ui::vk::Up, form.CustNameEdt},
                 {form.RefEdt, ui::vk::Down, form.EMailMmo},
                 {form.SmsEdt, ui::vk::Return, form.UpdateBtn}};
    for (const auto& m : moves) {
      ui::PressKey(*m.from, m.key);
      EXPECT_EQ(form.ActiveControl(), m.to) << m.from->Name;
    }
  });
  form.ShowModal();
  EXPECT_EQ(MessageLines(), Lines{Info("The e-mail address is not valid.")});
  EXPECT_EQ(Commands(), Lines{kRights});
}

TEST_F(CustCnyTest, LeavingAsksTheWarningQuestionAndARefusedSaveLeavesNoResult) {
  TShellResult r = Call("", "click CancelBtn\nanswer no\nclose\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{Leave("no"), Leave("yes")}));
  EXPECT_EQ(LastLine(), "close TCustCNYAcEditFrm cancel");
  EXPECT_EQ(r.Code, 0);
  EXPECT_STREQ(r.Text, "");

  // Refused by the server: only the exit question; a later failed delete closes with OK
  // and must not hand on the refusal.
  fakehost::On(kExists, Answer::Ok("1"));
  fakehost::OnPrefix("MN_UpdateCustCNYAcRec", Answer::Ok("-1\ano right to change"));
  fakehost::On("MN_CustCNYAcDelete 'P001','0012'", Answer::Ok("0\abusy"));
  const std::size_t before = MessageLines().size();
  r = Call("P001",
           "click UpdateBtn\nanswer yes\nanswer no\n"
           "click DeleteBtn\nanswer yes\nanswer yes\n");
  EXPECT_EQ(MessagesSince(before),
            (Lines{Ask(kOverwrite, "yes"), Leave("no"), Ask(kDelete, "yes"), Ask(kDelete, "yes"),
                   Info("The payee could not be deleted.")}));
  EXPECT_EQ(LastLine(), "close TCustCNYAcEditFrm ok");
  EXPECT_EQ(r.Code, 0);
  EXPECT_STREQ(r.Text, "");
}

TEST_F(CustCnyTest, TheCallKeepsNoCacheGivesTheOwnerBackAndLoadsTheUntrimmedKey) {
  Platform().SetOperator([](ui::TForm& form) {
    EXPECT_EQ(payee::CustCNYAcEditFrm, &form);
    EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), kShell);
    // Localised from the language file's English section, with its font.
    EXPECT_EQ(form.Caption, "CNY Payee");
    EXPECT_EQ(ui::FindAs<ui::TLabel>(form, "CustIdLbl")->Caption, "Payee Id");
    EXPECT_EQ(ui::FindAs<ui::TComboBox>(form, "StatusCmb")->Items, (Lines{"Deleted", "Active"}));
    EXPECT_EQ(form.Font().Name, Gbk("宋体"));
  });
  Call(" P001 ", "");
  Call("   ", "");
  EXPECT_EQ(Commands(), (Lines{"MN_GetPropOfCustCNYAc '0012',' P001 '", kRights, kRights}));
  EXPECT_EQ(payee::CustCNYAcEditFrm, nullptr);
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  EXPECT_TRUE(FilesInTempDir() == Lines{"Tavro2007.ini"});
}

}  // namespace
