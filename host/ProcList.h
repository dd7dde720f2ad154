// Every procedure of the bank server, by area; the registry lists them by name.
#pragma once

#include "host/Procedure.h"

namespace host {

#define TAVRO_PROC(name) Answer name(Db& db, const Args& args)

// Shell: function tree, function lookup, rights.
TAVRO_PROC(Sh_GetViewNodeList);
TAVRO_PROC(Sh_GetFunctionName);
TAVRO_PROC(Sh_GetNodeRight);
TAVRO_PROC(MN_GetNodeRightList);
TAVRO_PROC(MN_DeleteUserRightList);
TAVRO_PROC(MN_UpdateRightItem);

// Users, corporations and review lists.
TAVRO_PROC(MN_GetPropOfUser);
TAVRO_PROC(MN_GetCorpName);
TAVRO_PROC(MN_GetUserCorpList);
TAVRO_PROC(MN_GetUserList);
TAVRO_PROC(MN_GetCheckUserList);
TAVRO_PROC(MN_DeleteUserCheckList);
TAVRO_PROC(MN_InsertUserCheckList);

// Corporate accounts, account rights and order, currencies, usage texts.
TAVRO_PROC(MN_GetAcNoList);
TAVRO_PROC(MN_GetUserCheckAcList);
TAVRO_PROC(MN_DeleteUserAcList);
TAVRO_PROC(MN_InsertAcRightList);
TAVRO_PROC(MN_GetPropOfAccount);
TAVRO_PROC(MN_UpdateAccountRec);
TAVRO_PROC(MN_UpdateAcOrder);
TAVRO_PROC(MN_GetCurrencyCodeList);
TAVRO_PROC(MN_GetUsageList);
TAVRO_PROC(MN_UsageDelete);
TAVRO_PROC(MN_UsageInsert);

// Customers and their bank accounts.
TAVRO_PROC(MN_GetCustomerList);
TAVRO_PROC(MN_GetPropOfCustomer);
TAVRO_PROC(MN_UpdateCustomerRec);
TAVRO_PROC(MN_CustomerExists);
TAVRO_PROC(MN_CustomerDelete);
TAVRO_PROC(MN_CustomerUpdate);
TAVRO_PROC(MN_CustSnapIn);
TAVRO_PROC(MN_CustExport);
void MN_CustExportRows(Db& db, const Args& args, RowSink& rows);
TAVRO_PROC(MN_GetPropOfCustAc);
TAVRO_PROC(MN_UpdateCustAcRec);
TAVRO_PROC(MN_GetCustAcFolder);

// CNY payees.
TAVRO_PROC(MN_GetPropOfCustCNYAc);
TAVRO_PROC(MN_UpdateCustCNYAcRec);
TAVRO_PROC(MN_CustCNYAcExists);
TAVRO_PROC(MN_CustCNYAcDelete);
TAVRO_PROC(MN_CustCNYAcUpdate);

// SWIFT directory and bank master data.
TAVRO_PROC(MB_GetSwiftBankByLeft);
TAVRO_PROC(MB_GetSwiftBankByAny);
TAVRO_PROC(MB_GetSwiftBankBySwfCode);
TAVRO_PROC(MB_GetSwfAddress);
TAVRO_PROC(ST_GetBankSimple);

// Review folders and the trails of a business record.
TAVRO_PROC(MN_GetCheckList);
TAVRO_PROC(MN_GetAuthoriseList);
TAVRO_PROC(MN_GetSendList);
TAVRO_PROC(MN_GetDeletedList);
TAVRO_PROC(MN_GetRejectedList);
TAVRO_PROC(MN_GetAuthoriseFolder);
TAVRO_PROC(MN_GetSignFolder);
TAVRO_PROC(MN_GetAuditFolder);

#undef TAVRO_PROC

// The argument at index i of a procedure whose signature the interpreter checked.
inline const std::string& TextArg(const Args& args, std::size_t i) {
  return args.at(i).text;
}
inline std::int64_t IntArg(const Args& args, std::size_t i) {
  return args.at(i).number;
}

}  // namespace host
