// The customer dialog called as the shell calls it: the commands it sends in order,
// the boxes the operator sees in order, and the result record handed back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "customer/CustExportFrm.h"
#include "customer/CustSnapInFrm.h"
#include "customer/CustomerEdtFrm.h"
#include "frame/ManageEdit.h"
#include "sys/ProcessPaths.h"
#include "tests/payee/payee_test_support.h"

namespace {

namespace fs = std::filesystem;
using fakehost::Answer;
using payee_test::Box;
using payee_test::Commands;
using payee_test::Lines;
using payee_test::Outcome;
using tavro_test::Gbk;

constexpr HWND_T kShell = 0x55;
constexpr HWND_T kBefore = 0x99;
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',201";
constexpr char kLoad[] = "MN_GetPropOfCustomer '0012','C001'";
constexpr char kExists[] = "MN_CustomerExists 'C001','0012'";
constexpr char kDeleteCmd[] = "MN_CustomerDelete 'C001','0012'";
// C001 as the server holds it: two lines of name and address, two e-mail lines.
const std::string kC001 = Gbk("C001\a0012\a远航贸易\aYUANHANG TRADING\x0E") +
                          "88 CENTURY AVENUE\aregular\afin@x.cn\x0Eops@x.cn\a000002\a1";
const std::string kSaveC001 =
    Gbk("MN_UpdateCustomerRec 201,'C001','0012','远航贸易','YUANHANG TRADING\x0E") +
    "88 CENTURY AVENUE','regular','fin@x.cn\x0Eops@x.cn','000001',1";

// The language file's boxes (English) as the transcript shows them.
std::string Ask(const std::string& text, const char* answer) {
  return "message yesno none \"\" \"" + text + "\" -> " + answer;
}
std::string Info(const std::string& text) {
  return "message ok none \"\" \"" + text + "\" -> ok";
}
std::string Leave(const char* answer) {
  return Ask("The changes are not saved. Leave anyway?", answer);
}
const std::string kOverwrite = "The record exists already. Overwrite it?";
const std::string kDelete = "Delete this record?";
const std::string kNoRecord = Info("The record does not exist.");
const std::string kInconsistent =
    Info("The payee records are inconsistent; the payee cannot be deleted or renamed.");
const std::string kDeleted = Info("The record has been deleted.");
const std::string kNotDeleted = Info("The payee could not be deleted.");
const std::string kRenamed = Info("The payee id has been changed.");
const std::string kNoRight = Box("你无权修改原有客户信息！");

class CustEditTest : public payee_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
    Serve(Answer::Ok("11110000"));
  }

  // A fresh host that knows the operator's rights and customer C001.
  static void Serve(const Answer& rights) {
    fakehost::Reset();
    fakehost::On(kRights, rights);
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

// Four lines of name and address travel with their breaks encoded; the memo refuses a
// 36th byte on a line and a fifth line; a text longer than the record's 140 bytes is
// cut. An e-mail without "@" is saved as typed.
TEST_F(CustEditTest, ANewCustomerIsSavedAsTypedAndTheServersAnswerIsHandedBack) {
  const std::string line(35, 'A');
  const std::string update = "MN_UpdateCustomerRec 201,'C009','0012','" + std::string(50, 'n') +
                             "','" + line + "\x0E" + line + "\x0E" + line + "\x0E" +
                             std::string(32, 'A') + "','O''Neil','no-at-sign\x0E" +
                             "x@y','000001',1";
  fakehost::On("MN_CustomerExists 'C009','0012'", Answer::Ok("0"));
  fakehost::On(update, Answer::Ok("1\aC009"));
  const TShellResult r = Call("",
                              "expect OperatorShowLbl caption 000001\n"
                              "expect StatusCmb itemindex 1\nexpect StatusCmb text Active\n"
                              "expect DeleteBtn enabled false\nexpect AcNoBtn enabled false\n"
                              "type IdEdt C009\ntype CNameEdt " +
                                  std::string(52, 'n') + "\ntype ENameMmo \"" + line + "B\\r" +
                                  line + "\\r" + line + "\\r" + line + "\\rFIFTH\"\n" +
                                  "expect ENameMmo count 4\n"
                                  "type RefEdt \"O'Neil\"\n"
                                  "type EMailMmo \"no-at-sign\\rx@y\"\nclick UpdateBtn\n");
  EXPECT_EQ(Commands(), (Lines{kRights, "MN_CustomerExists 'C009','0012'", update}));
  EXPECT_TRUE(MessageLines().empty());
  EXPECT_EQ(LastLine(), "close TCustomerEdtFrm ok");
  EXPECT_EQ(Outcome(r), "1 C009");
}

// The load fills every field (lines decoded); saving over it asks once, No sends
// nothing, and the current operator saves it with its lines encoded again.
TEST_F(CustEditTest, SavingAnExistingCustomerAsksOnceAndNoSendsNothing) {
  fakehost::On(kExists, Answer::Ok("2"));
  fakehost::On(kSaveC001, Answer::Ok("1\aC001 saved"));
  const TShellResult r = Call("C001",
                              "expect IdEdt text C001\nexpect CNameEdt text 远航贸易\n"
                              "expect ENameMmo count 2\nexpect ENameMmo item 1 "
                              "\"88 CENTURY AVENUE\"\nexpect EMailMmo item 1 ops@x.cn\n"
                              "expect RefEdt text regular\n"
                              "expect OperatorShowLbl caption 000002\n"
                              "expect StatusCmb itemindex 1\nexpect AcNoBtn enabled true\n"
                              "click UpdateBtn\nanswer no\nclick UpdateBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{Ask(kOverwrite, "no"), Ask(kOverwrite, "yes")}));
  EXPECT_EQ(Commands(), (Lines{kLoad, kRights, kExists, kExists, kSaveC001}));
  EXPECT_EQ(Outcome(r), "1 C001 saved");
}

// Save opens with the right to add or to modify; saving over an existing customer
// needs the right to modify. Delete needs its right and an id.
TEST_F(CustEditTest, RightsDecideTheButtonsAndTheSaveOverAnExistingCustomer) {
  const struct {
    const char* key;
    Answer rights;
    bool update, del;
    const char* count;  // the existence answer to the save
    Lines boxes;        // of the save
    bool saved;
  } cases[] = {
      {"C001", Answer::Ok("01000000"), true, false, "1", {kNoRight}, false},
      {"", Answer::Ok("01000000"), true, false, "0", {}, true},
      {"C001", Answer::Ok("00100000"), true, false, "1", {Ask(kOverwrite, "yes")}, true},
      {"", Answer::Ok("00100000"), true, false, "0", {}, true},
      {"C001", Answer::Ok("00010000"), false, true, "", {}, false},
      {"", Answer::Ok("00010000"), false, false, "", {}, false},
      {"C001", Answer::Ok("00000000"), false, false, "", {}, false},
      {"C001", Answer::Fail(5, "down"), false, false, "", {Box("Error:down")}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.rights.text);
    Serve(c.rights);
    fakehost::OnPrefix("MN_CustomerExists", Answer::Ok(c.count));
    fakehost::OnPrefix("MN_UpdateCustomerRec", Answer::Ok("1\asaved"));
    Platform().SetOperator([&](ui::TForm& form) {
      const auto& shown = static_cast<customer::TCustomerEdtFrm&>(form);
      EXPECT_EQ(shown.UpdateBtn->Enabled, c.update);
      EXPECT_EQ(shown.DeleteBtn->Enabled, c.del);
      // Never bound to a right (import and export: their own test clicks them).
      EXPECT_TRUE(shown.ChangeCustBtn->Enabled);
      EXPECT_EQ(shown.AcNoBtn->Enabled, *c.key != '\0');
    });
    const std::size_t before = MessageLines().size();
    // Only the overwrite question wants an answer; the refusal is a plain box.
    const bool asked = c.saved && !c.boxes.empty();
    const std::string script =
        c.update ? "type IdEdt 9\nclick UpdateBtn\n" + std::string(asked ? "answer yes\n" : "")
                 : "";
    const TShellResult r = Call(c.key, script + (c.saved ? "" : "close\nanswer yes\n"));
    Platform().SetOperator(nullptr);
    Lines boxes = c.boxes;
    if (!c.saved) {
      boxes.push_back(Leave("yes"));
    }
    EXPECT_EQ(MessagesSince(before), boxes);
    EXPECT_EQ(Commands("MN_UpdateCustomerRec").size(), c.saved ? 1u : 0u);
    EXPECT_EQ(Outcome(r), c.saved ? "1 saved" : "0 ");
  }
}

// The delete boxes follow the server's existence count; a deleted customer hands back
// code 3 with the customer and corporation.
TEST_F(CustEditTest, DeleteConfirmsByTheCountAndHandsBackCode3) {
  const std::string accounts = "The payee has accounts. Delete them as well?";
  const std::string del = Ask(kDelete, "yes");
  const struct {
    const char* count;
    const char* deleted;  // the server's answer; empty when no delete may go out
    const char* answers;
    Lines boxes;
    std::int32_t code;
    const char* closed;  // ok, or cancel when the dialog stayed open until closed
  } cases[] = {
      {"1", "1\aC001", "yes\nanswer yes\n", {del, del, kDeleted}, 3, "ok"},
      {"2", "1\aC001", "yes\nanswer yes\n", {del, Ask(accounts, "yes"), kDeleted}, 3, "ok"},
      {"1", "", "yes\nanswer no\n", {del, Ask(kDelete, "no")}, 0, "cancel"},
      {"2", "", "yes\nanswer no\n", {del, Ask(accounts, "no")}, 0, "cancel"},
      {"3", "", "yes\n", {del, kInconsistent}, 0, "cancel"},
      {"0", "", "yes\n", {del, kNoRecord}, 0, "ok"},
      {"1", "0\abusy", "yes\nanswer yes\n", {del, del, kNotDeleted}, 0, "ok"},
      {"", "", "no\n", {Ask(kDelete, "no")}, 0, "cancel"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count + std::string(" ") + c.answers);
    Serve(Answer::Ok("11110000"));
    fakehost::On(kExists, Answer::Ok(c.count));
    fakehost::On(kDeleteCmd, Answer::Ok(c.deleted));
    const std::size_t before = MessageLines().size();
    const bool stays = std::string(c.closed) == "cancel";
    const TShellResult r = Call("C001", std::string("click DeleteBtn\nanswer ") + c.answers +
                                            (stays ? "close\nanswer yes\n" : ""));
    Lines boxes = c.boxes;
    if (stays) {
      boxes.push_back(Leave("yes"));
    }
    EXPECT_EQ(MessagesSince(before), boxes);
    Lines sent{kLoad, kRights};
    if (*c.count != '\0') {
      sent.push_back(kExists);
    }
    if (*c.deleted != '\0') {
      sent.push_back(kDeleteCmd);
    }
    EXPECT_EQ(Commands(), sent);
    EXPECT_EQ(Outcome(r), c.code == 3 ? "3 C001:0012" : "0 ");
    EXPECT_EQ(LastLine(), std::string("close TCustomerEdtFrm ") + c.closed);
  }
}

// The new id is cut to 24 bytes and must be free; a renamed customer hands back code 1
// with the old id, by which the shell refreshes; the id field keeps the old id.
TEST_F(CustEditTest, ChangeOfIdAsksForAFreeIdAndHandsBackCode1WithTheOldId) {
  const std::string longId(24, 'L');
  const std::string renameCmd = "MN_CustomerUpdate 'C001','" + longId + "','0012'";
  const std::string newExists = "MN_CustomerExists '" + longId + "','0012'";
  const std::string accounts = "The payee has accounts. Change their payee id as well?";
  const struct {
    const char* count;
    const char* taken;
    const char* answer;   // to the confirmation, if one is asked
    const char* renamed;  // the server's answer; empty when no rename may go out
    Lines boxes;
    std::int32_t code;
  } cases[] = {
      {"1", "0", "yes", "1\aL", {Ask(kOverwrite, "yes"), kRenamed}, 1},
      {"2", "0", "yes", "1\aL", {Ask(accounts, "yes"), kRenamed}, 1},
      {"2", "0", "no", "", {Ask(accounts, "no")}, 0},
      {"1",
       "0",
       "yes",
       "0\ax",
       {Ask(kOverwrite, "yes"), Info("The payee id could not be changed.")},
       0},
      {"1", "1", "", "", {Info("The new payee id is already in use.")}, 0},
      {"3", "0", "", "", {kInconsistent}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count + std::string(c.taken) + c.renamed);
    Serve(Answer::Ok("11110000"));
    fakehost::On(kExists, Answer::Ok(c.count));
    fakehost::On(newExists, Answer::Ok(c.taken));
    fakehost::On(renameCmd, Answer::Ok(c.renamed));
    const bool stays = *c.renamed == '\0';
    const std::size_t before = MessageLines().size();
    const TShellResult r =
        Call("C001", "click ChangeCustBtn\ninput " + longId + "XYZ\n" +
                         (*c.answer != '\0' ? "answer " + std::string(c.answer) + "\n" : "") +
                         (stays ? "expect IdEdt text C001\nclose\nanswer yes\n" : ""));
    Lines boxes = c.boxes;
    if (stays) {
      boxes.push_back(Leave("yes"));
    }
    EXPECT_EQ(MessagesSince(before), boxes);
    Lines sent{kLoad, kRights, kExists, newExists};
    if (!stays) {
      sent.push_back(renameCmd);
    }
    EXPECT_EQ(Commands(), sent);
    EXPECT_EQ(Outcome(r), c.code == 1 ? "1 C001:0012" : "0 ");
  }
  const Lines& transcript = Platform().Transcript();
  EXPECT_NE(std::find(transcript.begin(), transcript.end(),
                      R"(input "Change Payee Id" "New payee id:" "" -> ")" + longId + "XYZ\""),
            transcript.end());

  // No such customer: closes at once with OK and nothing to hand back.
  Serve(Answer::Ok("11110000"));
  fakehost::On(kExists, Answer::Ok("0"));
  EXPECT_EQ(Outcome(Call("C001", "click ChangeCustBtn\n")), "0 ");
  EXPECT_EQ(MessageLines().back(), kNoRecord);
  EXPECT_EQ(LastLine(), "close TCustomerEdtFrm ok");
  // A cancelled input box or an empty answer asks nothing more.
  for (const char* input : {"input cancel\n", "input \"\"\n"}) {
    Serve(Answer::Ok("11110000"));
    fakehost::On(kExists, Answer::Ok("1"));
    Call("C001", std::string("click ChangeCustBtn\n") + input + "close\nanswer yes\n");
    EXPECT_EQ(Commands(), (Lines{kLoad, kRights, kExists})) << input;
  }
  // Without an id the button does nothing.
  Serve(Answer::Ok("11110000"));
  Call("", "click ChangeCustBtn\nclose\nanswer yes\n");
  EXPECT_EQ(Commands(), Lines{kRights});
}

// Cancel and No keep the dialog with what was typed. A save the server refused asks
// whether to leave, and leaves no result behind for a later close with OK (here a
// failed delete).
TEST_F(CustEditTest, LeavingAsksAndARefusedSaveLeavesNoResult) {
  TShellResult r = Call("",
                        "type IdEdt C777\ntype ENameMmo \"ACME\\rLONDON\"\nclick CancelBtn\n"
                        "answer no\nexpect IdEdt text C777\nexpect ENameMmo item 1 LONDON\n"
                        "close\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{Leave("no"), Leave("yes")}));
  EXPECT_EQ(LastLine(), "close TCustomerEdtFrm cancel");
  EXPECT_EQ(Outcome(r), "0 ");

  fakehost::On(kExists, Answer::Ok("1"));
  fakehost::OnPrefix("MN_UpdateCustomerRec", Answer::Ok("-1\ano right to change"));
  fakehost::On(kDeleteCmd, Answer::Ok("0\abusy"));
  const std::size_t before = MessageLines().size();
  r = Call("C001",
           "click UpdateBtn\nanswer yes\nanswer no\nclick DeleteBtn\nanswer yes\nanswer yes\n");
  EXPECT_EQ(MessagesSince(before), (Lines{Ask(kOverwrite, "yes"), Leave("no"), Ask(kDelete, "yes"),
                                          Ask(kDelete, "yes"), kNotDeleted}));
  EXPECT_EQ(LastLine(), "close TCustomerEdtFrm ok");
  EXPECT_EQ(Outcome(r), "0 ");
}

// The owner window and the function cache live for the call only; the key is loaded
// untrimmed, a key of blanks opens a new customer; the texts come from the language
// file and the font rule follows them.
TEST_F(CustEditTest, TheCallLoadsTheUntrimmedKeyAndABlankKeyOpensANewCustomer) {
  Platform().SetOperator([](ui::TForm& form) {
    EXPECT_EQ(ui::CurrentPlatform().OwnerWindow(), kShell);
    EXPECT_TRUE(frame::FunctionCacheLoaded());
    EXPECT_EQ(form.Caption, "Payee");
    auto& f = static_cast<customer::TCustomerEdtFrm&>(form);
    EXPECT_EQ(f.StatusCmb->Items, (Lines{"Deleted", "Active"}));
    EXPECT_EQ(f.AcNoBtn->Caption, "Accounts...");
    EXPECT_EQ(f.CName1Lbl->Caption, "Chinese Name");
    EXPECT_EQ(form.Font().Name, Gbk("宋体"));
    EXPECT_EQ(f.ENameMmo->Font().Name, "Courier New");
  });
  fakehost::On("MN_GetPropOfCustomer '0012',' C001 '", Answer::Ok(kC001));
  Call(" C001 ", "expect IdEdt text C001\nexpect AcNoBtn enabled true\nclose\nanswer yes\n");
  Call("   ",
       "expect OperatorShowLbl caption 000001\nexpect IdEdt text \"\"\n"
       "expect AcNoBtn enabled false\nexpect StatusCmb itemindex 1\nclose\nanswer yes\n");
  EXPECT_EQ(Commands(), (Lines{"MN_GetPropOfCustomer '0012',' C001 '", kRights, kRights}));
  EXPECT_EQ(Platform().OwnerWindow(), kBefore);
  EXPECT_FALSE(frame::FunctionCacheLoaded());

  // A failed load shows an empty customer with status 0 and no account list.
  Platform().SetOperator(nullptr);
  fakehost::Reset();
  fakehost::On(kRights, Answer::Ok("11110000"));
  fakehost::On(kLoad, Answer::Fail(3, "gone"));
  const std::size_t before = MessageLines().size();
  Call("C001",
       "expect IdEdt text \"\"\nexpect CNameEdt text \"\"\nexpect StatusCmb itemindex 0\n"
       "expect DeleteBtn enabled false\nexpect OperatorShowLbl caption \"\"\n"
       "close\nanswer yes\n");
  EXPECT_EQ(MessagesSince(before), (Lines{Box("Error:gone"), Leave("yes")}));
}

// Import and export run as dialogs of their own with the ids of the call, also without
// any right; neither reloads the customer.
TEST_F(CustEditTest, ImportAndExportOpenTheirDialogsWithTheIdsOfTheCall) {
  Serve(Answer::Ok("00000000"));
  Lines seen;
  Platform().SetOperator([&](ui::TForm& form) {
    if (auto* in = dynamic_cast<customer::TCustSnapInFrm*>(&form)) {
      seen.push_back("import " + std::to_string(in->ShellWnd) + " " +
                     std::to_string(in->FunctionId) + " " + in->UserNo + " " + in->CorpNo);
    } else if (auto* out = dynamic_cast<customer::TCustExportFrm*>(&form)) {
      seen.push_back("export " + std::to_string(out->ShellWnd) + " " + out->CorpNo);
    }
  });
  Call("C001",
       "click ImportBtn\nclose\nclick ExportBtn\nclose\nexpect IdEdt text C001\n"
       "close\nanswer yes\n");
  EXPECT_EQ(seen, (Lines{"import 85 201 000001 0012", "export 85 0012"}));
  EXPECT_EQ(Commands(), (Lines{kLoad, kRights}));
  EXPECT_EQ(LastLine(), "close TCustomerEdtFrm cancel");
}

// The account list goes through the library loader. Its failures are not the
// dialog's: they reach the event loop, which shows them, and the dialog stays open.
// The test program runs from a folder of its own, so "ManageEdit.dll" is found only
// when the test places a module there.
TEST_F(CustEditTest, AccountListLoaderFailuresReachTheEventLoopAndTheDialogStaysOpen) {
  const fs::path beside = fs::path(sys::FolderOf(sys::ExecutablePath())) / "libManageEdit.so";
  ASSERT_FALSE(fs::exists(beside)) << "only the tests place a module beside the program";
  const std::string error = "message ok error \"ManageEdit\" ";
  const std::string script = "click AcNoBtn\nexpect IdEdt text C001\nclick CancelBtn\nanswer yes\n";

  EXPECT_EQ(Outcome(Call("C001", script)), "0 ");
  EXPECT_EQ(MessageLines(),
            (Lines{error + "\"LoadLibrary ManageEdit.dll Fail\" -> ok", Leave("yes")}));

  // A module without the entry point: the test module of the shell tests.
  fs::create_symlink(TAVRO_TEST_MODULE_FILE, beside);
  struct Unlink {
    fs::path path;
    ~Unlink() { fs::remove(path); }
  } unlink{beside};
  Serve(Answer::Ok("11110000"));
  const std::size_t before = MessageLines().size();
  EXPECT_EQ(Outcome(Call("C001", script)), "0 ");
  EXPECT_EQ(MessagesSince(before),
            (Lines{error + "\"GetProcAddress Mn_CustAcNoList Fail\" -> ok", Leave("yes")}));
  EXPECT_EQ(Commands(), (Lines{kLoad, kRights}));
}

}  // namespace
