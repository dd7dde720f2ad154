// Filling a report-style list view from a folder list: columns from the layout text,
// one row per line of the rows file.
#pragma once

#include <string>
#include <string_view>

#include "sys/Abi.h"

namespace ui {
class TListView;
}

namespace frame {

// Appends one column per layout line (title, 0x07 or "^", width in tens of pixels).
// A column without a width, or whose width is no number from 0 to kMaxColumnWidth, is
// 100 pixels wide. Amount columns ("金额", or "amount" in any case) are right-aligned.
inline constexpr int kMaxColumnWidth = 1000;
void SetupListViewColumns(ui::TListView& view, std::string_view layout);

// Appends one row per line of the file (caption, then sub-items at 0x07) and deletes
// the file. Nothing happens when the file does not exist.
void LoadListViewRows(ui::TListView& view, const std::string& fileName);

// The columns of the layout, then, when the layout has any, the rows of the file.
void FillFolderListView(ui::TListView& view, const TFolderList& list);

}  // namespace frame
