// Shows a folder list the way the shell's list view takes it: one line per column
// of the layout, then one line per row of the rows file.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "sys/Abi.h"

namespace shell {

// `column "title" WIDTH` for each layout line. A line is split at 0x07 into title and
// width, or at "^" when that leaves no width; WIDTH is the layout's decimal width in
// tens of pixels, or "-" when the line gives none or no number.
std::vector<std::string> ColumnLines(std::string_view layout);

// `row "f0" "f1" ...` for each row of a rows file; fields split at 0x07, untrimmed.
std::vector<std::string> RowLines(std::string_view rows);

// What became of a folder list's rows.
enum class ListRows {
  kPrinted,     // the rows file was read (it may hold no rows)
  kNoFile,      // the list names no file: the module's host command failed
  kUnreadable,  // the file it names cannot be read (reported on err)
};

// Prints the folder list: its columns, then the rows of its file, which is deleted
// afterwards as the shell does.
ListRows PrintFolderList(const TFolderList& list, std::ostream& out, std::ostream& err);

}  // namespace shell
