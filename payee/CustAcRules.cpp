#include "payee/CustAcRules.h"

#include <cstddef>
#include <iterator>

#include "frame/GbkText.h"
#include "frame/ResultText.h"
#include "frame/ShellFunc.h"
#include "sys/CodePage.h"

namespace payee {

bool IsCnyCurrency(std::string_view currency) {
  return currency == "CNY";
}

// A key that is no 32-bit decimal number names no account.
std::int32_t CustAcIdOfKey(std::string_view key) {
  return frame::ParseDecimal(key).value_or(0);
}

// A negative id is not a new account for the add right: only 0 is.
bool CustAcSaveAllowed(std::string_view rights, std::int32_t acId) {
  const std::string_view counted = rights.substr(0, frame::kRightsLen);
  return frame::RightGranted(counted, frame::kRightModify) ||
         (frame::RightGranted(counted, frame::kRightAdd) && acId == 0);
}

// The server accepts no empty type for a foreign-currency account, so an empty one
// read back can only be the blank type.
std::string LoadedBankType(const frame::TCustAcRec& rec) {
  if (rec.BankType.empty() && !rec.Currency.empty() && !IsCnyCurrency(rec.Currency)) {
    return " ";
  }
  return rec.BankType;
}

// Type "A" holds the code and the five lines it expands to; "B" one line; the others
// a name and address of four.
TBankMemoLimits BankMemoLimits(std::string_view bankType) {
  if (bankType == kSwiftBankType) {
    return {6, 50};
  }
  if (bankType == "B") {
    return {1, 35};
  }
  return {4, 35};
}

std::string SwiftCodeOfLines(const ui::TStrings& lines) {
  if (lines.empty()) {
    return {};
  }
  return std::string(frame::GbkCut(frame::TrimView(lines.front()), frame::kSwiftCodeLen));
}

ui::TStrings SwiftBankLines(std::string_view code, const frame::TBankAddress& bank) {
  return {std::string(code), bank.Name, bank.Addr[0], bank.Addr[1], bank.Addr[2], bank.Addr[3]};
}

std::string StoredBankNameAddress(std::string_view memoText) {
  const std::string encoded =
      frame::EncodeNewlines(frame::GbkCut(memoText, frame::kBankNameAddressLen));
  return std::string(frame::GbkCut(encoded, frame::kBankNameAddressLen));
}

// The CNY bank name counts only for CNY, the type and the memo only for the others.
TCustAcMissing FirstMissing(const TCustAcEntry& entry) {
  if (entry.CustId.empty()) {
    return TCustAcMissing::CustId;
  }
  if (entry.Currency.empty()) {
    return TCustAcMissing::Currency;
  }
  if (entry.AcNo.empty()) {
    return TCustAcMissing::AcNo;
  }
  if (IsCnyCurrency(entry.Currency)) {
    return entry.CnyBank.empty() ? TCustAcMissing::CnyBank : TCustAcMissing::None;
  }
  if (entry.BankType.empty()) {
    return TCustAcMissing::BankType;
  }
  if (entry.BankName.empty()) {
    return TCustAcMissing::BankName;
  }
  return TCustAcMissing::None;
}

std::string MissingMessage(TCustAcMissing missing) {
  // In the order of TCustAcMissing; None has no message.
  static constexpr const char* kMessages[] = {
      "",
      "请选择客户代码/Please select cust ID",
      "请选择币种/Please select currency",
      "请输入账号/Please input AcNo",
      "请输入开户行名称/Please input bank name",
      "请选择开户行类型/Please select bank type",
      "请选择或输入开户行名称/Please input bank name",
  };
  const auto index = static_cast<std::size_t>(missing);
  return index < std::size(kMessages) ? sys::Utf8ToGbk(kMessages[index]) : std::string();
}

}  // namespace payee
