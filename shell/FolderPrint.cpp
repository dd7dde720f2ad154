#include "shell/FolderPrint.h"

#include <charconv>
#include <cstring>
#include <ostream>

#include "shell/ShellSystem.h"
#include "shell/ShellText.h"
#include "sys/GbkChar.h"
#include "ui/script/ScriptText.h"

namespace shell {
namespace {

std::string WidthText(std::string_view width) {
  width = sys::TrimView(width);  // as the list view trims its fields
  int value = 0;
  auto [ptr, ec] = std::from_chars(width.data(), width.data() + width.size(), value);
  if (width.empty() || ec != std::errc() || ptr != width.data() + width.size()) {
    return "-";
  }
  return std::to_string(value);
}

}  // namespace

std::vector<std::string> ColumnLines(std::string_view layout) {
  std::vector<std::string> lines;
  for (std::string_view line : SplitRows(layout)) {
    std::string_view title = line;
    std::string_view width;
    if (size_t sep = line.find('\x07'); sep != std::string_view::npos) {
      title = line.substr(0, sep);
      width = line.substr(sep + 1);
      // Only two fields are read; anything after a second separator is ignored.
      width = width.substr(0, width.find('\x07'));
    }
    if (width.empty()) {
      if (size_t caret = line.find('^'); caret != std::string_view::npos) {
        title = line.substr(0, caret);
        width = line.substr(caret + 1);
        width = width.substr(0, width.find('^'));
      }
    }
    lines.push_back("column " + ui::QuoteText(sys::TrimView(title)) + " " + WidthText(width));
  }
  return lines;
}

std::vector<std::string> RowLines(std::string_view rows) {
  std::vector<std::string> lines;
  for (std::string_view row : SplitRows(rows)) {
    std::string line = "row";
    for (std::string_view field : SplitFields(row)) {
      line += " " + ui::QuoteText(field);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

ListRows PrintFolderList(const TFolderList& list, std::ostream& out, std::ostream& err) {
  // The module promises zero-terminated texts; a faulty one is still read in bounds.
  std::string_view layout(list.ColumnLayout, strnlen(list.ColumnLayout, sizeof list.ColumnLayout));
  std::string fileName(list.FileName, strnlen(list.FileName, sizeof list.FileName));
  for (const std::string& line : ColumnLines(layout)) {
    out << line << '\n';
  }
  if (fileName.empty()) {
    return ListRows::kNoFile;
  }
  std::string content;
  std::string error;
  if (!ReadRowsFile(fileName.c_str(), content, error)) {
    err << "tavro-shell: cannot read the rows file " << ui::QuoteText(fileName) << ": " << error
        << '\n';
    return ListRows::kUnreadable;
  }
  for (const std::string& line : RowLines(content)) {
    out << line << '\n';
  }
  unlink(fileName.c_str());
  return ListRows::kPrinted;
}

}  // namespace shell
