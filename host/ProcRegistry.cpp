// The table of the server's procedures, by exact name.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "host/ProcList.h"

namespace host {

namespace {

// Sorted by name (byte order) for the binary search; signatures give each argument's
// kind in the order the module sends them.
constexpr ProcedureSpec kProcedures[] = {
    {"MB_GetSwfAddress", "t", MB_GetSwfAddress},
    {"MB_GetSwiftBankByAny", "tt", MB_GetSwiftBankByAny},
    {"MB_GetSwiftBankByLeft", "tt", MB_GetSwiftBankByLeft},
    {"MB_GetSwiftBankBySwfCode", "t", MB_GetSwiftBankBySwfCode},
    {"MN_CustCNYAcDelete", "tt", MN_CustCNYAcDelete},
    {"MN_CustCNYAcExists", "tt", MN_CustCNYAcExists},
    {"MN_CustCNYAcUpdate", "ttt", MN_CustCNYAcUpdate},
    {"MN_CustExport", "ti", MN_CustExport},
    {"MN_CustSnapIn", "itttttt", MN_CustSnapIn},
    {"MN_CustomerDelete", "tt", MN_CustomerDelete},
    {"MN_CustomerExists", "tt", MN_CustomerExists},
    {"MN_CustomerUpdate", "ttt", MN_CustomerUpdate},
    {"MN_DeleteUserAcList", "tt", MN_DeleteUserAcList},
    {"MN_DeleteUserCheckList", "tt", MN_DeleteUserCheckList},
    {"MN_DeleteUserRightList", "tti", MN_DeleteUserRightList},
    {"MN_GetAcNoList", "ittt", MN_GetAcNoList},
    {"MN_GetAuditFolder", "ittt", MN_GetAuditFolder},
    {"MN_GetAuthoriseFolder", "ittt", MN_GetAuthoriseFolder},
    {"MN_GetAuthoriseList", "ttt", MN_GetAuthoriseList},
    {"MN_GetCheckList", "ttt", MN_GetCheckList},
    {"MN_GetCheckUserList", "tt", MN_GetCheckUserList},
    {"MN_GetCorpName", "t", MN_GetCorpName},
    {"MN_GetCurrencyCodeList", "", MN_GetCurrencyCodeList},
    {"MN_GetCustAcFolder", "tttt", MN_GetCustAcFolder},
    {"MN_GetCustomerList", "tt", MN_GetCustomerList},
    {"MN_GetDeletedList", "ttt", MN_GetDeletedList},
    {"MN_GetNodeRightList", "tt", MN_GetNodeRightList},
    {"MN_GetPropOfAccount", "tt", MN_GetPropOfAccount},
    {"MN_GetPropOfCustAc", "i", MN_GetPropOfCustAc},
    {"MN_GetPropOfCustCNYAc", "tt", MN_GetPropOfCustCNYAc},
    {"MN_GetPropOfCustomer", "tt", MN_GetPropOfCustomer},
    {"MN_GetPropOfUser", "t", MN_GetPropOfUser},
    {"MN_GetRejectedList", "ttt", MN_GetRejectedList},
    {"MN_GetSendList", "ttt", MN_GetSendList},
    {"MN_GetSignFolder", "ittt", MN_GetSignFolder},
    {"MN_GetUsageList", "tt", MN_GetUsageList},
    {"MN_GetUserCheckAcList", "tt", MN_GetUserCheckAcList},
    {"MN_GetUserCorpList", "tt", MN_GetUserCorpList},
    {"MN_GetUserList", "tt", MN_GetUserList},
    {"MN_InsertAcRightList", "ttt", MN_InsertAcRightList},
    {"MN_InsertUserCheckList", "ttt", MN_InsertUserCheckList},
    {"MN_UpdateAcOrder", "ttti", MN_UpdateAcOrder},
    {"MN_UpdateAccountRec", "ittti", MN_UpdateAccountRec},
    {"MN_UpdateCustAcRec", "iitttttitttti", MN_UpdateCustAcRec},
    {"MN_UpdateCustCNYAcRec", "ittttttittt", MN_UpdateCustCNYAcRec},
    {"MN_UpdateCustomerRec", "ittttttti", MN_UpdateCustomerRec},
    {"MN_UpdateRightItem", "ttit", MN_UpdateRightItem},
    {"MN_UsageDelete", "t", MN_UsageDelete},
    {"MN_UsageInsert", "ttti", MN_UsageInsert},
    {"ST_GetBankSimple", "i", ST_GetBankSimple},
    {"Sh_GetFunctionName", "ii", Sh_GetFunctionName},
    {"Sh_GetNodeRight", "tti", Sh_GetNodeRight},
    {"Sh_GetViewNodeList", "ttt", Sh_GetViewNodeList},
};

}  // namespace

const ProcedureSpec* FindProcedure(const std::string& name) {
  auto less = [](const ProcedureSpec& spec, const std::string& key) {
    return std::strcmp(spec.name, key.c_str()) < 0;
  };
  const ProcedureSpec* end = std::end(kProcedures);
  const ProcedureSpec* it = std::lower_bound(std::begin(kProcedures), end, name, less);
  return it != end && name == it->name ? it : nullptr;
}

// Every procedure, in name order (for documentation and tests).
std::span<const ProcedureSpec> AllProcedures() {
  return kProcedures;
}

}  // namespace host
