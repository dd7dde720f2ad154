// The customer dialog called as the shell calls it: commands, boxes in order, result.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "customer/CustomerEdtFrm.h"
#include "frame/ManageEdit.h"
#include "tests/support/DialogTest.h"

namespace {

using fakehost::Answer;
using namespace tavro_test;

constexpr HWND_T kShell = 0x55;
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

// Four full lines of name and address with their breaks are 143 bytes: the record keeps
// 140. The e-mail is not checked; quotes are doubled.
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

// The load decodes the lines; saving over it asks once, No sends nothing, and the
// current operator saves it with its lines encoded again.
TEST_F(CustEditTest, SavingAnExistingCustomerAsksOnceAndNoSendsNothing) {
  fakehost::On(kExists, Answer::Ok("2"));
  fakehost::On(kSaveC001, Answer::Ok("1\aC001 saved"));
  const TShellResult r = Call("C001",
                              "expect CNameEdt text 远航贸易\nexpect ENameMmo count 2\n"
                              "expect EMailMmo item 1 ops@x.cn\nexpect RefEdt text regular\n"
                              "expect OperatorShowLbl caption 000002\n"
                              "click UpdateBtn\nanswer no\nclick UpdateBtn\nanswer yes\n");
  EXPECT_EQ(MessageLines(), (Lines{LangQuestion(kOverwriteQuestion, "no"),
                                   LangQuestion(kOverwriteQuestion, "yes")}));
  EXPECT_EQ(Commands(), (Lines{kLoad, kRights, kExists, kExists, kSaveC001}));
  EXPECT_EQ(Outcome(r), "1 C001 saved");
}

// Save opens with the add or the modify right, but saving over an existing customer
// needs modify; delete needs its right and an id, the account list an id; the change of
// id is open to everyone.
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

// The delete boxes follow the server's existence count; a deleted customer hands back
// code 3 with the customer and corporation.
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

// The new id is cut to 24 bytes and must be free; a renamed customer hands back code 1
// with the old id; the id field keeps the old id.
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
      {"1", "\"\"", "", "", "", {}},
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

// A refused save asks whether to leave, as Cancel does; No keeps what was typed, and no
// result is left behind for a later close with OK (here a failed delete).
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

}  // namespace
