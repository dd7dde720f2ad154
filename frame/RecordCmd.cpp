// Property and update commands of the five shared records.
#include "frame/RecordCmd.h"

#include <string>
#include <utility>

#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/ResultText.h"

namespace frame {
namespace {

constexpr std::size_t kReadBufferSize = 1024;
constexpr std::size_t kUpdateBufferSize = 128;

// The fields of one property answer, read in table order.
class FieldReader {
 public:
  explicit FieldReader(std::string row) : row_(std::move(row)) {}

  // The next field, trimmed and cut to len bytes.
  std::string Text(std::size_t len) { return std::string(GbkCut(GetField(row_, next_++), len)); }

  // The next field with its 0x0E marks turned back into line breaks, then cut.
  std::string Lines(std::size_t len) {
    return std::string(GbkCut(DecodeNewlines(GetField(row_, next_++)), len));
  }

  // The next field as a decimal integer; fallback when it is none.
  std::int32_t Int(std::int32_t fallback = 0) {
    return ParseDecimal(GetField(row_, next_++)).value_or(fallback);
  }

 private:
  std::string row_;
  int next_ = 0;
};

// Sends a property command; the first row of the answer, or nothing on failure.
bool ReadRecord(HWND_T window, const std::string& command, std::string& row) {
  std::string answer;
  if (HostCommand(window, kChannelMain, command, answer, kReadBufferSize) != 0) {
    return false;
  }
  row = GetRow(answer, 1);
  return true;
}

// Sends an update command; its answer row as a result record, cleared on failure.
TShellResult SendUpdate(HWND_T window, const std::string& command) {
  TShellResult result = kZeroShellResult;
  std::string answer;
  if (HostCommand(window, kChannelMain, command, answer, kUpdateBufferSize) == 0) {
    result = ParseShellResult(GetRow(answer, 1));
  }
  return result;
}

}  // namespace

TUserRec GetUserRec(HWND_T window, std::string_view userId) {
  TUserRec rec;
  std::string row;
  if (!ReadRecord(window, FormatCommand("MN_GetPropOfUser %s", {userId}), row)) {
    return rec;
  }
  FieldReader f(std::move(row));
  rec.UserId = f.Text(kUserIdLen);
  rec.CorpId = f.Text(kCorpIdLen);
  rec.UserLevel = f.Text(kUserLevelLen);
  rec.UserName = f.Text(kUserNameLen);
  rec.CorpName = f.Text(kCorpNameLen);
  // The status is read strictly: a value that is no number must not pass for 0, which
  // is "deleted".
  rec.Status = f.Int(kUnknownUserStatus);
  return rec;
}

TAccountRec GetAccountRec(HWND_T window, std::string_view corpId, std::string_view accountNo) {
  TAccountRec rec;
  std::string row;
  if (!ReadRecord(window, FormatCommand("MN_GetPropOfAccount %s,%s", {corpId, accountNo}), row)) {
    return rec;
  }
  FieldReader f(std::move(row));
  rec.AccountNo = f.Text(kAccountNoLen);
  rec.CorpId = f.Text(kCorpIdLen);
  rec.CorpName = f.Text(kCorpNameLen);
  rec.Currency = f.Text(kCurrencyLen);
  rec.AcType = f.Int();
  rec.AccountName = f.Text(kAccountNameLen);
  rec.Status = f.Int();
  return rec;
}

TCustomerRec GetCustomerRec(HWND_T window, std::string_view corpId, std::string_view custId) {
  TCustomerRec rec;
  std::string row;
  if (!ReadRecord(window, FormatCommand("MN_GetPropOfCustomer %s,%s", {corpId, custId}), row)) {
    return rec;
  }
  FieldReader f(std::move(row));
  rec.CustId = f.Text(kCustIdLen);
  rec.CorpId = f.Text(kCorpIdLen);
  rec.CustName = f.Text(kCustNameLen);
  rec.NameAddress = f.Lines(kNameAddressLen);
  rec.Remark = f.Text(kRemarkLen);
  rec.EMail = f.Lines(kEMailLen);
  rec.Operator = f.Text(kOperatorLen);
  rec.Status = f.Int();
  return rec;
}

TCustAcRec GetCustAcRec(HWND_T window, std::int32_t acId) {
  TCustAcRec rec;
  std::string row;
  if (!ReadRecord(window, FormatCommand("MN_GetPropOfCustAc %d", {acId}), row)) {
    return rec;
  }
  FieldReader f(std::move(row));
  rec.AcId = f.Int();
  rec.CustId = f.Text(kCustIdLen);
  rec.CorpId = f.Text(kCorpIdLen);
  rec.Currency = f.Text(kCurrencyLen);
  rec.AcNo = f.Text(kCustAcNoLen);
  rec.Unused = f.Text(kCustAcUnusedLen);
  rec.CnyBankName = f.Text(kCnyBankNameLen);
  rec.IntBankId = f.Int();
  rec.BankType = f.Text(kBankTypeLen);
  rec.BankAccount = f.Text(kBankAccountLen);
  rec.BankNameAddress = f.Lines(kBankNameAddressLen);
  rec.Operator = f.Text(kOperatorLen);
  rec.Status = f.Int();
  return rec;
}

TCustCNYAcRec GetCustCNYAcRec(HWND_T window, std::string_view corpId, std::string_view payeeId) {
  TCustCNYAcRec rec;
  std::string row;
  if (!ReadRecord(window, FormatCommand("MN_GetPropOfCustCNYAc %s,%s", {corpId, payeeId}), row)) {
    return rec;
  }
  FieldReader f(std::move(row));
  rec.PayeeId = f.Text(kCustIdLen);
  rec.CorpId = f.Text(kCorpIdLen);
  rec.AcName = f.Text(kCustNameLen);
  rec.AcNo = f.Text(kCustAcNoLen);
  rec.BankName = f.Text(kCnyBankNameLen);
  rec.Operator = f.Text(kOperatorLen);
  rec.Status = f.Int();
  rec.Remark = f.Text(kRemarkLen);
  rec.EMail = f.Lines(kEMailLen);
  rec.Sms = f.Text(kSmsLen);
  return rec;
}

// Every text field goes out cut to its field length.

TShellResult UpdateAccountRec(HWND_T window, std::int32_t functionId, const TAccountRec& rec) {
  return SendUpdate(window, FormatCommand("MN_UpdateAccountRec %d,%s,%s,%s,%d",
                                          {functionId, GbkCut(rec.AccountNo, kAccountNoLen),
                                           GbkCut(rec.CorpId, kCorpIdLen),
                                           GbkCut(rec.AccountName, kAccountNameLen), rec.Status}));
}

TShellResult UpdateCustomerRec(HWND_T window, std::int32_t functionId, const TCustomerRec& rec) {
  return SendUpdate(
      window,
      FormatCommand("MN_UpdateCustomerRec %d,%s,%s,%s,%s,%s,%s,%s,%d",
                    {functionId, GbkCut(rec.CustId, kCustIdLen), GbkCut(rec.CorpId, kCorpIdLen),
                     GbkCut(rec.CustName, kCustNameLen), GbkCut(rec.NameAddress, kNameAddressLen),
                     GbkCut(rec.Remark, kRemarkLen), GbkCut(rec.EMail, kEMailLen),
                     GbkCut(rec.Operator, kOperatorLen), rec.Status}));
}

TShellResult UpdateCustAcRec(HWND_T window, std::int32_t functionId, const TCustAcRec& rec) {
  // Field 5 of the record is not sent.
  return SendUpdate(
      window,
      FormatCommand(
          "MN_UpdateCustAcRec %d,%d,%s,%s,%s,%s,%s,%d,%s,%s,%s,%s,%d",
          {functionId, rec.AcId, GbkCut(rec.CustId, kCustIdLen), GbkCut(rec.CorpId, kCorpIdLen),
           GbkCut(rec.Currency, kCurrencyLen), GbkCut(rec.AcNo, kCustAcNoLen),
           GbkCut(rec.CnyBankName, kCnyBankNameLen), rec.IntBankId,
           GbkCut(rec.BankType, kBankTypeLen), GbkCut(rec.BankAccount, kBankAccountLen),
           GbkCut(rec.BankNameAddress, kBankNameAddressLen), GbkCut(rec.Operator, kOperatorLen),
           rec.Status}));
}

TShellResult UpdateCustCNYAcRec(HWND_T window, std::int32_t functionId, const TCustCNYAcRec& rec) {
  return SendUpdate(
      window,
      FormatCommand("MN_UpdateCustCNYAcRec %d,%s,%s,%s,%s,%s,%s,%d,%s,%s,%s",
                    {functionId, GbkCut(rec.PayeeId, kCustIdLen), GbkCut(rec.CorpId, kCorpIdLen),
                     GbkCut(rec.AcName, kCustNameLen), GbkCut(rec.AcNo, kCustAcNoLen),
                     GbkCut(rec.BankName, kCnyBankNameLen), GbkCut(rec.Operator, kOperatorLen),
                     rec.Status, GbkCut(rec.Remark, kRemarkLen), GbkCut(rec.EMail, kEMailLen),
                     GbkCut(rec.Sms, kSmsLen)}));
}

}  // namespace frame
