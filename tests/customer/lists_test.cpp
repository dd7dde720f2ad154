// The customer's list dialogs called as the shell calls them: the account list with the
// account dialogs its commands open in the test module, the processing status and the
// account order.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "customer/AcOrderEditFrm.h"
#include "customer/CustAcListFrm.h"
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
// A saved account (930), one left without saving (931, no columns past the customer)
// and a row naming no function.
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

// The customer id is cut to 24 bytes for the folder command. Without a row only New
// does something: function 930 for the list's customer.
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

// What the account dialog receives, and whether the list is loaded again (a save, code
// 1) or kept with its selection (code 0, or nothing opened).
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

// The loader's error reaches the event loop, which shows it; the list stays open, and
// the second try is answered from the function cache.
TEST_F(CustAcListTest, AMissingModuleIsShownAndTheListStaysOpen) {
  Serve("NoSuchModule.dll\aMn_Edit");
  Call("click NewMit\nclick NewMit\nexpect FolderLsv count 3\n");
  EXPECT_EQ(
      MessageLines(),
      Lines(2, "message ok error \"ManageEdit\" \"LoadLibrary NoSuchModule.dll Fail\" -> ok"));
  EXPECT_EQ(Commands(), (Lines{kFolder, "Sh_GetFunctionName  930,0"}));
}

// --- The processing status. A business number of 20 bytes is sent as its first 15;
// the user id is quoted.
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

// The ids are cut to 4 and 6 bytes; the save goes out as one batch in a 48-byte answer
// buffer. A refused batch keeps the dialog open with the order as arranged for the
// next try.
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

// Rows come into the list unchanged and go back with every quote doubled, in the ids
// too. Enter presses Save, the default button.
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

// The dragged account and the one under the drop point change places, and the
// selection follows the dragged account.
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

// Cancel and the close box ask before leaving; No stays. A failed account list leaves
// the list empty; its save sends an empty batch, whose failure is still shown.
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

}  // namespace
