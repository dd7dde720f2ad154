// The table of the server's procedures, by exact name.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "host/ProcList.h"

namespace host {

namespace {

constexpr Access kReads = Access::Reads;
constexpr Access kWrites = Access::Writes;

// Sorted by name (byte order) for the binary search; signatures give each argument's
// kind in the order the module sends them.
constexpr ProcedureSpec kProcedures[] = {
    {"MB_GetSwfAddress", "t", MB_GetSwfAddress, kReads},
    {"MB_GetSwiftBankByAny", "tt", MB_GetSwiftBankByAny, kReads},
    {"MB_GetSwiftBankByLeft", "tt", MB_GetSwiftBankByLeft, kReads},
    {"MB_GetSwiftBankBySwfCode", "t", MB_GetSwiftBankBySwfCode, kReads},
    {"MN_CustCNYAcDelete", "tt", MN_CustCNYAcDelete, kWrites},
    {"MN_CustCNYAcExists", "tt", MN_CustCNYAcExists, kReads},
    {"MN_CustCNYAcUpdate", "ttt", MN_CustCNYAcUpdate, kWrites},
    {"MN_CustExport", "ti", MN_CustExport, kReads},
    {"MN_CustSnapIn", "itttttt", MN_CustSnapIn, kWrites},
    {"MN_CustomerDelete", "tt", MN_CustomerDelete, kWrites},
    {"MN_CustomerExists", "tt", MN_CustomerExists, kReads},
    {"MN_CustomerUpdate", "ttt", MN_CustomerUpdate, kWrites},
    {"MN_DeleteUserAcList", "tt", MN_DeleteUserAcList, kWrites},
    {"MN_DeleteUserCheckList", "tt", MN_DeleteUserCheckList, kWrites},
    {"MN_DeleteUserRightList", "tti", MN_DeleteUserRightList, kWrites},
    {"MN_GetAcNoList", "ittt", MN_GetAcNoList, kReads},
    {"MN_GetAuditFolder", "ittt", MN_GetAuditFolder, kReads},
    {"MN_GetAuthoriseFolder", "ittt", MN_GetAuthoriseFolder, kReads},
    {"MN_GetAuthoriseList", "ttt", MN_GetAuthoriseList, kReads},
    {"MN_GetCheckList", "ttt", MN_GetCheckList, kReads},
    {"MN_GetCheckUserList", "tt", MN_GetCheckUserList, kReads},
    {"MN_GetCorpName", "t", MN_GetCorpName, kReads},
    {"MN_GetCurrencyCodeList", "", MN_GetCurrencyCodeList, kReads},
    {"MN_GetCustAcFolder", "tttt", MN_GetCustAcFolder, kReads},
    {"MN_GetCustomerList", "tt", MN_GetCustomerList, kReads},
    {"MN_GetDeletedList", "ttt", MN_GetDeletedList, kReads},
    {"MN_GetNodeRightList", "tt", MN_GetNodeRightList, kReads},
    {"MN_GetPropOfAccount", "tt", MN_GetPropOfAccount, kReads},
    {"MN_GetPropOfCustAc", "i", MN_GetPropOfCustAc, kReads},
    {"MN_GetPropOfCustCNYAc", "tt", MN_GetPropOfCustCNYAc, kReads},
    {"MN_GetPropOfCustomer", "tt", MN_GetPropOfCustomer, kReads},
    {"MN_GetPropOfUser", "t", MN_GetPropOfUser, kReads},
    {"MN_GetRejectedList", "ttt", MN_GetRejectedList, kReads},
    {"MN_GetSendList", "ttt", MN_GetSendList, kReads},
    {"MN_GetSignFolder", "ittt", MN_GetSignFolder, kReads},
    {"MN_GetUsageList", "tt", MN_GetUsageList, kReads},
    {"MN_GetUserCheckAcList", "tt", MN_GetUserCheckAcList, kReads},
    {"MN_GetUserCorpList", "tt", MN_GetUserCorpList, kReads},
    {"MN_GetUserList", "tt", MN_GetUserList, kReads},
    {"MN_InsertAcRightList", "ttt", MN_InsertAcRightList, kWrites},
    {"MN_InsertUserCheckList", "ttt", MN_InsertUserCheckList, kWrites},
    {"MN_UpdateAcOrder", "ttti", MN_UpdateAcOrder, kWrites},
    {"MN_UpdateAccountRec", "ittti", MN_UpdateAccountRec, kWrites},
    {"MN_UpdateCustAcRec", "iitttttitttti", MN_UpdateCustAcRec, kWrites},
    {"MN_UpdateCustCNYAcRec", "ittttttittt", MN_UpdateCustCNYAcRec, kWrites},
    {"MN_UpdateCustomerRec", "ittttttti", MN_UpdateCustomerRec, kWrites},
    {"MN_UpdateRightItem", "ttit", MN_UpdateRightItem, kWrites},
    {"MN_UsageDelete", "t", MN_UsageDelete, kWrites},
    {"MN_UsageInsert", "ttti", MN_UsageInsert, kWrites},
    {"ST_GetBankSimple", "i", ST_GetBankSimple, kReads},
    {"Sh_GetFunctionName", "ii", Sh_GetFunctionName, kReads},
    {"Sh_GetNodeRight", "tti", Sh_GetNodeRight, kReads},
    {"Sh_GetViewNodeList", "ttt", Sh_GetViewNodeList, kReads},
};

}  // namespace

const ProcedureSpec* FindProcedure(const std::string& name) {
  auto less = [](const ProcedureSpec& proc, const std::string& key) {
    return std::strcmp(proc.name, key.c_str()) < 0;
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
