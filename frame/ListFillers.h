// The shared fillers: commands whose answer rows become the items of a list, and the
// single answers read into small records (corporation name, SWIFT bank address, bank
// master data). Every filler sends on the main channel through HostCommandList, so a
// failed command (or a refused temporary folder) leaves the list as it was (the channel
// has shown the error) and the filler returns false; true when the list was replaced.
// What the channel throws (frame/HostChannel.h) passes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sys/Abi.h"

namespace frame {

// "MN_GetAcNoList %d,%s,%s,%s": account numbers of a kind (99: all) and currency (at
// most kCurrencyLen bytes; longer is cut).
inline constexpr std::size_t kCurrencyLen = 3;
[[nodiscard]] bool FillAcNoList(HWND_T window, int kind, std::string_view currency,
                                std::string_view corpNo, std::string_view userNo,
                                std::vector<std::string>& items);
// "MN_GetCurrencyCodeList".
[[nodiscard]] bool FillCurrencyList(HWND_T window, std::vector<std::string>& items);
// "MN_GetCustomerList %s,%s".
[[nodiscard]] bool FillCustomerList(HWND_T window, std::string_view corpNo, std::string_view userNo,
                                    std::vector<std::string>& items);
// "MN_GetUsageList %s,%s".
[[nodiscard]] bool FillUsageList(HWND_T window, std::string_view corpNo, std::string_view userNo,
                                 std::vector<std::string>& items);
// "MN_GetUserList %s,%s" with the two texts the caller chooses.
[[nodiscard]] bool FillUserList(HWND_T window, std::string_view first, std::string_view second,
                                std::vector<std::string>& items);
// "MN_GetCheckUserList %s,%s".
[[nodiscard]] bool FillCheckUserList(HWND_T window, std::string_view first, std::string_view second,
                                     std::vector<std::string>& items);
// "MN_GetUserCheckAcList %s,%s".
[[nodiscard]] bool FillUserCheckAcList(HWND_T window, std::string_view first,
                                       std::string_view second, std::vector<std::string>& items);

// "MN_GetCorpName %s": the first row of the answer, empty when the command fails.
std::string GetCorpName(HWND_T window, std::string_view corpNo);

// Capacities of the bank texts, in bytes.
inline constexpr std::size_t kBankNameLen = 50;
inline constexpr std::size_t kBankAddrLen = 35;
inline constexpr std::size_t kSwiftCodeLen = 12;

// A bank's name and address as the SWIFT directory holds them.
struct TBankAddress {
  std::string Name;     // at most 50 bytes
  std::string Addr[4];  // at most 35 bytes each
};

// A bank of the bank master data.
struct TBankSimple {
  std::int32_t Id = 0;
  std::string Name;       // at most 50 bytes
  std::string Addr[4];    // at most 35 bytes each
  std::string SwiftCode;  // at most 12 bytes
};

// The SWIFT code as the directory keys it: 8 characters for a head office ("...XXX",
// 9 characters), 11 for a branch (the 9th character of a 12-character code dropped).
std::string NormalizeSwiftCode(std::string_view code);

// "MB_GetSwfAddress %S" with the normalised code; all texts empty when the command fails.
TBankAddress GetSwiftAddress(HWND_T window, std::string_view swiftCode);

// "ST_GetBankSimple %d" on the bank channel; an empty record when the command fails.
TBankSimple GetBankSimple(HWND_T window, std::int32_t bankId);

}  // namespace frame
