#include "frame/CommaList.h"

#include "frame/GbkText.h"

namespace frame {
namespace {

// Blanks, commas and double quotes are below 0x40 and so never trail bytes: the walk can
// go byte by byte and still steps over double-byte characters whole.
bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

}  // namespace

std::vector<std::string> SplitCommaList(std::string_view text) {
  std::vector<std::string> items;
  std::size_t pos = 0;
  const std::size_t n = text.size();
  while (pos < n && IsBlank(text[pos])) {
    ++pos;
  }
  while (pos < n) {
    std::string item;
    if (text[pos] == '"') {
      ++pos;
      while (pos < n) {
        if (text[pos] == '"') {
          if (pos + 1 < n && text[pos + 1] == '"') {
            item += '"';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        item += text[pos++];
      }
    } else {
      std::size_t start = pos;
      while (pos < n && !IsBlank(text[pos]) && text[pos] != ',') {
        ++pos;
      }
      item.assign(text.substr(start, pos - start));
    }
    items.push_back(std::move(item));
    while (pos < n && IsBlank(text[pos])) {
      ++pos;
    }
    if (pos < n && text[pos] == ',') {
      if (pos == n - 1) {
        items.emplace_back();
      }
      ++pos;
      while (pos < n && IsBlank(text[pos])) {
        ++pos;
      }
    }
  }
  return items;
}

// A layout cut inside a line would leave a column with a wrong title or width, so only
// whole lines are kept.
std::string BuildColumnLayout(std::string_view value, std::size_t maxBytes) {
  std::string layout;
  for (const std::string& item : SplitCommaList(value)) {
    std::string line = GbkReplaceChar(item, '^', '\x07') + "\r\n";
    if (layout.size() + line.size() > maxBytes) {
      break;
    }
    layout += line;
  }
  return layout;
}

}  // namespace frame
