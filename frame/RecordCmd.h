// The records that the dialogs read with one property command each, and the update
// commands that write four of them back.
//
// Every text field holds at most the stated number of bytes of GBK text; longer values
// are cut on a character boundary. A failed read leaves the record empty; a failed
// update leaves the result cleared (the channel has reported the failure). What the
// channel throws (frame/HostChannel.h) passes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/ListFillers.h"  // kCurrencyLen, shared with the account-number filler
#include "sys/Abi.h"

namespace frame {

// Field lengths, in bytes.
inline constexpr std::size_t kUserIdLen = 6;
inline constexpr std::size_t kCorpIdLen = 4;
inline constexpr std::size_t kUserLevelLen = 1;
inline constexpr std::size_t kUserNameLen = 16;
inline constexpr std::size_t kCorpNameLen = 50;
inline constexpr std::size_t kAccountNoLen = 15;
inline constexpr std::size_t kAccountNameLen = 50;
inline constexpr std::size_t kCustIdLen = 24;
inline constexpr std::size_t kCustNameLen = 80;
inline constexpr std::size_t kNameAddressLen = 140;
inline constexpr std::size_t kRemarkLen = 50;
inline constexpr std::size_t kEMailLen = 100;
inline constexpr std::size_t kOperatorLen = 6;
inline constexpr std::size_t kCustAcNoLen = 36;
inline constexpr std::size_t kCustAcUnusedLen = 80;
inline constexpr std::size_t kCnyBankNameLen = 80;
inline constexpr std::size_t kBankTypeLen = 1;
inline constexpr std::size_t kBankAccountLen = 34;
inline constexpr std::size_t kBankNameAddressLen = 150;
inline constexpr std::size_t kSmsLen = 50;

// The user status when the server's answer holds no decimal number there: it matches
// no status item, so the dialog shows no status rather than a false one.
inline constexpr std::int32_t kUnknownUserStatus = -1;

// "MN_GetPropOfUser %s". No update command: user changes travel as a batch.
struct TUserRec {
  std::string UserId;     // 6
  std::string CorpId;     // 4
  std::string UserLevel;  // 1
  std::string UserName;   // 16
  std::string CorpName;   // 50
  std::int32_t Status = 0;
};

// "MN_GetPropOfAccount %s,%s" / "MN_UpdateAccountRec".
struct TAccountRec {
  std::string AccountNo;  // 15
  std::string CorpId;     // 4
  std::string CorpName;   // 50
  std::string Currency;   // 3
  std::int32_t AcType = 0;
  std::string AccountName;  // 50
  std::int32_t Status = 0;
};

// "MN_GetPropOfCustomer %s,%s" / "MN_UpdateCustomerRec".
struct TCustomerRec {
  std::string CustId;       // 24
  std::string CorpId;       // 4
  std::string CustName;     // 80
  std::string NameAddress;  // 140, line breaks
  std::string Remark;       // 50
  std::string EMail;        // 100, line breaks
  std::string Operator;     // 6
  std::int32_t Status = 0;
};

// "MN_GetPropOfCustAc %d" / "MN_UpdateCustAcRec".
struct TCustAcRec {
  std::int32_t AcId = 0;
  std::string CustId;       // 24
  std::string CorpId;       // 4
  std::string Currency;     // 3
  std::string AcNo;         // 36
  std::string Unused;       // 80, read but never sent
  std::string CnyBankName;  // 80
  std::int32_t IntBankId = 0;
  std::string BankType;         // 1
  std::string BankAccount;      // 34
  std::string BankNameAddress;  // 150, line breaks
  std::string Operator;         // 6
  std::int32_t Status = 0;
};

// "MN_GetPropOfCustCNYAc %s,%s" / "MN_UpdateCustCNYAcRec".
struct TCustCNYAcRec {
  std::string PayeeId;   // 24
  std::string CorpId;    // 4
  std::string AcName;    // 80
  std::string AcNo;      // 36
  std::string BankName;  // 80
  std::string Operator;  // 6
  std::int32_t Status = 0;
  std::string Remark;  // 50
  std::string EMail;   // 100, line breaks
  std::string Sms;     // 50
};

TUserRec GetUserRec(HWND_T window, std::string_view userId);
TAccountRec GetAccountRec(HWND_T window, std::string_view corpId, std::string_view accountNo);
TCustomerRec GetCustomerRec(HWND_T window, std::string_view corpId, std::string_view custId);
TCustAcRec GetCustAcRec(HWND_T window, std::int32_t acId);
TCustCNYAcRec GetCustCNYAcRec(HWND_T window, std::string_view corpId, std::string_view payeeId);

// Texts that hold line breaks are sent as the record holds them: the dialog encodes
// them (EncodeNewlines) before it calls the update.
[[nodiscard]] TShellResult UpdateAccountRec(HWND_T window, std::int32_t functionId,
                                            const TAccountRec& rec);
[[nodiscard]] TShellResult UpdateCustomerRec(HWND_T window, std::int32_t functionId,
                                             const TCustomerRec& rec);
[[nodiscard]] TShellResult UpdateCustAcRec(HWND_T window, std::int32_t functionId,
                                           const TCustAcRec& rec);
[[nodiscard]] TShellResult UpdateCustCNYAcRec(HWND_T window, std::int32_t functionId,
                                              const TCustCNYAcRec& rec);

}  // namespace frame
