// Property and update commands of the five shared records.
#include "frame/RecordCmd.h"

#include <span>
#include <string>
#include <utility>
#include <vector>

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

// The fields of a property answer into a record, by the record's table.
template <class Rec, std::size_t N>
Rec ReadFields(std::string row, const TRecordField<Rec> (&fields)[N]) {
  Rec rec;
  FieldReader f(std::move(row));
  for (const TRecordField<Rec>& field : fields) {
    switch (field.Kind) {
      case FieldKind::Text:
        rec.*field.TextMember = f.Text(field.Len);
        break;
      case FieldKind::Lines:
        rec.*field.TextMember = f.Lines(field.Len);
        break;
      case FieldKind::Int:
        rec.*field.IntMember = f.Int(field.Unreadable);
        break;
    }
  }
  return rec;
}

// Reads the record a property command names; the empty record when the read failed.
template <class Rec, std::size_t N>
Rec GetRecord(HWND_T window, const std::string& command, const TRecordField<Rec> (&fields)[N]) {
  std::string row;
  if (!ReadRecord(window, command, row)) {
    return Rec{};
  }
  return ReadFields(std::move(row), fields);
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

// "name %d,%s,...": the function id, then the record's sent fields in table order, each
// text cut to its length.
template <class Rec, std::size_t N>
std::string UpdateCommand(std::string_view name, std::int32_t functionId, const Rec& rec,
                          const TRecordField<Rec> (&fields)[N]) {
  std::string templ = std::string(name) + " %d";
  std::vector<CommandArg> args;
  args.reserve(N + 1);
  args.emplace_back(functionId);
  for (const TRecordField<Rec>& field : fields) {
    if (!field.Sent) {
      continue;
    }
    if (field.Kind == FieldKind::Int) {
      templ += ",%d";
      args.emplace_back(rec.*field.IntMember);
    } else {
      templ += ",%s";
      args.emplace_back(GbkCut(rec.*field.TextMember, field.Len));
    }
  }
  return FormatCommand(templ, std::span<const CommandArg>(args));
}

}  // namespace

TUserRec GetUserRec(HWND_T window, std::string_view userId) {
  return GetRecord(window, FormatCommand("MN_GetPropOfUser %s", {userId}), kUserFields);
}

TAccountRec GetAccountRec(HWND_T window, std::string_view corpId, std::string_view accountNo) {
  return GetRecord(window, FormatCommand("MN_GetPropOfAccount %s,%s", {corpId, accountNo}),
                   kAccountFields);
}

TCustomerRec GetCustomerRec(HWND_T window, std::string_view corpId, std::string_view custId) {
  return GetRecord(window, FormatCommand("MN_GetPropOfCustomer %s,%s", {corpId, custId}),
                   kCustomerFields);
}

TCustAcRec GetCustAcRec(HWND_T window, std::int32_t acId) {
  return GetRecord(window, FormatCommand("MN_GetPropOfCustAc %d", {acId}), kCustAcFields);
}

TCustCNYAcRec GetCustCNYAcRec(HWND_T window, std::string_view corpId, std::string_view payeeId) {
  return GetRecord(window, FormatCommand("MN_GetPropOfCustCNYAc %s,%s", {corpId, payeeId}),
                   kCustCNYAcFields);
}

TShellResult UpdateAccountRec(HWND_T window, std::int32_t functionId, const TAccountRec& rec) {
  return SendUpdate(window, UpdateCommand("MN_UpdateAccountRec", functionId, rec, kAccountFields));
}

TShellResult UpdateCustomerRec(HWND_T window, std::int32_t functionId, const TCustomerRec& rec) {
  return SendUpdate(window,
                    UpdateCommand("MN_UpdateCustomerRec", functionId, rec, kCustomerFields));
}

TShellResult UpdateCustAcRec(HWND_T window, std::int32_t functionId, const TCustAcRec& rec) {
  return SendUpdate(window, UpdateCommand("MN_UpdateCustAcRec", functionId, rec, kCustAcFields));
}

TShellResult UpdateCustCNYAcRec(HWND_T window, std::int32_t functionId, const TCustCNYAcRec& rec) {
  return SendUpdate(window,
                    UpdateCommand("MN_UpdateCustCNYAcRec", functionId, rec, kCustCNYAcFields));
}

}  // namespace frame
