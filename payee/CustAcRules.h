// The rules of the customer bank account dialog that need no controls: the account id
// a key names, who may save, the bank memo's limits per bank type, the SWIFT code the
// memo holds and the lines it expands to, the stored form of the bank's name and
// address, and the save checks in their order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/ListFillers.h"
#include "frame/RecordCmd.h"
#include "ui/Component.h"

namespace payee {

// The bank type whose memo holds a SWIFT code on its first line.
inline constexpr std::string_view kSwiftBankType = "A";
// The bank types of the type list, in its order.
inline constexpr const char* kBankTypes[] = {" ", "A", "D", "B"};

// The currency whose bank is a plain Chinese bank name; compared exactly.
bool IsCnyCurrency(std::string_view currency);

// The account id of an entry key: a decimal number; anything else opens a new account (0).
std::int32_t CustAcIdOfKey(std::string_view key);

// The modify right saves any account; the add right saves only account id 0.
bool CustAcSaveAllowed(std::string_view rights, std::int32_t acId);

// The bank type of a loaded account. The record reader trims its fields, so the blank
// type of a foreign-currency account comes back empty: it is the blank type again.
std::string LoadedBankType(const frame::TCustAcRec& rec);

// How many lines the bank memo takes and how many bytes each for a bank type.
struct TBankMemoLimits {
  int Maxline = 4;
  int CharPerLine = 35;
};
TBankMemoLimits BankMemoLimits(std::string_view bankType);

// The SWIFT code on the memo's first line: trimmed of blanks and cut to 12 bytes.
std::string SwiftCodeOfLines(const ui::TStrings& lines);

// The memo's six lines for a code the directory knows: the code, the bank's name and
// its four address lines, an empty one keeping its place.
ui::TStrings SwiftBankLines(std::string_view code, const frame::TBankAddress& bank);

// The bank name and address as the account record holds them: cut to the field's 150
// bytes, line breaks encoded as 0x0E, cut to 150 again.
std::string StoredBankNameAddress(std::string_view memoText);

// What the operator typed or chose, as the save checks read it (untrimmed).
struct TCustAcEntry {
  std::string CustId;
  std::string Currency;
  std::string AcNo;
  std::string CnyBank;
  std::string BankType;
  std::string BankName;
};

// The first entry a save cannot go without, in the order they are checked.
enum class TCustAcMissing { None, CustId, Currency, AcNo, CnyBank, BankType, BankName };
TCustAcMissing FirstMissing(const TCustAcEntry& entry);

// The message for a missing entry, in GBK; empty for None.
std::string MissingMessage(TCustAcMissing missing);

}  // namespace payee
