// The procedure table and the user report's select; lists, the function tree and
// rights, review lists, account rights and order, usage texts, folders and trails.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "HostTestSupport.h"
#include "host/CommandParser.h"
#include "host/Procedure.h"

namespace {

using hosttest::I;
using hosttest::T;
using Lines = std::vector<std::string>;

using ProcLists = hosttest::BankTest;

std::size_t Depth(const std::string& line) {
  return line.find_first_not_of('\t');
}

TEST_F(ProcLists, ViewNodeOutlineIsIndentedByTabsInTheChosenLanguage) {
  const Lines all = Column("Sh_GetViewNodeList 'CN','',''");
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
  Lines ids;
  for (const std::string& line : Column("Sh_GetViewNodeList 'CN','0012','000002'")) {
    ids.push_back(line.substr(Depth(line), line.find(':') - Depth(line)));
  }
  EXPECT_EQ(ids, (Lines{"1", "104", "2", "201", "202", "930", "203", "3", "12", "13", "4", "403",
                        "407"}));
}

// A node's rights are the mask of an active member of the corporation, none otherwise.
TEST_F(ProcLists, FunctionsAndNodeRights) {
  Expect({
      {"Sh_GetFunctionName 930,0", "ManageEdit.dll|Mn_CustAcEdit|ID|"},
      {"Sh_GetFunctionName 12,0", "ManageEdit.dll|Mn_StatusFolderList||"},
      {"Sh_GetFunctionName 1,0", "|||"},
      {"Sh_GetNodeRight '0012','000001',930", "11111000"},
      {"Sh_GetNodeRight '0020','000001',201", "10000000"},
      {"Sh_GetNodeRight '0031','000001',201", "00000000"},
      {"Sh_GetNodeRight '0012','000006',201", "00000000"},  // deleted user
      {"Sh_GetNodeRight '0012','000002',101", "00000000"},
      {"Sh_GetNodeRight '0012 ','000001',930", "11111000"},
  });
  const Lines file = Column("MN_GetNodeRightList '0012','000002'");
  ASSERT_EQ(file.size(), 14u);
  EXPECT_EQ(Lines(file.begin(), file.begin() + 3), (Lines{"[Right]", "1=10000000", "2=10000000"}));
  Call("MN_UpdateRightItem '0012','000002',101,'1'");
  Call("MN_UpdateRightItem '0012','000002',201,'00110000'");
  Call("MN_DeleteUserRightList '0012','000002',12");
  const char* rights = "SELECT rights FROM node_right WHERE user_id = '000002' AND node_id = ?";
  EXPECT_EQ(Scalar(rights, {"101"}), "10000000");
  EXPECT_EQ(Scalar(rights, {"201"}), "00110000");
  EXPECT_EQ(Scalar(rights, {"12"}), "<none>");
}

TEST_F(ProcLists, UsersCorporationsAccountsCurrenciesAndUsageTexts) {
  Expect({
      {"MN_GetUserCorpList 'CN','000001'", "0012 演示贸易有限公司\n0020 华东机电进出口公司"},
      {"MN_GetUserCorpList 'JP','000001'", "0012 演示贸易有限公司\n0020 华东机电进出口公司"},
      // Every user of the corporation but the edited one and the deleted one.
      {"MN_GetUserList '0012','000001'", "000002\n000003\n000004\n000005\n000007"},
      {"MN_GetCheckUserList '0012','000001'", "000002\n000007"},
      {"MN_DeleteUserCheckList '0012','000001'", ""},
      {"MN_InsertUserCheckList '0012','000001','000004'", ""},
      {"MN_InsertUserCheckList '0012','000001','000003:张丽'", ""},
      {"MN_InsertUserCheckList '0012','000001','000004'", ""},
      {"MN_GetCheckUserList '0012','000001'", "000003\n000004"},
      {"MN_GetAcNoList 0,'CNY','0012','000002'", "310012000100001:CNY 人民币基本户"},
      {"MN_GetAcNoList 99,'HKD','0012','000002'", "310012000300001:HKD 港币结算户"},
      {"MN_GetUserCheckAcList '0012','000002'",
       "310012000100001:CNY 人民币基本户\n310012000200001:USD 美元结算户"},
      {"MN_DeleteUserAcList '0012','000002'", ""},
      {"MN_InsertAcRightList '0012','000002','310012000300001'", ""},
      {"MN_InsertAcRightList '0012','000002','310012000400001:EUR 欧元结算户'", ""},
      {"MN_GetUserCheckAcList '0012','000002'",
       "310012000300001:HKD 港币结算户\n310012000400001:EUR 欧元结算户"},
      {"MN_GetCurrencyCodeList", "CNY\nEUR\nGBP\nHKD\nJPY\nUSD"},
      {"MN_GetCustomerList '0012','000002'", "C001\nC002\nC003\nC004\nC005"},
      {"MN_GetUsageList '0012','000002'", "货款\n运费\n服务费\n工资\n差旅费"},
      {"MN_UsageDelete '0012'", ""},
      {"MN_UsageInsert '0012','000002',' 运费',1", ""},
      {"MN_UsageInsert '0012','000002','O''Neil 货款',0", ""},
      {"MN_GetUsageList '0012','000001'", "O'Neil 货款\n 运费"},
      {"MN_UsageInsert '0012','000002','x',1", "!taken"},
      {"MN_GetUsageList '0020','200001'", "设备款\n货款"},  // the other corporation's
  });

  // Each user keeps his own order of the accounts.
  const Lines all = Column("MN_GetAcNoList 99,'','0012','000001'");
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(Lines(all.begin(), all.begin() + 3),
            (Lines{"310012000200001:USD 美元结算户", "310012000100001:CNY 人民币基本户",
                   "310012000100002:CNY 人民币定期存款"}));
  const Lines order(all.rbegin(), all.rend());
  for (std::size_t i = 0; i < order.size(); ++i) {
    Call("MN_UpdateAcOrder",
         {T(order[i]), T("0012"), T("000001"), I(static_cast<std::int64_t>(i))});
  }
  EXPECT_EQ(Column("MN_GetAcNoList 99,'','0012','000001'"), order);
  EXPECT_EQ(Column("MN_GetAcNoList 99,'','0012','000002'")[0], "310012000100001:CNY 人民币基本户");
}

// 000003 reviews only 000002's records, 000004 nobody's; authorisation is for levels
// A, D and S. The trails: only the audit trail has rows for a record just entered.
TEST_F(ProcLists, ReviewListsFoldersAndTrailsShowWhatEachUserMayHandle) {
  Expect({
      {"MN_GetCheckList 'CN','0012','000001'",
       "12 汇款:B20261201001|汇款|310012000100001|CNY|12500.00|广州利源食品有限公司|000002|"
       "2026-12-01 09:15:00\n"
       "13 外汇汇款:B20261201002|外汇汇款|310012000200001|USD|8800.50|深圳海岸物流有限公司|000007|"
       "2026-12-01 09:40:00"},
      {"MN_GetCheckList 'EN','0012','000003'",
       "12 Remittance:B20261201001|Remittance|310012000100001|CNY|12500.00|广州利源食品有限公司|"
       "000002|2026-12-01 09:15:00"},
      {"MN_GetCheckList 'CN','0012','000004'", ""},
      {"MN_GetAuthoriseList 'CN','0012','000003'",
       "12 汇款:B20261201003|汇款|310012000100001|CNY|34567.80|上海电力公司|000002|"
       "2026-12-01 10:05:00"},
      {"MN_GetAuthoriseList 'CN','0012','000004'", ""},
      {"MN_GetAuthoriseFolder 12,'0012','000001','B20261130001'",
       "B20261130001|000003|2026-11-30 14:30:00|已授权\n"
       "B20261130001|000001|2026-11-30 15:00:00|已授权"},
      {"MN_GetAuthoriseFolder 12,'0012','000001','B20261201001'", ""},
      {"MN_GetAuditFolder 12,'0012','000001','B20261201001'",
       "B20261201001|000002|2026-12-01 09:15:00|录入|成功"},
      {"MN_GetCustAcFolder 'CN','0012','000002','C001'",
       "930:客户开户行帐号|1|C001|CNY|622202001234567890|中国工商银行上海分行|使用\n"
       "930:客户开户行帐号|2|C001|USD|88001234567|AUADHKHHXXX|使用"},  // the bank's first line
      {"MN_GetCustAcFolder 'EN','0012','000002','C001'",
       "930:Customer bank account|1|C001|CNY|622202001234567890|中国工商银行上海分行|Active\n"
       "930:Customer bank account|2|C001|USD|88001234567|AUADHKHHXXX|Active"},
      {"MN_GetCustAcFolder 'CN','0012','000002','C003'", ""},
  });
  EXPECT_EQ(Call("MN_GetSignFolder 12,'0012','000001','B20261130001'").rows.size(), 2u);
  const host::Answer audit = Call("MN_GetAuditFolder 12,'0012','000001','B20261130001'");
  ASSERT_EQ(audit.rows.size(), 5u);
  EXPECT_EQ(audit.rows[4],
            (Lines{"B20261130001", "000001", "2026-11-30 15:05:00", "发送", "银行已受理"}));
  const std::pair<const char*, const char*> folders[] = {{"MN_GetSendList", "B20261201004"},
                                                         {"MN_GetDeletedList", "B20261129001"},
                                                         {"MN_GetRejectedList", "B20261128001"}};
  for (const auto& [name, biz] : folders) {
    const host::Answer a = Call(name, {T("CN"), T("0012"), T("000004")});
    ASSERT_EQ(a.rows.size(), 1u) << name;
    EXPECT_EQ(a.rows[0][0].substr(a.rows[0][0].find(':') + 1), biz);
  }
}

// Refusals raised before anything changes, each naming what was wrong.
TEST_F(ProcLists, RefusedCallsNameTheirProblem) {
  Expect({
      {"Sh_GetViewNodeList 'FR','',''", "!language"},
      {"Sh_GetViewNodeList 'CN','0020','000002'", "!does not belong"},
      {"Sh_GetFunctionName 77,0", "!function 77"},
      {"Sh_GetFunctionName 930,1", "!sub function"},
      {"MN_UpdateRightItem '0012','000002',101,'2'", "!mask"},
      {"MN_UpdateRightItem '0012','000002',101,'111111111'", "!mask"},
      {"MN_UpdateRightItem '0012','000002',-1,'1'", "!node -1"},
      {"MN_DeleteUserRightList '0012','200001',12", "!does not belong"},
      {"MN_GetNodeRightList '0031','000001'", "!does not belong"},
      {"MN_GetUserCorpList 'XX','000001'", "!unknown language id 'XX' (CN, EN or JP)"},
      {"MN_GetUserCorpList 'CN','999999'", "!999999"},
      {"MN_InsertUserCheckList '0012','000001','000001'", "!own"},
      {"MN_InsertUserCheckList '0012','000001','200002'", "!does not belong"},
      {"MN_UpdateAcOrder '999:X','0012','000001',0", "!account 999"},
      {"MN_UpdateAcOrder '310012000200001:USD 美元结算户','0012','000001',-1", "!negative"},
      {"MN_GetAcNoList 99,'DOLLAR','0012','000001'", "!currency"},
      {"MN_InsertAcRightList '0012','000002','320020000100001'", "!does not exist"},
      {"MN_GetCustomerList '0012','200001'", "!does not belong"},
      {"MN_UsageInsert '0012','000002','  ',2", "!empty"},
      {"MN_UsageInsert '0012','200001','x',2", "!does not belong"},
      {"MN_GetAuditFolder 12,'0020','000001','B20261130001'", "!does not exist"},
      {"MN_GetAuditFolder 12,'0012','000001','1111111111111111'", "!longer"},
      {"MN_GetCustAcFolder 'CN','0012','000002','C999'", "!C999"},
      {"MN_GetSendList 'CN','0031','000002'", "!does not belong"},
  });
}

// Every command of the catalogue as name:argument kinds of its template.
const char kCatalogue[] =
    "MN_GetAcNoList:ittt MN_GetCurrencyCodeList: MN_GetCustomerList:tt MN_GetUsageList:tt "
    "MN_GetUserList:tt MN_GetCheckUserList:tt MN_GetUserCheckAcList:tt MN_GetCorpName:t "
    "MB_GetSwfAddress:t ST_GetBankSimple:i Sh_GetViewNodeList:ttt Sh_GetFunctionName:ii "
    "Sh_GetNodeRight:tti MN_GetPropOfUser:t MN_GetPropOfAccount:tt MN_GetPropOfCustomer:tt "
    "MN_GetPropOfCustAc:i MN_GetPropOfCustCNYAc:tt MN_UpdateAccountRec:ittti "
    "MN_UpdateCustomerRec:ittttttti MN_UpdateCustAcRec:iitttttitttti "
    "MN_UpdateCustCNYAcRec:ittttttittt MN_GetCustAcFolder:tttt MN_GetAuthoriseFolder:ittt "
    "MN_GetSignFolder:ittt MN_GetAuditFolder:ittt MN_GetUserCorpList:tt "
    "MN_GetNodeRightList:tt MN_DeleteUserCheckList:tt MN_InsertUserCheckList:ttt "
    "MN_DeleteUserAcList:tt MN_InsertAcRightList:ttt MN_DeleteUserRightList:tti "
    "MN_UpdateRightItem:ttit MN_UsageDelete:t MN_UsageInsert:ttti MB_GetSwiftBankByLeft:tt "
    "MB_GetSwiftBankByAny:tt MB_GetSwiftBankBySwfCode:t MN_CustCNYAcExists:tt "
    "MN_CustCNYAcDelete:tt MN_CustCNYAcUpdate:ttt MN_CustomerExists:tt MN_CustomerDelete:tt "
    "MN_CustomerUpdate:ttt MN_CustSnapIn:itttttt MN_CustExport:ti MN_UpdateAcOrder:ttti "
    "MN_GetCheckList:ttt MN_GetAuthoriseList:ttt MN_GetSendList:ttt MN_GetDeletedList:ttt "
    "MN_GetRejectedList:ttt";

TEST(ProcRegistry, EveryCatalogueCommandHasItsSignatureAndNothingElseIsListed) {
  std::set<std::string> names;
  std::istringstream catalogue(kCatalogue);
  for (std::string entry; catalogue >> entry;) {
    const std::string name = entry.substr(0, entry.find(':'));
    const host::ProcedureSpec* proc = host::FindProcedure(name);
    ASSERT_NE(proc, nullptr) << name;
    EXPECT_EQ(proc->signature, entry.substr(name.size() + 1)) << name;
    names.insert(name);
  }
  EXPECT_EQ(host::AllProcedures().size(), names.size());
  for (const host::ProcedureSpec& proc : host::AllProcedures()) {
    EXPECT_EQ(names.count(proc.name), 1u) << proc.name;
  }
  // Lookup is exact: case, blanks and prefixes name no procedure.
  for (const char* name : {"mn_getcorpname", "MN_GetCorpName ", "MN_GetCorp", ""}) {
    EXPECT_EQ(host::FindProcedure(name), nullptr) << name;
  }
}

// A call of every reader that finds its records, so the whole procedure runs.
const char kReaderCalls[] =
    "exec MB_GetSwfAddress 'LOLCGB2L'\nexec MB_GetSwiftBankByAny 'savings','tokyo'\n"
    "exec MB_GetSwiftBankByLeft 'lotus',''\nexec MB_GetSwiftBankBySwfCode 'LOLCGB2LAXXX'\n"
    "exec MN_CustCNYAcExists 'P003','0012'\nexec MN_CustExport '0012',0\n"
    "exec MN_CustExport '0012',1\nexec MN_CustomerExists 'C004','0012'\n"
    "exec MN_GetAcNoList 99,'','0012','000002'\n"
    "exec MN_GetAuditFolder 12,'0012','000001','B20261130001'\n"
    "exec MN_GetAuthoriseFolder 12,'0012','000001','B20261130001'\n"
    "exec MN_GetAuthoriseList 'CN','0012','000003'\nexec MN_GetCheckList 'CN','0012','000001'\n"
    "exec MN_GetCheckUserList '0012','000001'\nexec MN_GetCorpName '0020'\n"
    "exec MN_GetCurrencyCodeList\nexec MN_GetCustAcFolder 'CN','0012','000002','C001'\n"
    "exec MN_GetCustomerList '0012','000002'\nexec MN_GetDeletedList 'CN','0012','000004'\n"
    "exec MN_GetNodeRightList '0012','000002'\n"
    "exec MN_GetPropOfAccount '0012','310012000400001'\nexec MN_GetPropOfCustAc 1\n"
    "exec MN_GetPropOfCustCNYAc '0012','P001'\nexec MN_GetPropOfCustomer '0012','C002'\n"
    "exec MN_GetPropOfUser '000001'\nexec MN_GetRejectedList 'CN','0012','000004'\n"
    "exec MN_GetSendList 'CN','0012','000002'\n"
    "exec MN_GetSignFolder 12,'0012','000001','B20261130001'\n"
    "exec MN_GetUsageList '0012','000001'\nexec MN_GetUserCheckAcList '0012','000002'\n"
    "exec MN_GetUserCorpList 'CN','000001'\nexec MN_GetUserList '0012','000001'\n"
    "exec ST_GetBankSimple 3\nexec Sh_GetFunctionName 12,0\n"
    "exec Sh_GetNodeRight '0012','000003',101\n"
    "exec Sh_GetViewNodeList 'CN','0012','000002'\n";

// Run in the engine's read transaction, where a write raises.
TEST_F(ProcLists, EveryReaderAnswersWithoutWritingAndEveryWriterIsRefused) {
  std::set<std::string> sampled;
  host::ParsedCommand calls;
  std::string error;
  ASSERT_TRUE(host::ParseCommand(kReaderCalls, calls, error)) << error;
  for (const host::Call& sample : calls.calls) {
    const host::ProcedureSpec* proc = host::FindProcedure(sample.name);
    ASSERT_NE(proc, nullptr) << sample.name;
    EXPECT_EQ(proc->access, host::Access::Reads) << sample.name << " reads but takes the lock";
    sampled.insert(sample.name);
    try {
      EXPECT_FALSE(Call(sample.name, sample.args, host::Access::Reads).rows.empty()) << sample.name;
    } catch (const std::exception& e) {
      ADD_FAILURE() << sample.name << ": " << e.what();
    }
  }
  for (const host::ProcedureSpec& proc : host::AllProcedures()) {
    if (proc.access == host::Access::Reads) {
      EXPECT_EQ(sampled.count(proc.name), 1u) << proc.name << " is marked as a reader";
    }
  }
  // The guard itself: a writer run the same way is stopped and changes nothing.
  const host::ProcedureSpec* writer = host::FindProcedure("MN_CustomerDelete");
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(writer->access, host::Access::Writes);
  EXPECT_ANY_THROW(Call("MN_CustomerDelete", {T("C003"), T("0012")}, host::Access::Reads));
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id = 'C003'"), 1);
}

const std::string kHead =
    "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' else "
    "'停用' end) Status,convert(char(10),CardDate,120) FromDate,convert(char(10),ExpiryDate,120) "
    "ExpiryDate,convert(char(10),CardDate,120) CardDate from tb_mn_login where CorpId=";

TEST(ProcRegistry, UserReportSelectMatchesOnlyItsExactTemplate) {
  const struct {
    std::string sql;
    const char* corp;  // nullptr: no match
  } cases[] = {
      {kHead + "'0012'", "0012"},
      {kHead + "'O''Neil'", "O'Neil"},
      {kHead + "''", ""},
      {kHead + "'0012' ", nullptr},
      {kHead + "'0012' or 1=1", nullptr},
      {kHead + "0012", nullptr},
      {kHead + "'a'b'", nullptr},
      {"SELECT" + kHead.substr(6) + "'0012'", nullptr},
  };
  for (const auto& c : cases) {
    std::string corp = "unchanged";
    EXPECT_EQ(host::MatchUserReportSelect(c.sql, corp), c.corp != nullptr) << c.sql;
    EXPECT_EQ(corp, c.corp ? c.corp : "unchanged") << c.sql;
  }
}

// Status 9 awaits activation, 0 and 1 are stopped; 000001 also works for 0020 but
// belongs to 0012: only a corporation's own users are listed.
TEST_F(ProcLists, ListsHomeUsersWithStatusTextsAndDates) {
  const host::Answer a = host::RunUserReport(*db_, "0012");
  ASSERT_EQ(a.rows.size(), 7u);
  using Row = std::vector<std::string>;
  EXPECT_EQ(a.rows[0],
            (Row{"000001", "王建国", "D", "启用", "2025-03-01", "2028-02-29", "2025-03-01"}));
  EXPECT_EQ(a.rows[4][3] + a.rows[5][3] + a.rows[6][3], "待激活停用停用");
  EXPECT_EQ(a.rows[6][5], "");  // no expiry date
  EXPECT_EQ(host::RunUserReport(*db_, "0020").rows.size(), 2u);
  EXPECT_THROW(host::RunUserReport(*db_, "9999"), host::ProcedureError);
}

}  // namespace
