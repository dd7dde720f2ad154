#include "frame/ListFillers.h"

#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/ResultText.h"

namespace frame {

bool FillAcNoList(HWND_T window, int kind, std::string_view currency, std::string_view corpNo,
                  std::string_view userNo, std::vector<std::string>& items) {
  // The currency argument is a code of at most 3 characters.
  const std::string command = FormatCommand("MN_GetAcNoList %d,%s,%s,%s",
                                            {kind, GbkCut(currency, kCurrencyLen), corpNo, userNo});
  return HostCommandList(window, kChannelMain, command, items);
}

bool FillCurrencyList(HWND_T window, std::vector<std::string>& items) {
  return HostCommandList(window, kChannelMain, "MN_GetCurrencyCodeList", items);
}

bool FillCustomerList(HWND_T window, std::string_view corpNo, std::string_view userNo,
                      std::vector<std::string>& items) {
  return HostCommandList(window, kChannelMain,
                         FormatCommand("MN_GetCustomerList %s,%s", {corpNo, userNo}), items);
}

bool FillUsageList(HWND_T window, std::string_view corpNo, std::string_view userNo,
                   std::vector<std::string>& items) {
  return HostCommandList(window, kChannelMain,
                         FormatCommand("MN_GetUsageList %s,%s", {corpNo, userNo}), items);
}

bool FillUserList(HWND_T window, std::string_view first, std::string_view second,
                  std::vector<std::string>& items) {
  return HostCommandList(window, kChannelMain,
                         FormatCommand("MN_GetUserList %s,%s", {first, second}), items);
}

bool FillCheckUserList(HWND_T window, std::string_view first, std::string_view second,
                       std::vector<std::string>& items) {
  return HostCommandList(window, kChannelMain,
                         FormatCommand("MN_GetCheckUserList %s,%s", {first, second}), items);
}

bool FillUserCheckAcList(HWND_T window, std::string_view first, std::string_view second,
                         std::vector<std::string>& items) {
  return HostCommandList(window, kChannelMain,
                         FormatCommand("MN_GetUserCheckAcList %s,%s", {first, second}), items);
}

std::string GetCorpName(HWND_T window, std::string_view corpNo) {
  return HostCommandText(window, kChannelMain, FormatCommand("MN_GetCorpName %s", {corpNo}), "",
                         256);
}

// Blanks around a typed code are dropped before its length is judged, so " PQRSTUVWX"
// is the head office PQRSTUVW like "PQRSTUVWX".
std::string NormalizeSwiftCode(std::string_view code) {
  std::string_view given = TrimView(code);
  std::string_view use = GbkCut(given, kSwiftCodeLen);
  std::string out(use);
  if (given.size() >= 11 && given.substr(given.size() - 3) == "XXX") {
    out = given.substr(0, 8);
  }
  if (given.size() == 12) {
    out = std::string(given.substr(0, 8)) + std::string(given.substr(9, 3));
  }
  if (given.size() == 9) {
    out = given.substr(0, 8);
  }
  return Trim(out);
}

TBankAddress GetSwiftAddress(HWND_T window, std::string_view swiftCode) {
  TBankAddress bank;
  std::string answer;
  const std::string command = FormatCommand("MB_GetSwfAddress %S", {NormalizeSwiftCode(swiftCode)});
  if (HostCommand(window, kChannelMain, command, answer, 1024) != 0) {
    return bank;
  }
  // One row is the record; a further row must not run into the last address line.
  std::string row = GetRow(answer, 1);
  bank.Name = GbkCut(GetField(row, 0), kBankNameLen);
  for (int i = 0; i < 4; ++i) {
    bank.Addr[i] = GbkCut(GetField(row, i + 1), kBankAddrLen);
  }
  return bank;
}

TBankSimple GetBankSimple(HWND_T window, std::int32_t bankId) {
  TBankSimple bank;
  std::string answer;
  const std::string command = FormatCommand("ST_GetBankSimple %d", {bankId});
  if (HostCommand(window, kChannelBank, command, answer, 1024) != 0) {
    return bank;
  }
  const std::size_t addr = kBankAddrLen + 1;
  std::vector<std::string> f = SplitFields(
      GetRow(answer, 1), '\x07', {12, kBankNameLen + 1, addr, addr, addr, addr, kSwiftCodeLen + 1});
  bank.Id = ParseDecimal(f[0]).value_or(0);
  bank.Name = f[1];
  for (int i = 0; i < 4; ++i) {
    bank.Addr[i] = f[static_cast<std::size_t>(i) + 2];
  }
  bank.SwiftCode = f[6];
  return bank;
}

}  // namespace frame
