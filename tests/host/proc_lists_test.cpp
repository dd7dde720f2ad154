// Lists, the function tree and rights, review lists, account rights and order, usage
// texts, review folders and trails.
#include <gtest/gtest.h>

#include "HostTestSupport.h"

namespace {

using hosttest::BankTest;
using hosttest::I;
using hosttest::T;
using Lines = std::vector<std::string>;
using Row = std::vector<std::string>;

using ProcLists = BankTest;

std::size_t Depth(const std::string& line) {
  return line.find_first_not_of('\t');
}

TEST_F(ProcLists, ViewNodeOutlineIsIndentedByTabsInTheChosenLanguage) {
  Lines all = Column("Sh_GetViewNodeList 'CN','',''");
  ASSERT_EQ(all.size(), 22u);
  EXPECT_EQ(all[0], "1:系统管理");
  EXPECT_EQ(all[1], "\t101:用户设置");
  EXPECT_EQ(all[6], "2:客户管理");
  EXPECT_EQ(all[9], "\t930:客户开户行帐号");
  // Each line is at most one level deeper than the one before, as the tree view loads it.
  for (std::size_t i = 1; i < all.size(); ++i) {
    EXPECT_LE(Depth(all[i]), Depth(all[i - 1]) + 1);
  }
  EXPECT_EQ(Column("Sh_GetViewNodeList 'EN','',''")[9], "\t930:Customer bank account");
  EXPECT_EQ(Column("Sh_GetViewNodeList 'JP','',''")[0], "1:システム管理");

  // With a corporation and a user: the nodes the user may query and their parents.
  Lines mine = Column("Sh_GetViewNodeList 'CN','0012','000002'");
  Lines ids;
  for (const std::string& line : mine) {
    ids.push_back(line.substr(Depth(line), line.find(':') - Depth(line)));
  }
  EXPECT_EQ(ids, (Lines{"1", "104", "2", "201", "202", "930", "203", "3", "12", "13", "4", "403",
                        "407"}));
}

TEST_F(ProcLists, FunctionLookupNamesTheModuleServingTheNode) {
  EXPECT_EQ(Call("Sh_GetFunctionName 930,0").rows,
            (std::vector<Row>{{"ManageEdit.dll", "Mn_CustAcEdit", "ID", ""}}));
  EXPECT_EQ(Call("Sh_GetFunctionName 12,0").rows[0][1], "Mn_StatusFolderList");
  EXPECT_EQ(Call("Sh_GetFunctionName 1,0").rows, (std::vector<Row>{{"", "", "", ""}}));
}

TEST_F(ProcLists, NodeRightsAreTheMaskOfActiveMembersAndNoneOtherwise) {
  struct Case {
    const char* corp;
    const char* user;
    std::int64_t node;
    const char* mask;
  };
  const Case cases[] = {
      {"0012", "000001", 930, "11111000"},  {"0012", "000004", 201, "10000000"},
      {"0020", "000001", 201, "10000000"},  {"0031", "000001", 201, "00000000"},
      {"0012", "000006", 201, "00000000"},  // deleted user
      {"0012", "000002", 101, "00000000"},  {"0012", "000001", 77, "00000000"},
      {"0012 ", "000001", 930, "11111000"}, {"", "", 930, "00000000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Call("Sh_GetNodeRight", {T(c.corp), T(c.user), I(c.node)}).rows,
              (std::vector<Row>{{c.mask}}))
        << c.corp << "/" << c.user << "/" << c.node;
  }
}

TEST_F(ProcLists, NodeRightsFileAndItsBatchProcedures) {
  Lines file = Column("MN_GetNodeRightList '0012','000002'");
  ASSERT_EQ(file.size(), 14u);
  EXPECT_EQ(file[0], "[Right]");
  EXPECT_EQ(file[1], "1=10000000");
  EXPECT_EQ(file[2], "2=10000000");

  Call("MN_UpdateRightItem '0012','000002',101,'1'");
  Call("MN_UpdateRightItem '0012','000002',201,'00110000'");
  Call("MN_DeleteUserRightList '0012','000002',12");
  EXPECT_EQ(Scalar("SELECT rights FROM node_right WHERE user_id = '000002' AND node_id = 101"),
            "10000000");
  EXPECT_EQ(Scalar("SELECT rights FROM node_right WHERE user_id = '000002' AND node_id = 201"),
            "00110000");
  EXPECT_EQ(Count("SELECT count(*) FROM node_right WHERE user_id = '000002' AND node_id = 12"), 0);
}

TEST_F(ProcLists, UsersCorporationsAndReviewLists) {
  EXPECT_EQ(Column("MN_GetUserCorpList 'CN','000001'"),
            (Lines{"0012 演示贸易有限公司", "0020 华东机电进出口公司"}));
  // Every user of the corporation but the edited one and the deleted one.
  EXPECT_EQ(Column("MN_GetUserList '0012','000001'"),
            (Lines{"000002", "000003", "000004", "000005", "000007"}));
  EXPECT_EQ(Column("MN_GetCheckUserList '0012','000001'"), (Lines{"000002", "000007"}));

  Call("MN_DeleteUserCheckList '0012','000001'");
  Call("MN_InsertUserCheckList '0012','000001','000004'");
  Call("MN_InsertUserCheckList '0012','000001','000003:张丽'");
  Call("MN_InsertUserCheckList '0012','000001','000004'");
  EXPECT_EQ(Column("MN_GetCheckUserList '0012','000001'"), (Lines{"000003", "000004"}));
}

TEST_F(ProcLists, AccountListsFollowTheUsersOrderAndFilters) {
  Lines all = Column("MN_GetAcNoList 99,'','0012','000001'");
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[0], "310012000200001:USD 美元结算户");
  EXPECT_EQ(all[1], "310012000100001:CNY 人民币基本户");
  EXPECT_EQ(all[2], "310012000100002:CNY 人民币定期存款");
  EXPECT_EQ(Column("MN_GetAcNoList 0,'CNY','0012','000002'"),
            (Lines{"310012000100001:CNY 人民币基本户"}));
  EXPECT_EQ(Column("MN_GetAcNoList 99,'HKD','0012','000002'").size(), 1u);

  Lines order = {all[5], all[4], all[3], all[2], all[1], all[0]};
  for (std::size_t i = 0; i < order.size(); ++i) {
    Call("MN_UpdateAcOrder",
         {T(order[i]), T("0012"), T("000001"), I(static_cast<std::int64_t>(i))});
  }
  EXPECT_EQ(Column("MN_GetAcNoList 99,'','0012','000001'"), order);
  // Another user's order is his own.
  EXPECT_EQ(Column("MN_GetAcNoList 99,'','0012','000002'")[0], "310012000100001:CNY 人民币基本户");
}

TEST_F(ProcLists, AccountRightsAreReplacedByTheirBatchProcedures) {
  EXPECT_EQ(Column("MN_GetUserCheckAcList '0012','000002'"),
            (Lines{"310012000100001:CNY 人民币基本户", "310012000200001:USD 美元结算户"}));
  Call("MN_DeleteUserAcList '0012','000002'");
  Call("MN_InsertAcRightList '0012','000002','310012000300001'");
  Call("MN_InsertAcRightList '0012','000002','310012000400001:EUR 欧元结算户'");
  EXPECT_EQ(Column("MN_GetUserCheckAcList '0012','000002'"),
            (Lines{"310012000300001:HKD 港币结算户", "310012000400001:EUR 欧元结算户"}));
}

TEST_F(ProcLists, CurrencyCustomerAndUsageLists) {
  EXPECT_EQ(Column("MN_GetCurrencyCodeList"), (Lines{"CNY", "EUR", "GBP", "HKD", "JPY", "USD"}));
  EXPECT_EQ(Column("MN_GetCustomerList '0012','000002'"),
            (Lines{"C001", "C002", "C003", "C004", "C005"}));
  EXPECT_EQ(Column("MN_GetUsageList '0012','000002'"),
            (Lines{"货款", "运费", "服务费", "工资", "差旅费"}));

  Call("MN_UsageDelete '0012'");
  Call("MN_UsageInsert '0012','000002',' 运费',1");
  Call("MN_UsageInsert '0012','000002','O''Neil 货款',0");
  EXPECT_EQ(Column("MN_GetUsageList '0012','000001'"), (Lines{"O'Neil 货款", " 运费"}));
  EXPECT_NE(Fail("MN_UsageInsert '0012','000002','x',1").find("taken"), std::string::npos);
  // The other corporation's list is untouched.
  EXPECT_EQ(Column("MN_GetUsageList '0020','200001'").size(), 2u);
}

TEST_F(ProcLists, ReviewFoldersShowWhatEachUserMayHandle) {
  host::Answer check = Call("MN_GetCheckList 'CN','0012','000001'");
  ASSERT_EQ(check.rows.size(), 2u);
  EXPECT_EQ(check.rows[0],
            (Row{"12 汇款:B20261201001", "汇款", "310012000100001", "CNY", "12500.00",
                 "广州利源食品有限公司", "000002", "2026-12-01 09:15:00"}));
  EXPECT_EQ(check.rows[1][0], "13 外汇汇款:B20261201002");
  EXPECT_EQ(check.rows[1][4], "8800.50");
  // 000003 reviews only 000002; 000004 reviews nobody.
  EXPECT_EQ(Call("MN_GetCheckList 'EN','0012','000003'").rows.size(), 1u);
  EXPECT_EQ(Call("MN_GetCheckList 'EN','0012','000003'").rows[0][0], "12 Remittance:B20261201001");
  EXPECT_TRUE(Call("MN_GetCheckList 'CN','0012','000004'").rows.empty());
  // Authorisation is for levels A, D and S.
  EXPECT_EQ(Call("MN_GetAuthoriseList 'CN','0012','000003'").rows.size(), 1u);
  EXPECT_TRUE(Call("MN_GetAuthoriseList 'CN','0012','000004'").rows.empty());

  struct Case {
    const char* name;
    const char* biz;
  };
  const Case folders[] = {{"MN_GetSendList", "B20261201004"},
                          {"MN_GetDeletedList", "B20261129001"},
                          {"MN_GetRejectedList", "B20261128001"}};
  for (const Case& c : folders) {
    host::Answer a = Call(c.name, {T("CN"), T("0012"), T("000004")});
    ASSERT_EQ(a.rows.size(), 1u) << c.name;
    EXPECT_EQ(a.rows[0][0].substr(a.rows[0][0].find(':') + 1), c.biz);
    EXPECT_TRUE(Call(c.name, {T("CN"), T("0020"), T("200001")}).rows.empty());
    EXPECT_NE(Fail(c.name, {T("CN"), T("0031"), T("000002")}).find("does not belong"),
              std::string::npos);
  }
}

TEST_F(ProcLists, TrailsOfABusinessRecord) {
  host::Answer auth = Call("MN_GetAuthoriseFolder 12,'0012','000001','B20261130001'");
  EXPECT_EQ(auth.rows,
            (std::vector<Row>{{"B20261130001", "000003", "2026-11-30 14:30:00", "已授权"},
                              {"B20261130001", "000001", "2026-11-30 15:00:00", "已授权"}}));
  EXPECT_EQ(Call("MN_GetSignFolder 12,'0012','000001','B20261130001'").rows.size(), 2u);
  host::Answer audit = Call("MN_GetAuditFolder 12,'0012','000001','B20261130001'");
  ASSERT_EQ(audit.rows.size(), 5u);
  EXPECT_EQ(audit.rows[4],
            (Row{"B20261130001", "000001", "2026-11-30 15:05:00", "发送", "银行已受理"}));
  // Only the audit trail has rows for a record just entered.
  EXPECT_TRUE(Call("MN_GetAuthoriseFolder 12,'0012','000001','B20261201001'").rows.empty());
  EXPECT_EQ(Call("MN_GetAuditFolder 12,'0012','000001','B20261201001'").rows.size(), 1u);
}

TEST_F(ProcLists, CustomerAccountFolderRowsNameTheFunctionKeyAndCustomer) {
  host::Answer a = Call("MN_GetCustAcFolder 'CN','0012','000002','C001'");
  ASSERT_EQ(a.rows.size(), 2u);
  EXPECT_EQ(a.rows[0], (Row{"930:客户开户行帐号", "1", "C001", "CNY", "622202001234567890",
                            "中国工商银行上海分行", "使用"}));
  EXPECT_EQ(a.rows[1][5], "AUADHKHHXXX");  // first line of the bank's name and address
  EXPECT_EQ(Call("MN_GetCustAcFolder 'EN','0012','000002','C001'").rows[0][0],
            "930:Customer bank account");
  EXPECT_TRUE(Call("MN_GetCustAcFolder 'CN','0012','000002','C003'").rows.empty());
}

// Refusals raised before anything changes, each naming what was wrong.
TEST_F(ProcLists, RefusedCallsNameTheirProblem) {
  struct Case {
    const char* command;
    const char* says;
  };
  const Case cases[] = {
      {"Sh_GetViewNodeList 'FR','',''", "language"},
      {"Sh_GetViewNodeList 'CN','0020','000002'", "does not belong"},
      {"Sh_GetFunctionName 77,0", "function 77"},
      {"Sh_GetFunctionName 930,1", "sub function"},
      {"MN_UpdateRightItem '0012','000002',101,'2'", "mask"},
      {"MN_UpdateRightItem '0012','000002',101,'111111111'", "mask"},
      {"MN_UpdateRightItem '0012','000002',-1,'1'", "node -1"},
      {"MN_DeleteUserRightList '0012','200001',12", "does not belong"},
      {"MN_GetNodeRightList '0031','000001'", "does not belong"},
      {"MN_GetUserCorpList 'XX','000001'", "language"},
      {"MN_GetUserCorpList 'CN','999999'", "999999"},
      {"MN_InsertUserCheckList '0012','000001','000001'", "own"},
      {"MN_InsertUserCheckList '0012','000001','200002'", "does not belong"},
      {"MN_UpdateAcOrder '999:X','0012','000001',0", "account 999"},
      {"MN_UpdateAcOrder '310012000200001:USD 美元结算户','0012','000001',-1", "negative"},
      {"MN_GetAcNoList 99,'DOLLAR','0012','000001'", "currency"},
      {"MN_InsertAcRightList '0012','000002','320020000100001'", "does not exist"},
      {"MN_GetCustomerList '0012','200001'", "does not belong"},
      {"MN_UsageInsert '0012','000002','  ',2", "empty"},
      {"MN_UsageInsert '0012','200001','x',2", "does not belong"},
      {"MN_GetAuditFolder 12,'0020','000001','B20261130001'", "does not exist"},
      {"MN_GetAuditFolder 12,'0012','000001','1111111111111111'", "longer"},
      {"MN_GetCustAcFolder 'CN','0012','000002','C999'", "C999"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(Fail(c.command).find(c.says), std::string::npos) << c.command;
  }
}

}  // namespace
