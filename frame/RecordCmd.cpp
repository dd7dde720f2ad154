// Property and update commands of the five shared records.
#include "frame/RecordCmd.h"

#include <string>
#include <utility>

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

// A text argument: cut to its field length, then quoted.
std::string Arg(std::string_view text, std::size_t len) {
  return Quoted(GbkCut(text, len));
}

std::string Num(std::int32_t n) {
  return std::to_string(n);
}

}  // namespace

TUserRec GetUserRec(HWND_T window, std::string_view userId) {
  TUserRec rec;
  std::string row;
  if (!ReadRecord(window, "MN_GetPropOfUser " + Quoted(userId), row)) {
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
  if (!ReadRecord(window, "MN_GetPropOfAccount " + Quoted(corpId) + "," + Quoted(accountNo), row)) {
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
  if (!ReadRecord(window, "MN_GetPropOfCustomer " + Quoted(corpId) + "," + Quoted(custId), row)) {
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
  if (!ReadRecord(window, "MN_GetPropOfCustAc " + Num(acId), row)) {
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
  if (!ReadRecord(window, "MN_GetPropOfCustCNYAc " + Quoted(corpId) + "," + Quoted(payeeId), row)) {
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

TShellResult UpdateAccountRec(HWND_T window, std::int32_t functionId, const TAccountRec& rec) {
  return SendUpdate(window, "MN_UpdateAccountRec " + Num(functionId) + "," +
                                Arg(rec.AccountNo, kAccountNoLen) + "," +
                                Arg(rec.CorpId, kCorpIdLen) + "," +
                                Arg(rec.AccountName, kAccountNameLen) + "," + Num(rec.Status));
}

TShellResult UpdateCustomerRec(HWND_T window, std::int32_t functionId, const TCustomerRec& rec) {
  return SendUpdate(window, "MN_UpdateCustomerRec " + Num(functionId) + "," +
                                Arg(rec.CustId, kCustIdLen) + "," + Arg(rec.CorpId, kCorpIdLen) +
                                "," + Arg(rec.CustName, kCustNameLen) + "," +
                                Arg(rec.NameAddress, kNameAddressLen) + "," +
                                Arg(rec.Remark, kRemarkLen) + "," + Arg(rec.EMail, kEMailLen) +
                                "," + Arg(rec.Operator, kOperatorLen) + "," + Num(rec.Status));
}

TShellResult UpdateCustAcRec(HWND_T window, std::int32_t functionId, const TCustAcRec& rec) {
  // Field 5 of the record is not sent.
  return SendUpdate(
      window, "MN_UpdateCustAcRec " + Num(functionId) + "," + Num(rec.AcId) + "," +
                  Arg(rec.CustId, kCustIdLen) + "," + Arg(rec.CorpId, kCorpIdLen) + "," +
                  Arg(rec.Currency, kCurrencyLen) + "," + Arg(rec.AcNo, kCustAcNoLen) + "," +
                  Arg(rec.CnyBankName, kCnyBankNameLen) + "," + Num(rec.IntBankId) + "," +
                  Arg(rec.BankType, kBankTypeLen) + "," + Arg(rec.BankAccount, kBankAccountLen) +
                  "," + Arg(rec.BankNameAddress, kBankNameAddressLen) + "," +
                  Arg(rec.Operator, kOperatorLen) + "," + Num(rec.Status));
}

TShellResult UpdateCustCNYAcRec(HWND_T window, std::int32_t functionId, const TCustCNYAcRec& rec) {
  return SendUpdate(
      window, "MN_UpdateCustCNYAcRec " + Num(functionId) + "," + Arg(rec.PayeeId, kCustIdLen) +
                  "," + Arg(rec.CorpId, kCorpIdLen) + "," + Arg(rec.AcName, kCustNameLen) + "," +
                  Arg(rec.AcNo, kCustAcNoLen) + "," + Arg(rec.BankName, kCnyBankNameLen) + "," +
                  Arg(rec.Operator, kOperatorLen) + "," + Num(rec.Status) + "," +
                  Arg(rec.Remark, kRemarkLen) + "," + Arg(rec.EMail, kEMailLen) + "," +
                  Arg(rec.Sms, kSmsLen));
}

}  // namespace frame
