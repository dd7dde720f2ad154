// The procedure table: every command the module sends under its exact name and
// argument kinds; readers (run without the write lock) never write; the user report's
// select is recognised by its exact template only.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "HostTestSupport.h"
#include "host/CommandParser.h"
#include "host/Procedure.h"

namespace {

using hosttest::T;

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

using ProcAccess = hosttest::BankTest;

// Run in the engine's read transaction, where a write raises.
TEST_F(ProcAccess, EveryReaderAnswersWithoutWritingAndEveryWriterIsRefused) {
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

using ProcReport = hosttest::BankTest;

// Status 9 awaits activation, 0 and 1 are stopped; 000001 also works for 0020 but
// belongs to 0012: only a corporation's own users are listed.
TEST_F(ProcReport, ListsHomeUsersWithStatusTextsAndDates) {
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
