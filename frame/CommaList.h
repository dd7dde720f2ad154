// The comma list by which list-valued texts of the language file are split, and the
// column layout text of a folder list built from one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace frame {

// Splits text into items: items are separated by commas; an item in double quotes may
// hold commas and blanks ("" inside stands for one "), an unquoted item ends at the
// first blank (0x01-0x20) or comma. "a,,b" gives a, "" and b; "a," gives a and "".
std::vector<std::string> SplitCommaList(std::string_view text);

// The column layout of a comma-list value such as "Title^15,Amount^20": each item with
// every '^' replaced by 0x07, followed by CR LF. Only whole lines are kept within
// maxBytes (the layout field's size less its zero byte).
std::string BuildColumnLayout(std::string_view value, std::size_t maxBytes);

inline constexpr std::size_t kColumnLayoutMax = 511;  // TFolderList::ColumnLayout less zero

}  // namespace frame
