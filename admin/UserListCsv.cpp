// The user list exported as CSV.
#include "admin/UserListCsv.h"

#include "sys/CodePage.h"

namespace admin {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Appends one row of fields, padded to columns fields, and the row end.
void AppendRow(std::string& out, const std::vector<std::string>& fields, std::size_t columns) {
  for (std::size_t i = 0; i < columns || i < fields.size(); ++i) {
    if (i > 0) {
      out += ',';
    }
    if (i < fields.size()) {
      out += CsvField(fields[i]);
    }
  }
  out += "\r\n";
}

}  // namespace

std::string CsvField(std::string_view gbk) {
  std::string utf8 = sys::GbkToUtf8(gbk);
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) {
    return utf8;
  }
  std::string quoted = "\"";
  for (const char c : utf8) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  quoted += '"';
  return quoted;
}

std::string UserListCsv(const std::vector<std::string>& header,
                        const std::vector<std::vector<std::string>>& rows) {
  std::string out(kByteOrderMark);
  AppendRow(out, header, header.size());
  for (const std::vector<std::string>& row : rows) {
    AppendRow(out, row, header.size());
  }
  return out;
}

}  // namespace admin
