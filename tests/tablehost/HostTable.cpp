#include "tests/tablehost/HostTable.h"

#include <cctype>
#include <charconv>

#include "ui/script/ScriptText.h"

namespace tablehost {
namespace {

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) {
      return parts;
    }
    start = tab + 1;
  }
}

// True when the text ends with a "*" that no backslash escapes.
bool EndsWithPattern(std::string_view text) {
  if (text.empty() || text.back() != '*') {
    return false;
  }
  size_t slashes = 0;
  for (size_t i = text.size() - 1; i > 0 && text[i - 1] == '\\'; --i) {
    ++slashes;
  }
  return slashes % 2 == 0;
}

}  // namespace

bool ParseTable(std::string_view text, std::vector<TableEntry>& entries, std::string& error) {
  entries.clear();
  size_t number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
    start = end == std::string_view::npos ? text.size() : end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (line.empty() || line.front() == '#') {
      continue;
    }
    auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(number) + ": " + what;
      return false;
    };
    std::vector<std::string_view> parts = SplitTabs(line);
    if (parts.size() < 2 || parts.size() > 3) {
      return fail("expected COMMAND, a tab, STATUS and optionally a tab and ANSWER");
    }
    TableEntry entry;
    std::string_view command = parts[0];
    entry.prefix = EndsWithPattern(command);
    if (entry.prefix) {
      command.remove_suffix(1);
    }
    std::string why;
    if (!ui::UnescapeToGbk(command, entry.command, why)) {
      return fail("command: " + why);
    }
    std::string_view status = parts[1];
    auto [ptr, ec] = std::from_chars(status.data(), status.data() + status.size(), entry.status);
    if (status.empty() || ec != std::errc() || ptr != status.data() + status.size()) {
      return fail("the status is not a decimal number");
    }
    if (parts.size() == 3 && !ui::UnescapeToGbk(parts[2], entry.answer, why)) {
      return fail("answer: " + why);
    }
    entries.push_back(std::move(entry));
  }
  return true;
}

std::string_view StripChannel(std::string_view command) {
  const auto alnum = [&](std::size_t i) {
    return std::isalnum(static_cast<unsigned char>(command[i])) != 0;
  };
  return command.size() >= 4 && command[3] == '\x07' && alnum(0) && alnum(1) && alnum(2)
             ? command.substr(4)
             : command;
}

const TableEntry* FindAnswer(const std::vector<TableEntry>& entries, std::string_view command) {
  for (const TableEntry& entry : entries) {
    if (entry.prefix ? command.substr(0, entry.command.size()) == entry.command
                     : command == entry.command) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace tablehost
