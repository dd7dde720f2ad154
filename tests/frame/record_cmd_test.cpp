// Record reads and updates, folder lists and the list views they fill.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "frame/FolderList.h"
#include "frame/ListViewFill.h"
#include "frame/RecordCmd.h"
#include "tests/support/ModuleTest.h"
#include "ui/ListCtrls.h"

namespace {

using fakehost::Answer;
using tavro_test::Gbk;
using tavro_test::WriteFile;

constexpr HWND_T kWnd = 0x99;

class RecordCmdTest : public tavro_test::ModuleTest {};

TEST_F(RecordCmdTest, UpdatesSendEveryArgumentInOrderQuotedAndCut) {
  frame::TAccountRec account;
  account.AccountNo = "6222 01";
  account.CorpId = "001";
  account.AccountName = "O'Neil Ltd";
  account.Status = 1;
  frame::TCustomerRec customer{"C1", "0012", "Name", "L1\016L2", "R", "a@b", "000001", 1};
  frame::TCustAcRec custAc{7, "C1", "0012", "USD",    "AC",     "unused", "Bank",
                           9, "S",  "BA",   "N\016A", "000001", 1};
  frame::TCustCNYAcRec payee{"P1", "0012", "Acct", "62", "Bank", "000001", 1, "R", "e@f", "138"};
  struct Case {
    std::function<TShellResult()> send;
    std::string command;
  } cases[] = {
      {[&] { return frame::UpdateAccountRec(kWnd, 301, account); },
       "MN_UpdateAccountRec 301,'6222 01','001','O''Neil Ltd',1"},
      {[&] { return frame::UpdateCustomerRec(kWnd, 5, customer); },
       "MN_UpdateCustomerRec 5,'C1','0012','Name','L1\016L2','R','a@b','000001',1"},
      {[&] { return frame::UpdateCustAcRec(kWnd, 5, custAc); },
       "MN_UpdateCustAcRec 5,7,'C1','0012','USD','AC','Bank',9,'S','BA','N\016A','000001',1"},
      {[&] { return frame::UpdateCustCNYAcRec(kWnd, 5, payee); },
       "MN_UpdateCustCNYAcRec 5,'P1','0012','Acct','62','Bank','000001',1,'R','e@f','138'"},
  };
  for (const Case& c : cases) {
    fakehost::Reset();
    fakehost::SetFallback(Answer::Ok("0\aOK"));
    const TShellResult result = c.send();
    EXPECT_EQ(fakehost::LastCall().command, c.command);
    EXPECT_EQ(fakehost::LastCall().prefix, "A01");
    EXPECT_EQ(fakehost::LastCall().capacity, 127);
    EXPECT_EQ(result.Code, 0);
    EXPECT_STREQ(result.Text, "OK");
  }

  // A text longer than its field is cut without splitting a double-byte character.
  account.AccountName = std::string(49, 'a') + Gbk("中");
  fakehost::SetFallback(Answer::Ok("0\aOK"));
  frame::UpdateAccountRec(kWnd, 1, account);
  EXPECT_EQ(fakehost::LastCall().command,
            "MN_UpdateAccountRec 1,'6222 01','001','" + std::string(49, 'a') + "',1");
}

TEST_F(RecordCmdTest, UpdateAnswerBecomesTheResultOrItStaysClear) {
  fakehost::SetFallback(Answer::Ok("-1\aAccount 6222 locked\r\n"));
  TShellResult r = frame::UpdateAccountRec(kWnd, 1, {});
  EXPECT_EQ(r.Code, -1);
  EXPECT_STREQ(r.Text, "Account 6222 locked");

  fakehost::SetFallback(Answer::Fail(9, "denied"));
  r = frame::UpdateAccountRec(kWnd, 1, {});
  EXPECT_EQ(r.Code, 0);
  EXPECT_STREQ(r.Text, "");
  EXPECT_EQ(MessageLines(),
            std::vector<std::string>{R"(message ok none "ManageEdit" "Error:denied" -> ok)"});
}

TEST_F(RecordCmdTest, ReadsFillFieldsCutDecodedAndRepeatTheLastField) {
  fakehost::On("MN_GetPropOfCustomer '0012','C''1'",
               Answer::Ok("C1\a0012\aName\aL1\016L2\016L3\aRem\aa@b\016c@d"));
  const frame::TCustomerRec c = frame::GetCustomerRec(kWnd, "0012", "C'1");
  EXPECT_EQ(fakehost::LastCall().capacity, 1023);
  EXPECT_EQ(c.CustId, "C1");
  EXPECT_EQ(c.NameAddress, "L1\r\nL2\r\nL3");
  EXPECT_EQ(c.EMail, "a@b\r\nc@d");
  // Fewer fields than the record: the last one fills the rest.
  EXPECT_EQ(c.Operator, "a@b\016c@");
  EXPECT_EQ(c.Status, 0);

  // A user name of 16 bytes ending inside a double-byte character loses that character.
  fakehost::On("MN_GetPropOfUser '000001'",
               Answer::Ok("000001\a0012\aA\a" + std::string(15, 'n') + Gbk("中") + "\aCorp\a2"));
  const frame::TUserRec u = frame::GetUserRec(kWnd, "000001");
  EXPECT_EQ(u.UserName, std::string(15, 'n'));
  EXPECT_EQ(u.UserLevel, "A");
  EXPECT_EQ(u.Status, 2);

  fakehost::On("MN_GetPropOfCustAc 17",
               Answer::Ok("17\aC1\a0012\aUSD\aAC\au\aB\ax9\aS\aBA\aN\016A\a000001\a1"));
  const frame::TCustAcRec a = frame::GetCustAcRec(kWnd, 17);
  EXPECT_EQ(a.AcId, 17);
  EXPECT_EQ(a.IntBankId, 0);  // not a number
  EXPECT_EQ(a.BankNameAddress, "N\r\nA");
  EXPECT_EQ(a.Status, 1);
}

TEST_F(RecordCmdTest, StatusesThatAreNoNumberAndFailedReads) {
  fakehost::On("MN_GetPropOfUser 'u1'", Answer::Ok("u1\a0012\aA\aN\aC\a2x"));
  EXPECT_EQ(frame::GetUserRec(kWnd, "u1").Status, frame::kUnknownUserStatus);
  fakehost::On("MN_GetPropOfAccount '0012','62'", Answer::Ok("62\a0012\aC\aUSD\at\aN\as"));
  const frame::TAccountRec acc = frame::GetAccountRec(kWnd, "0012", "62");
  EXPECT_EQ(acc.AcType, 0);
  EXPECT_EQ(acc.Status, 0);

  // A failed read leaves the record empty: status 0, not unknown.
  fakehost::SetFallback(Answer::Fail(2, "gone"));
  EXPECT_EQ(frame::GetUserRec(kWnd, "u").Status, 0);
  const frame::TCustCNYAcRec p = frame::GetCustCNYAcRec(kWnd, "0012", "P1");
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetPropOfCustCNYAc '0012','P1'");
  EXPECT_EQ(p.PayeeId, "");
}

TEST_F(RecordCmdTest, FolderListsSendTheirCommandIntoANewFileOrLeaveNone) {
  fakehost::SetFallback(Answer::Ok("B1\au\r\n"));
  const TFolderList audit = frame::GetAuditFolder(kWnd, "XX", 301, "0012", "000001", "B0001");
  EXPECT_TRUE(fakehost::LastCall().file);
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetAuditFolder 301,'0012','000001','B0001'");
  EXPECT_STREQ(audit.FileName, fakehost::LastCall().fileName.c_str());
  EXPECT_EQ(std::string(audit.FileName).rfind(TempDir(), 0), 0u);
  // The shipped language file has no section "XX": the key is missing, the default
  // layout of five columns is used.
  EXPECT_EQ(
      std::string(audit.ColumnLayout),
      Gbk("业务编号\a15\r\n操作用户\a15\r\n操作时间\a15\r\n操作类型\a15\r\n操作结果\a15\r\n"));

  frame::GetCustAcFolder(kWnd, "EN", "0012", "000001", std::string(30, 'c'));
  EXPECT_EQ(fakehost::LastCall().command,
            "MN_GetCustAcFolder 'EN','0012','000001','" + std::string(24, 'c') + "'");
  frame::GetAuthoriseFolder(kWnd, "EN", 7, "0012", "000001", "B1");
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetAuthoriseFolder 7,'0012','000001','B1'");
  frame::GetSignFolder(kWnd, "EN", 7, "0012", "000001", "B1");
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetSignFolder 7,'0012','000001','B1'");

  // A failed command leaves no file and no name, but the layout.
  fakehost::SetFallback(Answer::Fail(4, "no rows"));
  const TFolderList failed = frame::GetSignFolder(kWnd, "EN", 1, "0012", "000001", "B1");
  EXPECT_STREQ(failed.FileName, "");
  EXPECT_FALSE(std::filesystem::exists(fakehost::LastCall().fileName));
  EXPECT_NE(std::string(failed.ColumnLayout), "");
}

class ListViewFillTest : public tavro_test::ModuleTest {
 protected:
  ui::TListView view{nullptr, "FolderLsv"};
};

TEST_F(ListViewFillTest, ColumnsTakeTitleWidthAndAmountAlignment) {
  view.Columns.push_back({"Kept", 30, ui::taCenter});
  frame::SetupListViewColumns(
      view, Gbk("金额") + "^20\r\nPay Amount\a8\r\nTitle\r\nWide\ax\r\nAMOUNTS due\a5");
  struct Expected {
    std::string caption;
    int width;
    ui::TAlignment align;
  } expected[] = {
      {"Kept", 30, ui::taCenter},
      {Gbk("金额"), 200, ui::taRightJustify},
      {"Pay Amount", 80, ui::taRightJustify},
      {"Title", 100, ui::taLeftJustify},
      {"Wide", 100, ui::taLeftJustify},
      {"AMOUNTS due", 50, ui::taRightJustify},
  };
  ASSERT_EQ(view.Columns.size(), std::size(expected));
  for (std::size_t i = 0; i < view.Columns.size(); ++i) {
    EXPECT_EQ(view.Columns[i].Caption, expected[i].caption) << i;
    EXPECT_EQ(view.Columns[i].Width, expected[i].width) << i;
    EXPECT_EQ(view.Columns[i].Alignment, expected[i].align) << i;
  }
  EXPECT_FALSE(view.Updating());
}

TEST_F(ListViewFillTest, RowsKeepEmptyFieldsAndTheFileIsDeleted) {
  const std::string file = TempDir() + "rows";
  WriteFile(file, "a\ab\ac\r\n\r\nd\a\r\n e \a f ");
  frame::LoadListViewRows(view, file);
  ASSERT_EQ(view.Items.size(), 4u);
  EXPECT_EQ(view.Items[0].Caption, "a");
  EXPECT_EQ(view.Items[0].SubItems, (ui::TStrings{"b", "c"}));
  EXPECT_EQ(view.Items[1].Caption, "");
  EXPECT_TRUE(view.Items[1].SubItems.empty());
  EXPECT_EQ(view.Items[2].SubItems, (ui::TStrings{""}));
  EXPECT_EQ(view.Items[3].Caption, " e ");  // untrimmed
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(ListViewFillTest, AFolderWithoutFileOrLayoutShowsNoRows) {
  TFolderList list{};
  std::snprintf(list.ColumnLayout, sizeof list.ColumnLayout, "A\a10\r\n");
  frame::FillFolderListView(view, list);
  EXPECT_EQ(view.Columns.size(), 1u);
  EXPECT_TRUE(view.Items.empty());

  // Rows without a layout are not shown, and their file is not left behind.
  const std::string file = TempDir() + "orphan";
  WriteFile(file, "x\r\n");
  TFolderList noLayout{};
  std::snprintf(noLayout.FileName, sizeof noLayout.FileName, "%s", file.c_str());
  frame::FillFolderListView(view, noLayout);
  EXPECT_TRUE(view.Items.empty());
  EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
