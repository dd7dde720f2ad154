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
// kind in the order the module sends them, and the last field the corporation ('c')
// and operator ('o') ids a signed-in login must hold and the customer ('k') and payee
// ('p') ids whose record a writer checks and then changes.
constexpr ProcedureSpec kProcedures[] = {
    {"MB_GetSwfAddress", "t", MB_GetSwfAddress, kReads, "."},
    {"MB_GetSwiftBankByAny", "tt", MB_GetSwiftBankByAny, kReads, ".."},
    {"MB_GetSwiftBankByLeft", "tt", MB_GetSwiftBankByLeft, kReads, ".."},
    {"MB_GetSwiftBankBySwfCode", "t", MB_GetSwiftBankBySwfCode, kReads, "."},
    {"MN_CustCNYAcDelete", "tt", MN_CustCNYAcDelete, kWrites, "pc"},
    {"MN_CustCNYAcExists", "tt", MN_CustCNYAcExists, kReads, ".c"},
    {"MN_CustCNYAcUpdate", "ttt", MN_CustCNYAcUpdate, kWrites, "ppc"},
    {"MN_CustExport", "ti", MN_CustExport, kReads, "c.", MN_CustExportRows},
    {"MN_CustSnapIn", "itttttt", MN_CustSnapIn, kWrites, ".cok..."},
    {"MN_CustomerDelete", "tt", MN_CustomerDelete, kWrites, "kc"},
    {"MN_CustomerExists", "tt", MN_CustomerExists, kReads, ".c"},
    {"MN_CustomerUpdate", "ttt", MN_CustomerUpdate, kWrites, "kkc"},
    {"MN_DeleteUserAcList", "tt", MN_DeleteUserAcList, kWrites, "c."},
    {"MN_DeleteUserCheckList", "tt", MN_DeleteUserCheckList, kWrites, "c."},
    {"MN_DeleteUserRightList", "tti", MN_DeleteUserRightList, kWrites, "c.."},
    {"MN_GetAcNoList", "ittt", MN_GetAcNoList, kReads, "..c."},
    {"MN_GetAuditFolder", "ittt", MN_GetAuditFolder, kReads, ".co."},
    {"MN_GetAuthoriseFolder", "ittt", MN_GetAuthoriseFolder, kReads, ".co."},
    {"MN_GetAuthoriseList", "ttt", MN_GetAuthoriseList, kReads, ".co"},
    {"MN_GetCheckList", "ttt", MN_GetCheckList, kReads, ".co"},
    {"MN_GetCheckUserList", "tt", MN_GetCheckUserList, kReads, "c."},
    {"MN_GetCorpName", "t", MN_GetCorpName, kReads, "c"},
    {"MN_GetCurrencyCodeList", "", MN_GetCurrencyCodeList, kReads, ""},
    {"MN_GetCustAcFolder", "tttt", MN_GetCustAcFolder, kReads, ".co."},
    {"MN_GetCustomerList", "tt", MN_GetCustomerList, kReads, "co"},
    {"MN_GetDeletedList", "ttt", MN_GetDeletedList, kReads, ".co"},
    {"MN_GetNodeRightList", "tt", MN_GetNodeRightList, kReads, "c."},
    {"MN_GetPropOfAccount", "tt", MN_GetPropOfAccount, kReads, "c."},
    {"MN_GetPropOfCustAc", "i", MN_GetPropOfCustAc, kReads, "."},
    {"MN_GetPropOfCustCNYAc", "tt", MN_GetPropOfCustCNYAc, kReads, "c."},
    {"MN_GetPropOfCustomer", "tt", MN_GetPropOfCustomer, kReads, "c."},
    {"MN_GetPropOfUser", "t", MN_GetPropOfUser, kReads, "."},
    {"MN_GetRejectedList", "ttt", MN_GetRejectedList, kReads, ".co"},
    {"MN_GetSendList", "ttt", MN_GetSendList, kReads, ".co"},
    {"MN_GetSignFolder", "ittt", MN_GetSignFolder, kReads, ".co."},
    {"MN_GetUsageList", "tt", MN_GetUsageList, kReads, "co"},
    {"MN_GetUserCheckAcList", "tt", MN_GetUserCheckAcList, kReads, "c."},
    {"MN_GetUserCorpList", "tt", MN_GetUserCorpList, kReads, ".."},
    {"MN_GetUserList", "tt", MN_GetUserList, kReads, "c."},
    {"MN_InsertAcRightList", "ttt", MN_InsertAcRightList, kWrites, "c.."},
    {"MN_InsertUserCheckList", "ttt", MN_InsertUserCheckList, kWrites, "c.."},
    {"MN_UpdateAcOrder", "ttti", MN_UpdateAcOrder, kWrites, ".co."},
    {"MN_UpdateAccountRec", "ittti", MN_UpdateAccountRec, kWrites, "..c.."},
    {"MN_UpdateCustAcRec", "iitttttitttti", MN_UpdateCustAcRec, kWrites, "..kc.......o."},
    {"MN_UpdateCustCNYAcRec", "ittttttittt", MN_UpdateCustCNYAcRec, kWrites, ".pc...o...."},
    {"MN_UpdateCustomerRec", "ittttttti", MN_UpdateCustomerRec, kWrites, ".kc....o."},
    {"MN_UpdateRightItem", "ttit", MN_UpdateRightItem, kWrites, "c..."},
    {"MN_UsageDelete", "t", MN_UsageDelete, kWrites, "c"},
    {"MN_UsageInsert", "ttti", MN_UsageInsert, kWrites, "co.."},
    {"ST_GetBankSimple", "i", ST_GetBankSimple, kReads, "."},
    {"Sh_GetFunctionName", "ii", Sh_GetFunctionName, kReads, ".."},
    {"Sh_GetNodeRight", "tti", Sh_GetNodeRight, kReads, "co."},
    {"Sh_GetViewNodeList", "ttt", Sh_GetViewNodeList, kReads, ".co"},
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
