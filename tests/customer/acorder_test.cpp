// The account order dialog called as the shell calls it: the list it shows, how a drag
// rearranges it, the batch a save sends, and the boxes and result of each way out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "customer/AcOrderEditFrm.h"
#include "frame/ManageEdit.h"
#include "tests/support/DialogTest.h"

namespace {

using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Commands;
using tavro_test::Gbk;
using tavro_test::Lines;
using tavro_test::WhileShown;

constexpr HWND_T kShell = 0x66;
constexpr HWND_T kBefore = 0x77;
constexpr char kList[] = "MN_GetAcNoList 99,'','0012','000001'";
constexpr char kRights[] = "Sh_GetNodeRight '0012','000001',103";
const Lines kAccounts = {"K1", "K2", "K3", "K4", "K5"};

std::string Leave(const char* answer) {
  return std::string("message yesno none \"ManageEdit\" ") +
         "\"The changes are not saved. Leave anyway?\" -> " + answer;
}

// The batch that stores order for corporation 0012 and operator 000001.
std::string Batch(const Lines& order) {
  std::string batch;
  for (std::size_t i = 0; i < order.size(); ++i) {
    batch +=
        "exec MN_UpdateAcOrder '" + order[i] + "','0012','000001'," + std::to_string(i) + "\r\n";
  }
  return batch;
}

class AcOrderTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Platform().SetOwnerWindow(kBefore);
    Serve(Answer::Ok("11100000"));
  }

  // A fresh host with the accounts K1 to K5 and the operator's rights; every batch is
  // stored.
  static void Serve(const Answer& rights) {
    fakehost::Reset();
    fakehost::On(kList, Answer::Ok("K1\r\nK2\r\nK3\r\nK4\r\nK5\r\n"));
    fakehost::On(kRights, rights);
    fakehost::OnPrefix("exec MN_UpdateAcOrder", Answer::Ok(""));
  }

  // Calls the entry point with the operator script; the caller's record starts dirty
  // and must come back all zero, whatever the way out.
  void Call(const std::string& script, const char* corp = "0012", const char* user = "000001") {
    Platform().RunScript(script);
    TShellResult result;
    std::memset(&result, 'x', sizeof result);
    Mn_AcOrderEdit(&result, kShell, corp, user, 103, "unused", "unused");
    const TShellResult zero{};
    EXPECT_EQ(std::memcmp(&result, &zero, sizeof result), 0) << tavro_test::Outcome(result);
    EXPECT_EQ(Platform().OwnerWindow(), kBefore);
    EXPECT_EQ(fakehost::LastCall().window, kShell);
  }

  // A dialog loaded as the entry point loads it.
  static frame::EntryArgs Call() { return tavro_test::CallFor(kShell, "0012", "000001", 103); }
  static void Prepare(customer::TAcOrderEditFrm& form) {
    form.LoadAccounts();
    form.ApplyRights();
  }
};

// The ids are cut to 4 and 6 bytes before they are sent; the save goes out as one
// batch in a 48-byte answer buffer. A refused batch keeps the dialog open with the
// order as arranged, and the same order goes out again on the next try.
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
      "expect form caption \"Account Order\"\nexpect AcOrderLbl caption \"Account Order\"\n"
      "expect PromptLbl caption \"Drag an account with the mouse to move it\"\n"
      "expect UpdateBtn caption Save\nexpect CancelBtn caption Cancel\n"
      "expect form font \"宋体\" 10 134\nexpect AcListLbx count 5\n"
      "drag AcListLbx K1 K4\nexpect AcListLbx itemindex 3\nclick UpdateBtn\n"
      "expect AcListLbx item 0 K4\nclick UpdateBtn\n",
      "00129", "0000019");
  const std::string batch = Batch({"K4", "K2", "K3", "K1", "K5"});
  EXPECT_EQ(Commands(), (Lines{kList, kRights, batch, batch}));
  EXPECT_EQ(fakehost::LastCall().capacity, 47);
  EXPECT_EQ(MessageLines(), (Lines{Box("Error:deadlock"), Box("Saved.")}));
  EXPECT_EQ(LastLine(), "close TAcOrderEditFrm ok");
}

// A file that does not exist keeps the designed texts; a key the file lacks empties
// its text.
TEST_F(AcOrderTest, CaptionsComeFromTheLanguageFileWithoutDefaults) {
  const customer::TAcOrderEditFrm designed({}, sys::IniFile(TempDir() + "none.ini"));
  EXPECT_EQ(
      (Lines{designed.Caption(), designed.AcOrderLbl->Caption(), designed.PromptLbl->Caption(),
             designed.UpdateBtn->Caption(), designed.CancelBtn->Caption()}),
      (Lines{Gbk("帐号顺序设置"), Gbk("帐户顺序"), Gbk("用鼠标托放进行帐户顺序调整"), Gbk("保存"),
             Gbk("放弃")}));
  tavro_test::WriteFile(TempDir() + "lang.ini", "[EN]\r\nFrm_AcOrderEdt_Name=Order\r\n");
  const customer::TAcOrderEditFrm partial({}, sys::IniFile(TempDir() + "lang.ini"));
  EXPECT_EQ((Lines{partial.Caption(), partial.AcOrderLbl->Caption(), partial.UpdateBtn->Caption()}),
            (Lines{"Order", "", ""}));
}

// Rows come into the list unchanged (field separators, line-break marks, quotes) and go
// back in the batch with every quote doubled, in the ids too. Enter presses Save, the
// default button.
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

// The dragged account and the one under the drop point change places; everything else
// stays, and the selection follows the dragged account.
TEST_F(AcOrderTest, ADropSwapsTheDraggedAccountWithTheOneUnderThePointer) {
  const struct {
    int from, to;
    ui::TMouseButton button;
    Lines order;
    int selected;
  } cases[] = {
      {0, 3, ui::mbLeft, {"K4", "K2", "K3", "K1", "K5"}, 3},
      {4, 0, ui::mbLeft, {"K5", "K2", "K3", "K4", "K1"}, 0},
      {2, 2, ui::mbLeft, kAccounts, 2},   // onto itself
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

// Items 4 pixels high put the next account within the threshold (5 pixels): a press
// released over it is a click, and only a move that reaches the threshold drags. Only
// a left press over an account prepares a drag.
TEST_F(AcOrderTest, TheDragBeginsOnlyAfterTheThreshold) {
  customer::TAcOrderEditFrm form(Call());
  Prepare(form);
  ui::TListBox& list = *form.AcListLbx;
  list.SetItemHeight(4);
  WhileShown(Platform(), form, [&] {
    const int threshold = ui::TControl::kDefaultDragThreshold;
    ui::PressAndMove(list, 0, threshold - 1);
    EXPECT_EQ(list.Items(), kAccounts);
    ui::PressAndMove(list, 0, threshold);
    EXPECT_EQ(list.Items(), (Lines{"K2", "K1", "K3", "K4", "K5"}));

    form.AcListLbxMouseDown(ui::mbRight, 1, list.ItemCenterY(2));
    form.AcListLbxMouseDown(ui::mbLeft, 1, list.ItemCenterY(5));  // below the last account
    EXPECT_FALSE(list.DragPending() || list.Dragging());
    form.AcListLbxMouseDown(ui::mbLeft, 1, list.ItemCenterY(2));
    EXPECT_TRUE(list.DragPending() && !list.Dragging());
  });
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
  fakehost::On(kRights, Answer::Ok("11100000"));
  fakehost::On("", Answer::Fail(3, "no route"));
  const std::size_t before = MessageLines().size();
  Call("expect AcListLbx count 0\nclick UpdateBtn\nclose\nanswer yes\n");
  EXPECT_EQ(MessagesSince(before),
            (Lines{Box("Error:gone"), Box("Error:no route"), Leave("yes")}));
}

}  // namespace
