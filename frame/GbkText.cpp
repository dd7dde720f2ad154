#include "frame/GbkText.h"

#include <algorithm>
#include <cstring>

namespace frame {

// Walks characters from the start, since a byte's role depends on what precedes it.
std::size_t GbkCutLength(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) {
    return text.size();
  }
  std::size_t pos = 0;
  while (pos < maxBytes) {
    std::size_t len = GbkCharLength(text, pos);
    if (pos + len > maxBytes) {
      break;
    }
    pos += len;
  }
  return pos;
}

std::string_view GbkCut(std::string_view text, std::size_t maxBytes) {
  return text.substr(0, GbkCutLength(text, maxBytes));
}

void CopyToField(char* field, std::size_t fieldSize, std::string_view text) {
  if (field == nullptr || fieldSize == 0) {
    return;
  }
  std::size_t n = GbkCutLength(text, fieldSize - 1);
  if (n > 0) {
    std::memcpy(field, text.data(), n);
  }
  std::memset(field + n, 0, fieldSize - n);
}

std::string_view FieldText(const char* field, std::size_t fieldSize) {
  if (field == nullptr) {
    return {};
  }
  const void* zero = std::memchr(field, 0, fieldSize);
  std::size_t n =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : fieldSize;
  return {field, n};
}

std::size_t GbkFind(std::string_view text, std::string_view mark, std::size_t from) {
  if (mark.empty()) {
    return from <= text.size() ? from : std::string_view::npos;
  }
  // A mark that starts with a byte below 0x40 can never be a trail byte: no walk needed.
  if (static_cast<unsigned char>(mark[0]) < 0x40) {
    return text.find(mark, from);
  }
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (pos >= from && text.compare(pos, mark.size(), mark) == 0) {
      return pos;
    }
    pos += GbkCharLength(text, pos);
  }
  return std::string_view::npos;
}

std::string GbkReplaceChar(std::string_view text, char from, char to) {
  std::string out(text);
  if (static_cast<unsigned char>(from) < 0x40) {
    std::replace(out.begin(), out.end(), from, to);
    return out;
  }
  for (std::size_t pos = 0; pos < out.size();) {
    std::size_t len = GbkCharLength(out, pos);
    if (len == 1 && out[pos] == from) {
      out[pos] = to;
    }
    pos += len;
  }
  return out;
}

std::string GbkUpperAscii(std::string_view text) {
  std::string out(text);
  for (std::size_t pos = 0; pos < out.size();) {
    std::size_t len = GbkCharLength(out, pos);
    if (len == 1 && out[pos] >= 'a' && out[pos] <= 'z') {
      out[pos] = static_cast<char>(out[pos] - 'a' + 'A');
    }
    pos += len;
  }
  return out;
}

}  // namespace frame
