// The user list as a CSV file for a spreadsheet: UTF-8 with a byte-order mark (so a
// spreadsheet reads the Chinese texts right), CR LF row ends, a field quoted when it
// holds a comma, a double quote or a line break, inner quotes doubled.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace admin {

// One CSV field from a GBK text: UTF-8, quoted when it needs to be.
std::string CsvField(std::string_view gbk);

// The whole file: the byte-order mark, the header row, then one row per entry of rows.
// Texts are GBK; rows shorter than the header are filled with empty fields.
std::string UserListCsv(const std::vector<std::string>& header,
                        const std::vector<std::vector<std::string>>& rows);

}  // namespace admin
