// The customer dialogs called as the shell calls them: the customer record, the account
// list with the account dialogs its commands open in the test module, the processing
// status and the account order.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "customer/AcOrderEditFrm.h"
#include "customer/CustAcListFrm.h"
#include "customer/CustomerEdtFrm.h"
#include "customer/StatusFolderFrm.h"
#include "frame/ManageEdit.h"
#include "tests/support/DialogTest.h"

namespace {

namespace fs = std::filesystem;
using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;
using tavro_test::WhileShown;

constexpr HWND_T kShell = 0x66;
constexpr HWND_T kBefore = 0x99;
using Entry = void(TAVRO_STDCALL*)(TShellResult*, HWND_T, const char*, const char*, std::int32_t,
                                   const char*, const char*);

class ListDialogTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
  }
  // Calls entry under the operator script; the record starts dirty and comes back all
  // zero whatever the way out, and the owner window is given back.
  void CallEntry(Entry entry, const std::string& script, std::int32_t function, const char* key,
                 const char* corp = "0012", const char* user = "000001") {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    entry(&result, kShell, corp, user, function, key, "unused");
    const TShellResult zero{};
    EXPECT_EQ(std::memcmp(&result, &zero, sizeof result), 0) << tavro_test::Outcome(result);
    EXPECT_FALSE(Platform().Failed()) << ::testing::PrintToString(Platform().Transcript());
    EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  }
};

// --- The account list.
constexpr char kFolder[] = "MN_GetCustAcFolder 'EN','0012','000001','C001'";
// A saved account (930), one left unsaved (931, short row) and a row naming no function.
const std::string kRows =
    "930:Customer bank account\a1\aC001\aCNY\a6222\aICBC\aActive\r\n"
    "931:Other kind\a2\aC009\r\n"
    "Payroll:x\a3\r\n";

class CustAcListTest : public ListDialogTest {
 protected:
  void SetUp() override {
    ListDialogTest::SetUp();
    log_ = TempDir() + "testmodule.log";
    logEnv_ = std::make_unique<tavro_test::ScopedEnv>("TAVRO_TESTMODULE_LOG", log_.c_str());
    Serve();
  }
  static void Serve(const char* serves930 = "TestModule.dll\aTm_EditRecord\aID\a") {
    fakehost::Reset();
    fakehost::OnPrefix("MN_GetCustAcFolder", Answer::Ok(kRows));
    fakehost::On("Sh_GetFunctionName  930,0", Answer::Ok(serves930));
    fakehost::On("Sh_GetFunctionName  931,0", Answer::Ok("TestModule.dll\aTm_Cancel\aID\a"));
  }
  void Call(const std::string& script, const char* key = "C001") {
    CallEntry(Mn_CustAcNoList, script, 202, key);
  }
  // What the test module's entries received: key, function id, extra per call.
  std::string ModuleLog() const { return fs::exists(log_) ? tavro_test::ReadFile(log_) : ""; }

  std::string log_;

 private:
  std::unique_ptr<tavro_test::ScopedEnv> logEnv_;
};

// The customer id is cut to 24 bytes; without a row only New opens 930 for the customer.
TEST_F(CustAcListTest, OpensTheCustomersFolderAndWithoutARowOnlyNewOpensTheDefault) {
  Call(
      "expect FolderLsv columns 7\n"
      "expect FolderLsv item 0 \"930:Customer bank "
      "account\\t1\\tC001\\tCNY\\t6222\\tICBC\\tActive\"\n"
      "expect FolderLsv itemindex -1\nexpect NewMit caption \"New Account\"\n"
      "dblclick FolderLsv\nclick EditMit\nclick NewMit\n",
      std::string(30, 'c').c_str());
  EXPECT_EQ(Platform().Transcript().front(), "open TCustAcListFrm \"Payee Accounts\"");
  const std::string custId(24, 'c');
  EXPECT_EQ(ModuleLog(), "\n930\n" + custId + "\n");
  const std::string folder = "MN_GetCustAcFolder 'EN','0012','000001','" + custId + "'";
  EXPECT_EQ(Commands(), (Lines{folder, "Sh_GetFunctionName  930,0", folder}));
}

// What the account dialog receives; only a save (code 1) reloads the list.
TEST_F(CustAcListTest, CommandsOnARowOpenTheRowsFunctionAndReloadOnlyAfterASave) {
  const std::tuple<int, const char*, const char*, bool> cases[] = {
      {0, "dblclick FolderLsv", "1\n930\n\n", true},
      {0, "click EditMit", "1\n930\n\n", true},
      {0, "click NewMit", "\n930\nC001\n", true},
      {1, "dblclick FolderLsv", "2\n931\n\n", false},
      {1, "click NewMit", "\n931\nC009\n", false},  // the row's customer, not the list's
      {2, "click NewMit", "", false},               // function 0 names no module
  };
  for (const auto& c : cases) {
    const std::string row = std::to_string(std::get<0>(c));
    SCOPED_TRACE(std::get<1>(c) + (" on row " + row));
    fs::remove(log_);
    Serve();
    Call("select FolderLsv " + row + "\n" + std::get<1>(c) +
         "\nexpect FolderLsv count 3\nexpect FolderLsv itemindex " + (std::get<3>(c) ? "-1" : row) +
         "\n");
    EXPECT_EQ(ModuleLog(), std::get<2>(c));
    EXPECT_EQ(Commands("MN_GetCustAcFolder"), Lines(std::get<3>(c) ? 2 : 1, kFolder));
  }
}

// The loader's error is shown, the list stays open, the second try comes from the cache.
TEST_F(CustAcListTest, AMissingModuleIsShownAndTheListStaysOpen) {
  Serve("NoSuchModule.dll\aMn_Edit");
  Call("click NewMit\nclick NewMit\nexpect FolderLsv count 3\n");
  EXPECT_EQ(
      MessageLines(),
      Lines(2, "message ok error \"ManageEdit\" \"LoadLibrary NoSuchModule.dll Fail\" -> ok"));
  EXPECT_EQ(Commands(), (Lines{kFolder, "Sh_GetFunctionName  930,0"}));
}

// --- The processing status: the business number is cut to 15 bytes, the user id quoted.
constexpr char kArgs[] = " 407,'0012','00''001','B20261201003456'";
const std::string kAuthorise = std::string("MN_GetAuthoriseFolder") + kArgs;
const std::string kSign = std::string("MN_GetSignFolder") + kArgs;
const std::string kAudit = std::string("MN_GetAuditFolder") + kArgs;

class StatusFolderTest : public ListDialogTest {
 protected:
  void SetUp() override {
    ListDialogTest::SetUp();
    fakehost::On(kAuthorise, Answer::Fail(3, "busy"));
    fakehost::On(kSign, Answer::Ok("B1\a000003\a2026-12-01 10:31\aSigned\r\n"));
    fakehost::On(kAudit, Answer::Ok("B1\a000002\a2026-12-01 10:05\aEntry\aOK\r\n"
                                    "B1\a000001\a2026-12-01 10:12\aCheck\aOK"));
  }
  void Call(const std::string& script) {
    CallEntry(Mn_StatusFolderList, script, 407, "B2026120100345678901", "0012", "00'001");
    EXPECT_EQ(Commands(), (Lines{kAuthorise, kSign, kAudit}));
  }
};

// The first folder fails: it is reported and keeps its columns; the others still load.
TEST_F(StatusFolderTest, TheThreeFoldersAreAskedInOrderEachOnItsOwn) {
  Call(
      "expect AuthoriseFolderLsv columns 4\nexpect AuthoriseFolderLsv count 0\n"
      "expect SignFolderLsv item 0 \"B1\t000003\t2026-12-01 10:31\tSigned\"\n"
      "expect AuditFolderLsv item 1 \"B1\t000001\t2026-12-01 10:12\tCheck\tOK\"\n"
      "expect SignFolderLsv readonly true\nexpect AuditFolderLsv readonly false\n");
  EXPECT_EQ(MessageLines(), Lines{Box("Error:busy")});
  EXPECT_EQ(fakehost::LastCall().window, kShell);
}

// --- The account order.
constexpr char kList[] = "MN_GetAcNoList 99,'','0012','000001'";
constexpr char kOrderRights[] = "Sh_GetNodeRight '0012','000001',103";
const Lines kAccounts = {"K1", "K2", "K3", "K4", "K5"};

std::string Leave(const char* answer) {
  return std::string("message yesno none \"ManageEdit\" ") +
         "\"The changes are not saved. Leave anyway?\" -> " + answer;
}

class AcOrderTest : public ListDialogTest {
 protected:
  void SetUp() override {
    ListDialogTest::SetUp();
    Serve(Answer::Ok("11100000"));
  }
  // Accounts K1 to K5 and the operator's rights; every batch is stored.
  static void Serve(const Answer& rights) {
    fakehost::Reset();
    fakehost::On(kList, Answer::Ok("K1\r\nK2\r\nK3\r\nK4\r\nK5\r\n"));
    fakehost::On(kOrderRights, rights);
    fakehost::OnPrefix("exec MN_UpdateAcOrder", Answer::Ok(""));
  }
  void Call(const std::string& script, const char* corp = "0012", const char* user = "000001") {
    CallEntry(Mn_AcOrderEdit, script, 103, "unused", corp, user);
    EXPECT_EQ(fakehost::LastCall().window, kShell);
  }
  // A dialog loaded as the entry point loads it.
  static frame::EntryArgs Call() { return tavro_test::CallFor(kShell, "0012", "000001", 103); }
  static void Prepare(customer::TAcOrderEditFrm& form) {
    form.LoadAccounts();
    form.ApplyRights();
  }
};

// Ids cut to 4 and 6 bytes; one batch, 48-byte answer; a refused batch keeps the order.
TEST_F(AcOrderTest, ShowsTheAccountsAndSavesTheArrangedOrderInOneBatch) {
  int batches = 0;
  fakehost::OnAny([&](const fakehost::Call& call) {
    if (call.command.rfind("exec ", 0) != 0) {
      return call.command == kList ? Answer::Ok("K1\r\nK2\r\nK3\r\nK4\r\nK5\r\n")
                                   : Answer::Ok("11100000");
    }
    return ++batches == 1 ? Answer::Fail(7, "deadlock") : Answer::Ok("");
  });
  Call(
      "expect PromptLbl caption \"Drag an account with the mouse to move it\"\n"
      "drag AcListLbx K1 K4\nexpect AcListLbx itemindex 3\nclick UpdateBtn\n"
      "expect AcListLbx item 0 K4\nclick UpdateBtn\n",
      "00129", "0000019");
  std::string batch;  // the order arranged, stored for corporation 0012 and operator 000001
  int position = 0;
  for (const char* id : {"K4", "K2", "K3", "K1", "K5"}) {
    batch += "exec MN_UpdateAcOrder '" + std::string(id) + "','0012','000001'," +
             std::to_string(position++) + "\r\n";
  }
  EXPECT_EQ(Commands(), (Lines{kList, kOrderRights, batch, batch}));
  EXPECT_EQ(fakehost::LastCall().capacity, 47);
  EXPECT_EQ(MessageLines(), (Lines{Box("Error:deadlock"), Box("Saved.")}));
  EXPECT_EQ(LastLine(), "close TAcOrderEditFrm ok");
}

// Rows go back unchanged with every quote doubled, ids too; Enter presses Save.
TEST_F(AcOrderTest, AccountLinesGoBackUnchangedWithQuotesDoubled) {
  fakehost::Reset();
  const std::string rowWithFields = "310012000100001\a" + Gbk("人民币") + "\x0E" + "x";
  fakehost::On("MN_GetAcNoList 99,'','0''12','a''b'",
               Answer::Ok(rowWithFields + "\r\nO'Brien's:CNY  \r\n"));
  fakehost::On("Sh_GetNodeRight '0''12','a''b',103", Answer::Ok("11100000"));
  Call("key AcListLbx Enter\n", "0'12", "a'b");
  EXPECT_EQ(Commands().back(),
            "exec MN_UpdateAcOrder '" + rowWithFields +
                "','0''12','a''b',0\r\n"
                "exec MN_UpdateAcOrder 'O''Brien''s:CNY  ','0''12','a''b',1\r\n");
}

// The dragged account and the one under the drop point change places; selection follows.
TEST_F(AcOrderTest, ADropSwapsTheDraggedAccountWithTheOneUnderThePointer) {
  const struct {
    int from, to;
    ui::TMouseButton button;
    Lines order;
    int selected;
  } cases[] = {
      {0, 3, ui::mbLeft, {"K4", "K2", "K3", "K1", "K5"}, 3},
      {1, -1, ui::mbLeft, kAccounts, 1},  // below the last account
      {0, 3, ui::mbRight, kAccounts, 0},  // selected, not dragged
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + "->" + std::to_string(c.to));
    customer::TAcOrderEditFrm form(Call());
    Prepare(form);
    WhileShown(Platform(), form, [&] { ui::DragItem(*form.AcListLbx, c.from, c.to, c.button); });
    EXPECT_EQ(form.AcListLbx->Items(), c.order);
    EXPECT_EQ(form.AcListLbx->ItemIndex(), c.selected);
  }
  // A drop with no account selected moves nothing.
  customer::TAcOrderEditFrm form(Call());
  Prepare(form);
  WhileShown(Platform(), form, [&] {
    form.AcListLbx->SetItemIndex(-1);
    form.AcListLbxDragDrop(form.AcListLbx, 1, form.AcListLbx->ItemCenterY(2));
  });
  EXPECT_EQ(form.AcListLbx->Items(), kAccounts);
  EXPECT_EQ(form.AcListLbx->ItemIndex(), -1);
}

// Save needs '1' at rights position 3; a failed lookup leaves it disabled.
TEST_F(AcOrderTest, SavingNeedsTheModifyRight) {
  const std::pair<Answer, bool> cases[] = {{Answer::Ok("11100000"), true},
                                           {Answer::Ok("11011111"), false},
                                           {Answer::Fail(4, "no route"), false}};
  for (const auto& [rights, update] : cases) {
    Serve(rights);
    customer::TAcOrderEditFrm form(Call());
    Prepare(form);
    EXPECT_EQ(form.UpdateBtn->Enabled(), update) << rights.text << rights.error;
  }
}

// Leaving asks first; a failed list leaves it empty, and its failed save is still shown.
TEST_F(AcOrderTest, LeavingWithoutSavingAsksFirst) {
  Call("click CancelBtn\nanswer no\nclose\nanswer no\nclick CancelBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{Leave("no"), Leave("no"), Leave("yes")}));
  EXPECT_EQ(LastLine(), "close TAcOrderEditFrm cancel");

  fakehost::Reset();
  fakehost::On(kList, Answer::Fail(2, "gone"));
  fakehost::On(kOrderRights, Answer::Ok("11100000"));
  fakehost::On("", Answer::Fail(3, "no route"));
  const std::size_t before = MessageLines().size();
  Call("expect AcListLbx count 0\nclick UpdateBtn\nclose\nanswer yes\n");
  EXPECT_EQ(MessagesSince(before), (Lines{Box("Error:gone"), Box("Error:no route"), Leave("yes")}));
}

// --- The customer record, with names of its own.
namespace edit {

using namespace tavro_test;

constexpr HWND_T kShell = 0x55;
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',201";
constexpr char kLoad[] = "MN_GetPropOfCustomer '0012','C001'";
constexpr char kExists[] = "MN_CustomerExists 'C001','0012'";
constexpr char kDeleteCmd[] = "MN_CustomerDelete 'C001','0012'";
// C001 as the server holds it: two lines of name and address, two e-mail lines.
const std::string kC001 = Gbk("C001\a0012\a远航贸易\aYUANHANG TRADING\x0E") +
                          "88 CENTURY AVENUE\aregular\afin@x.cn\x0Eops@x.cn\a000002\a1";

std::string Leave(const char* answer) {
  return LangQuestion("The changes are not saved. Leave anyway?", answer);
}
const std::string kNoRight = Box("你无权修改原有客户信息！");

// boxes, then Yes to the exit question when the dialog stayed open until closed.
Lines ThenLeave(Lines boxes, bool stayed) {
  if (stayed) {
    boxes.push_back(Leave("yes"));
  }
  return boxes;
}

class CustEditTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Serve("11110000");
  }

  // A fresh host that knows the operator's rights and customer C001.
  static void Serve(const char* rights) {
    fakehost::Reset();
    fakehost::On(kRights, Answer::Ok(rights));
    fakehost::On(kLoad, Answer::Ok(kC001));
  }
  // Calls the entry point with key and the operator script; the record starts dirty.
  TShellResult Call(const char* key, const std::string& script) {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_CustomerEdit(&result, kShell, "0012", "000001", 201, key, "unused");
    for (const fakehost::Call& call : fakehost::Calls()) {
      EXPECT_EQ(call.window, kShell) << call.command;
    }
    EXPECT_FALSE(Platform().Failed()) << Platform().Transcript().back();
    return result;
  }
};

// Name and address are cut to 50 and 140 bytes (breaks count); quotes doubled.
TEST_F(CustEditTest, ANewCustomerIsSavedAsTypedWithoutAQuestion) {
  const std::string line(35, 'A');
  const std::string update = "MN_UpdateCustomerRec 201,'C009','0012','" + std::string(50, 'n') +
                             "','" + line + "\x0E" + line + "\x0E" + line + "\x0E" +
                             std::string(32, 'A') + "','O''Neil','no-at-sign\x0Ex@y','000001',1";
  fakehost::On("MN_CustomerExists 'C009','0012'", Answer::Ok("0"));
  fakehost::On(update, Answer::Ok("1\aC009"));
  const TShellResult r =
      Call("",
           "expect OperatorShowLbl caption 000001\nexpect StatusCmb text Active\n"
           "type IdEdt C009\ntype CNameEdt " +
               std::string(52, 'n') + "\ntype ENameMmo \"" + line + "\\r" + line + "\\r" + line +
               "\\r" + line +
               "\"\ntype RefEdt \"O'Neil\"\ntype EMailMmo \"no-at-sign\\rx@y\"\n"
               "click UpdateBtn\n");
  EXPECT_EQ(Commands(), (Lines{kRights, "MN_CustomerExists 'C009','0012'", update}));
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(Outcome(r), "1 C009");
}

// Add or modify opens Save, saving over a customer needs modify; delete its right and an id.
TEST_F(CustEditTest, RightsDecideTheButtonsAndASaveOverAnExistingCustomer) {
  const struct {
    const char* key;
    const char* rights;
    bool update, del;
    const char* count;  // the server's count when the save is tried
    Lines boxes;        // of the save
  } cases[] = {
      {"C001", "01000000", true, false, "1", {kNoRight}},
      {"", "01000000", true, false, "0", {}},
      {"C001", "00100000", true, false, "1", {LangQuestion(kOverwriteQuestion, "yes")}},
      {"C001", "00010000", false, true, "", {}},
      {"", "00010000", false, false, "", {}},
      {"C001", "00000000", false, false, "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.rights);
    Serve(c.rights);
    fakehost::OnPrefix("MN_CustomerExists", Answer::Ok(c.count));
    fakehost::OnPrefix("MN_UpdateCustomerRec", Answer::Ok("1\asaved"));
    Platform().SetOperator([&](ui::TForm& form) {
      const auto& shown = static_cast<customer::TCustomerEdtFrm&>(form);
      EXPECT_EQ(shown.UpdateBtn->Enabled(), c.update);
      EXPECT_EQ(shown.DeleteBtn->Enabled(), c.del);
      EXPECT_EQ(shown.AcNoBtn->Enabled(), *c.key != '\0');
      EXPECT_TRUE(shown.ChangeCustBtn->Enabled());
    });
    const bool saved = c.update && c.boxes != Lines{kNoRight};
    const std::size_t before = MessageLines().size();
    const TShellResult r = Call(c.key, std::string(c.update ? "click UpdateBtn\n" : "") +
                                           (saved && !c.boxes.empty() ? "answer yes\n" : "") +
                                           (saved ? "" : "close\nanswer yes\n"));
    Platform().SetOperator(nullptr);
    EXPECT_EQ(MessagesSince(before), ThenLeave(c.boxes, !saved));
    EXPECT_EQ(Outcome(r), saved ? "1 saved" : "0 ");
  }
}

// The delete boxes follow the existence count; a deleted customer hands back code 3.
TEST_F(CustEditTest, DeleteConfirmsByTheCountAndHandsBackCode3) {
  const std::string accounts = "The payee has accounts. Delete them as well?";
  const std::string yes = LangQuestion(kDeleteQuestion, "yes");
  const std::string deleted = LangBox("The record has been deleted.");
  const struct {
    const char* count;    // empty when the first question is declined
    const char* deleted;  // the server's answer; empty when no delete may go out
    const char* answers;
    Lines boxes;
    bool stays;  // open until closed with the exit question
  } cases[] = {
      {"1", "1\aC001", "yes\nanswer yes\n", {yes, yes, deleted}, false},
      {"2", "1\aC001", "yes\nanswer yes\n", {yes, LangQuestion(accounts, "yes"), deleted}, false},
      {"1", "", "yes\nanswer no\n", {yes, LangQuestion(kDeleteQuestion, "no")}, true},
      {"3", "", "yes\n", {yes, kInconsistentBox}, true},
      {"0", "", "yes\n", {yes, kNoRecordBox}, false},
      {"1", "0\abusy", "yes\nanswer yes\n", {yes, yes, kNotDeletedBox}, false},
      {"", "", "no\n", {LangQuestion(kDeleteQuestion, "no")}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count + std::string(" ") + c.answers);
    Serve("11110000");
    fakehost::On(kExists, Answer::Ok(c.count));
    fakehost::On(kDeleteCmd, Answer::Ok(c.deleted));
    const std::size_t before = MessageLines().size();
    const TShellResult r = Call("C001", std::string("click DeleteBtn\nanswer ") + c.answers +
                                            (c.stays ? "close\nanswer yes\n" : ""));
    EXPECT_EQ(MessagesSince(before), ThenLeave(c.boxes, c.stays));
    EXPECT_EQ(Commands(kDeleteCmd).size(), *c.deleted != '\0' ? 1U : 0U);
    EXPECT_EQ(Outcome(r), *c.deleted == '1' ? "3 C001:0012" : "0 ");
  }
}

// The new id is cut to 24 bytes and must be free; a rename hands back code 1, old id.
TEST_F(CustEditTest, ChangeOfIdAsksForAFreeIdAndHandsBackCode1WithTheOldId) {
  const std::string longId(24, 'L');
  const std::string typed = longId + "XYZ";
  const std::string renameCmd = "MN_CustomerUpdate 'C001','" + longId + "','0012'";
  const std::string newExists = "MN_CustomerExists '" + longId + "','0012'";
  const std::string accounts = "The payee has accounts. Change their payee id as well?";
  const std::string changed = LangBox("The payee id has been changed.");
  const std::string over = LangQuestion(kOverwriteQuestion, "yes");
  const std::string failed = LangBox("The payee id could not be changed.");
  const struct {
    const char* count;
    std::string input;    // the answer to the input box
    const char* taken;    // the new id's count
    const char* answer;   // to the confirmation, if one is asked
    const char* renamed;  // the server's answer; empty when no rename may go out
    Lines boxes;
  } cases[] = {
      {"1", typed, "0", "yes", "1\aL", {over, changed}},
      {"2", typed, "0", "yes", "1\aL", {LangQuestion(accounts, "yes"), changed}},
      {"2", typed, "0", "no", "", {LangQuestion(accounts, "no")}},
      {"1", typed, "0", "yes", "0\ax", {over, failed}},
      {"1", typed, "1", "", "", {LangBox("The new payee id is already in use.")}},
      {"3", typed, "0", "", "", {kInconsistentBox}},
      {"0", "", "", "", "", {kNoRecordBox}},
      {"1", "cancel", "", "", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count + (" " + c.input));
    Serve("11110000");
    fakehost::On(kExists, Answer::Ok(c.count));
    fakehost::On(newExists, Answer::Ok(c.taken));
    fakehost::On(renameCmd, Answer::Ok(c.renamed));
    const bool closes = *c.count == '0' || *c.renamed != '\0';
    const std::size_t before = MessageLines().size();
    const TShellResult r =
        Call("C001", "click ChangeCustBtn\n" + (c.input.empty() ? "" : "input " + c.input + "\n") +
                         (*c.answer != '\0' ? "answer " + std::string(c.answer) + "\n" : "") +
                         (closes ? "" : "expect IdEdt text C001\nclose\nanswer yes\n"));
    EXPECT_EQ(MessagesSince(before), ThenLeave(c.boxes, !closes));
    EXPECT_EQ(Commands(renameCmd).size(), *c.renamed != '\0' ? 1U : 0U);
    EXPECT_EQ(Outcome(r), *c.renamed == '1' ? "1 C001:0012" : "0 ");
  }
  const Lines& transcript = Platform().Transcript();
  EXPECT_NE(std::find(transcript.begin(), transcript.end(),
                      R"(input "Change Payee Id" "New payee id:" "" -> ")" + typed + "\""),
            transcript.end());
  // Without an id the button sends nothing.
  Serve("11110000");
  Call("", "click ChangeCustBtn\nclose\nanswer yes\n");
  EXPECT_EQ(Commands(), Lines{kRights});
}

// A refused save asks to leave, No keeps the input, and no result stays for a later OK.
TEST_F(CustEditTest, ARefusedSaveAsksToLeaveAndLeavesNoResult) {
  fakehost::On(kExists, Answer::Ok("1"));
  fakehost::OnPrefix("MN_UpdateCustomerRec", Answer::Ok("-1\ano right to change"));
  fakehost::On(kDeleteCmd, Answer::Ok("0\abusy"));
  const TShellResult r = Call("C001",
                              "type RefEdt typed\nclick UpdateBtn\nanswer yes\nanswer no\n"
                              "click CancelBtn\nanswer no\nexpect RefEdt text typedregular\n"
                              "click DeleteBtn\nanswer yes\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{LangQuestion(kOverwriteQuestion, "yes"), Leave("no"),
                                   Leave("no"), LangQuestion(kDeleteQuestion, "yes"),
                                   LangQuestion(kDeleteQuestion, "yes"), kNotDeletedBox}));
  EXPECT_EQ(LastLine(), "close TCustomerEdtFrm ok");
  EXPECT_EQ(Outcome(r), "0 ");
}

// The key is loaded untrimmed; a key of blanks opens a new customer.
TEST_F(CustEditTest, TheCallLoadsTheUntrimmedKeyAndABlankKeyOpensANewCustomer) {
  fakehost::On("MN_GetPropOfCustomer '0012',' C001 '", Answer::Ok(kC001));
  Call(" C001 ", "expect IdEdt text C001\nclose\nanswer yes\n");
  Call("   ", "expect IdEdt text \"\"\nexpect StatusCmb itemindex 1\nclose\nanswer yes\n");
  EXPECT_EQ(Commands(), (Lines{"MN_GetPropOfCustomer '0012',' C001 '", kRights, kRights}));
}

}  // namespace edit

}  // namespace
