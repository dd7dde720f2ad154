// The records that the dialogs read with one property command each, and the update
// commands that write four of them back.
//
// Every text field holds at most its table's number of bytes of GBK text; longer values
// are cut on a character boundary, on reading and on sending. A failed read leaves the record
// empty; a failed update leaves the result cleared (the channel has reported the failure). What the
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
  std::string UserId;
  std::string CorpId;
  std::string UserLevel;
  std::string UserName;
  std::string CorpName;
  std::int32_t Status = 0;
};

// "MN_GetPropOfAccount %s,%s" / "MN_UpdateAccountRec".
struct TAccountRec {
  std::string AccountNo;
  std::string CorpId;
  std::string CorpName;
  std::string Currency;
  std::int32_t AcType = 0;
  std::string AccountName;
  std::int32_t Status = 0;
};

// "MN_GetPropOfCustomer %s,%s" / "MN_UpdateCustomerRec".
struct TCustomerRec {
  std::string CustId;
  std::string CorpId;
  std::string CustName;
  std::string NameAddress;
  std::string Remark;
  std::string EMail;
  std::string Operator;
  std::int32_t Status = 0;
};

// "MN_GetPropOfCustAc %d" / "MN_UpdateCustAcRec".
struct TCustAcRec {
  std::int32_t AcId = 0;
  std::string CustId;
  std::string CorpId;
  std::string Currency;
  std::string AcNo;
  std::string Unused;
  std::string CnyBankName;
  std::int32_t IntBankId = 0;
  std::string BankType;
  std::string BankAccount;
  std::string BankNameAddress;
  std::string Operator;
  std::int32_t Status = 0;
};

// "MN_GetPropOfCustCNYAc %s,%s" / "MN_UpdateCustCNYAcRec".
struct TCustCNYAcRec {
  std::string PayeeId;
  std::string CorpId;
  std::string AcName;
  std::string AcNo;
  std::string BankName;
  std::string Operator;
  std::int32_t Status = 0;
  std::string Remark;
  std::string EMail;
  std::string Sms;
};

// One field of a record as it travels: a text of at most Len bytes of GBK text (Lines:
// its line breaks travel as 0x0E marks), or a decimal number (Unreadable: the value of
// a field that is no number). A field not Sent is read but never written back. Each
// record's table below lists its fields in the order of the property answer and of the
// update command, and is the one place a field's length is given.
enum class FieldKind { Text, Lines, Int };

template <class Rec>
struct TRecordField {
  FieldKind Kind = FieldKind::Text;
  std::size_t Len = 0;
  std::string Rec::*TextMember = nullptr;
  std::int32_t Rec::*IntMember = nullptr;
  bool Sent = true;
  std::int32_t Unreadable = 0;
};

template <class Rec>
constexpr TRecordField<Rec> TextField(std::string Rec::*member, std::size_t len, bool sent = true) {
  return {FieldKind::Text, len, member, nullptr, sent, 0};
}
template <class Rec>
constexpr TRecordField<Rec> LinesField(std::string Rec::*member, std::size_t len) {
  return {FieldKind::Lines, len, member, nullptr, true, 0};
}
template <class Rec>
constexpr TRecordField<Rec> IntField(std::int32_t Rec::*member, bool sent = true,
                                     std::int32_t unreadable = 0) {
  return {FieldKind::Int, 0, nullptr, member, sent, unreadable};
}

// The length of a record's text field, as its table gives it.
template <class Rec, std::size_t N>
constexpr std::size_t FieldLen(const TRecordField<Rec> (&fields)[N], std::string Rec::*member) {
  for (const TRecordField<Rec>& field : fields) {
    if (field.TextMember == member) {
      return field.Len;
    }
  }
  return 0;
}

// The status is read strictly: a value that is no number must not pass for 0, which is
// "deleted".
inline constexpr TRecordField<TUserRec> kUserFields[] = {
    TextField(&TUserRec::UserId, kUserIdLen),
    TextField(&TUserRec::CorpId, kCorpIdLen),
    TextField(&TUserRec::UserLevel, kUserLevelLen),
    TextField(&TUserRec::UserName, kUserNameLen),
    TextField(&TUserRec::CorpName, kCorpNameLen),
    IntField(&TUserRec::Status, true, kUnknownUserStatus),
};

// Only the account's description and status are the operator's to change.
inline constexpr TRecordField<TAccountRec> kAccountFields[] = {
    TextField(&TAccountRec::AccountNo, kAccountNoLen),
    TextField(&TAccountRec::CorpId, kCorpIdLen),
    TextField(&TAccountRec::CorpName, kCorpNameLen, false),
    TextField(&TAccountRec::Currency, kCurrencyLen, false),
    IntField(&TAccountRec::AcType, false),
    TextField(&TAccountRec::AccountName, kAccountNameLen),
    IntField(&TAccountRec::Status),
};

inline constexpr TRecordField<TCustomerRec> kCustomerFields[] = {
    TextField(&TCustomerRec::CustId, kCustIdLen),
    TextField(&TCustomerRec::CorpId, kCorpIdLen),
    TextField(&TCustomerRec::CustName, kCustNameLen),
    LinesField(&TCustomerRec::NameAddress, kNameAddressLen),
    TextField(&TCustomerRec::Remark, kRemarkLen),
    LinesField(&TCustomerRec::EMail, kEMailLen),
    TextField(&TCustomerRec::Operator, kOperatorLen),
    IntField(&TCustomerRec::Status),
};

inline constexpr TRecordField<TCustAcRec> kCustAcFields[] = {
    IntField(&TCustAcRec::AcId),
    TextField(&TCustAcRec::CustId, kCustIdLen),
    TextField(&TCustAcRec::CorpId, kCorpIdLen),
    TextField(&TCustAcRec::Currency, kCurrencyLen),
    TextField(&TCustAcRec::AcNo, kCustAcNoLen),
    TextField(&TCustAcRec::Unused, kCustAcUnusedLen, false),
    TextField(&TCustAcRec::CnyBankName, kCnyBankNameLen),
    IntField(&TCustAcRec::IntBankId),
    TextField(&TCustAcRec::BankType, kBankTypeLen),
    TextField(&TCustAcRec::BankAccount, kBankAccountLen),
    LinesField(&TCustAcRec::BankNameAddress, kBankNameAddressLen),
    TextField(&TCustAcRec::Operator, kOperatorLen),
    IntField(&TCustAcRec::Status),
};

inline constexpr TRecordField<TCustCNYAcRec> kCustCNYAcFields[] = {
    TextField(&TCustCNYAcRec::PayeeId, kCustIdLen),
    TextField(&TCustCNYAcRec::CorpId, kCorpIdLen),
    TextField(&TCustCNYAcRec::AcName, kCustNameLen),
    TextField(&TCustCNYAcRec::AcNo, kCustAcNoLen),
    TextField(&TCustCNYAcRec::BankName, kCnyBankNameLen),
    TextField(&TCustCNYAcRec::Operator, kOperatorLen),
    IntField(&TCustCNYAcRec::Status),
    TextField(&TCustCNYAcRec::Remark, kRemarkLen),
    LinesField(&TCustCNYAcRec::EMail, kEMailLen),
    TextField(&TCustCNYAcRec::Sms, kSmsLen),
};

TUserRec GetUserRec(HWND_T window, std::string_view userId);
TAccountRec GetAccountRec(HWND_T window, std::string_view corpId, std::string_view accountNo);
TCustomerRec GetCustomerRec(HWND_T window, std::string_view corpId, std::string_view custId);
TCustAcRec GetCustAcRec(HWND_T window, std::int32_t acId);
TCustCNYAcRec GetCustCNYAcRec(HWND_T window, std::string_view corpId, std::string_view payeeId);

// The function id, then every sent field of the record's table, each text cut to its
// length. Texts that hold line breaks are sent as the record holds them: the dialog
// encodes them (EncodeNewlines) before it calls the update.
[[nodiscard]] TShellResult UpdateAccountRec(HWND_T window, std::int32_t functionId,
                                            const TAccountRec& rec);
[[nodiscard]] TShellResult UpdateCustomerRec(HWND_T window, std::int32_t functionId,
                                             const TCustomerRec& rec);
[[nodiscard]] TShellResult UpdateCustAcRec(HWND_T window, std::int32_t functionId,
                                           const TCustAcRec& rec);
[[nodiscard]] TShellResult UpdateCustCNYAcRec(HWND_T window, std::int32_t functionId,
                                              const TCustCNYAcRec& rec);

}  // namespace frame
