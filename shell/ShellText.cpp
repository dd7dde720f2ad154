#include "shell/ShellText.h"

#include "sys/Files.h"
#include "ui/script/ScriptText.h"

namespace shell {

std::string ShownInMessage(std::string_view utf8) {
  // Longer texts are shown cut: they only ever appear in messages.
  constexpr std::size_t kShownBytes = 4096;
  return ui::Utf8ToShown(utf8.substr(0, kShownBytes));
}

std::vector<std::string_view> SplitRows(std::string_view text) {
  std::vector<std::string_view> rows;
  std::size_t pos = 0;
  std::string_view row;
  while (sys::NextLine(text, pos, row)) {
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string_view> SplitFields(std::string_view row) {
  std::vector<std::string_view> fields;
  if (row.empty()) {
    return fields;
  }
  std::size_t start = 0;
  while (true) {
    std::size_t sep = row.find('\x07', start);
    if (sep == std::string_view::npos) {
      fields.push_back(row.substr(start));
      return fields;
    }
    fields.push_back(row.substr(start, sep - start));
    start = sep + 1;
  }
}

}  // namespace shell
