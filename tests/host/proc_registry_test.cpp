// The procedure table: every command the module sends is there under its exact name
// with the argument kinds the module sends; the user report's select is recognised
// by its exact template only.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "HostTestSupport.h"
#include "host/Procedure.h"

namespace {

using hosttest::BankTest;

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

const std::string kHead =
    "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' else "
    "'停用' end) Status,convert(char(10),CardDate,120) FromDate,convert(char(10),ExpiryDate,120) "
    "ExpiryDate,convert(char(10),CardDate,120) CardDate from tb_mn_login where CorpId=";

TEST(ProcRegistry, UserReportSelectMatchesOnlyItsExactTemplate) {
  struct Case {
    std::string sql;
    bool match;
    std::string corp;
  };
  const Case cases[] = {
      {kHead + "'0012'", true, "0012"},
      {kHead + "'O''Neil'", true, "O'Neil"},
      {kHead + "''", true, ""},
      {kHead + "'0012' ", false, ""},
      {kHead + "'0012' or 1=1", false, ""},
      {kHead + "'0012';drop table corp", false, ""},
      {kHead + "0012", false, ""},
      {kHead + "'a'b'", false, ""},
      {"SELECT" + kHead.substr(6) + "'0012'", false, ""},
      {kHead.substr(0, kHead.size() - 1) + " ='0012'", false, ""},
  };
  for (const Case& c : cases) {
    std::string corp = "unchanged";
    EXPECT_EQ(host::MatchUserReportSelect(c.sql, corp), c.match) << c.sql;
    EXPECT_EQ(corp, c.match ? c.corp : "unchanged") << c.sql;
  }
}

using ProcReport = BankTest;

TEST_F(ProcReport, ListsHomeUsersWithStatusTextsAndDates) {
  host::Answer a = host::RunUserReport(*db_, "0012");
  ASSERT_EQ(a.rows.size(), 7u);
  using Row = std::vector<std::string>;
  EXPECT_EQ(a.rows[0],
            (Row{"000001", "王建国", "D", "启用", "2025-03-01", "2028-02-29", "2025-03-01"}));
  EXPECT_EQ(a.rows[4][3], "待激活");  // status 9
  EXPECT_EQ(a.rows[5][3], "停用");    // status 0
  EXPECT_EQ(a.rows[6][3], "停用");    // status 1
  EXPECT_EQ(a.rows[6][5], "");        // no expiry date
  // 000001 also works for 0020 but belongs to 0012: only 0020's own users are listed.
  EXPECT_EQ(host::RunUserReport(*db_, "0020").rows.size(), 2u);
  EXPECT_THROW(host::RunUserReport(*db_, "9999"), host::ProcedureError);
}

}  // namespace
