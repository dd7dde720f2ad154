#include "frame/ResultText.h"

#include <charconv>
#include <cstring>

#include "frame/GbkText.h"
#include "sys/Files.h"

namespace frame {
namespace {

// Separators below 0x40 are never trail bytes, so a plain byte search is exact for them.
std::size_t FindSeparator(std::string_view text, char separator, std::size_t from) {
  if (static_cast<unsigned char>(separator) < 0x40) {
    return text.find(separator, from);
  }
  return GbkFind(text, std::string_view(&separator, 1), from);
}

}  // namespace

std::string GetRow(std::string_view text, int n) {
  std::size_t pos = 0;
  std::string_view row;
  for (int i = 1; i <= n && sys::NextLine(text, pos, row); ++i) {
    if (i == n) {
      return std::string(row);
    }
  }
  return {};
}

std::vector<std::string> SplitRows(std::string_view text) {
  return sys::SplitLines(text);
}

std::string GetField(std::string_view text, int i) {
  std::size_t start = 0;
  for (int field = 0; field < i; ++field) {
    std::size_t sep = text.find('\x07', start);
    if (sep == std::string_view::npos) {
      break;  // beyond the last: the last field
    }
    start = sep + 1;
  }
  std::size_t sep = text.find('\x07', start);
  std::size_t end = sep == std::string_view::npos ? text.size() : sep;
  return Trim(text.substr(start, end - start));
}

std::vector<std::string> SplitAll(std::string_view text, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t sep = FindSeparator(text, separator, start);
    if (sep == std::string_view::npos) {
      fields.emplace_back(text.substr(start));
      return fields;
    }
    fields.emplace_back(text.substr(start, sep - start));
    start = sep + 1;
  }
}

std::vector<std::string> SplitFields(std::string_view text, char separator,
                                     const std::vector<std::size_t>& bufferSizes) {
  std::vector<std::string> out(bufferSizes.size());
  std::size_t start = 0;
  for (std::size_t i = 0; i < bufferSizes.size() && start <= text.size(); ++i) {
    std::size_t sep = FindSeparator(text, separator, start);
    std::size_t end = sep == std::string_view::npos ? text.size() : sep;
    std::size_t room = bufferSizes[i] == 0 ? 0 : bufferSizes[i] - 1;
    out[i] = std::string(GbkCut(text.substr(start, end - start), room));
    if (sep == std::string_view::npos) {
      break;
    }
    start = sep + 1;
  }
  return out;
}

// 0x0D, 0x0A and 0x0E are never trail bytes, so replacing them byte by byte copies every
// double-byte character untouched.
std::string DecodeNewlines(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  const void* mark = std::memchr(p, kLineBreakMark, text.size());
  if (mark == nullptr) {
    return std::string(text);
  }
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 16);
  while (mark != nullptr) {
    const char* m = static_cast<const char*>(mark);
    out.append(p, m);
    out += "\r\n";
    p = m + 1;
    mark = std::memchr(p, kLineBreakMark, static_cast<std::size_t>(end - p));
  }
  out.append(p, end);
  return out;
}

std::string EncodeNewlines(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  // The next CR and the next LF, each searched again only once passed.
  const char* cr = static_cast<const char*>(std::memchr(p, '\r', text.size()));
  const char* lf = static_cast<const char*>(std::memchr(p, '\n', text.size()));
  if (cr == nullptr && lf == nullptr) {
    return std::string(text);
  }
  std::string out;
  out.reserve(text.size());
  while (cr != nullptr || lf != nullptr) {
    const char* q = (lf == nullptr || (cr != nullptr && cr < lf)) ? cr : lf;
    out.append(p, q);
    if (*q == '\r') {
      out += kLineBreakMark;
    }
    p = q + 1;
    const auto rest = static_cast<std::size_t>(end - p);
    if (q == cr) {
      cr = static_cast<const char*>(std::memchr(p, '\r', rest));
    }
    if (q == lf) {
      lf = static_cast<const char*>(std::memchr(p, '\n', rest));
    }
  }
  out.append(p, end);
  return out;
}

std::optional<int> ParseDecimal(std::string_view text) {
  std::string_view t = TrimView(text);
  if (!t.empty() && t[0] == '+') {
    t.remove_prefix(1);
    if (!t.empty() && t[0] == '-') {
      return std::nullopt;
    }
  }
  if (t.empty()) {
    return std::nullopt;
  }
  int value = 0;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value, 10);
  if (ec != std::errc() || ptr != t.data() + t.size()) {
    return std::nullopt;
  }
  return value;
}

TShellResult ParseShellResult(std::string_view text) {
  TShellResult result = kZeroShellResult;
  std::size_t sep = text.find('\x07');
  if (sep == std::string_view::npos) {
    CopyToField(result.Text, text);
  } else {
    result.Code = ParseDecimal(text.substr(0, sep)).value_or(0);
    CopyToField(result.Text, text.substr(sep + 1));
  }
  return result;
}

std::string TextBefore(std::string_view text, std::string_view mark) {
  if (mark.empty()) {
    return std::string(text);
  }
  std::size_t pos = GbkFind(text, mark);
  return std::string(pos == std::string_view::npos ? text : text.substr(0, pos));
}

namespace {

std::optional<int> CodeOf(std::string_view text) {
  std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    return std::nullopt;
  }
  return ParseDecimal(text.substr(0, colon));
}

}  // namespace

int ItemCode(std::string_view text) {
  return CodeOf(text).value_or(-1);
}

int FindItemByCode(const std::vector<std::string>& items, int code) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::optional<int> c = CodeOf(items[i]);
    if (c && *c == code) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

TCodeNameDetail SplitCodeNameDetail(std::string_view text) {
  TCodeNameDetail out;
  std::size_t colon = text.find(':');
  std::size_t nameStart = 0;
  if (colon != std::string_view::npos) {
    out.Number = ParseDecimal(text.substr(0, colon)).value_or(0);
    nameStart = colon + 1;
  }
  std::size_t nameEnd = text.find('(', nameStart);
  if (nameEnd == std::string_view::npos) {
    nameEnd = text.size();
  }
  out.Name = std::string(GbkCut(text.substr(nameStart, nameEnd - nameStart), kCodeNameDetailLen));
  std::size_t open = text.find('(');
  std::size_t close = text.find(')');
  if (open != std::string_view::npos && close != std::string_view::npos && open < close) {
    out.Detail = std::string(GbkCut(text.substr(open + 1, close - open - 1), kCodeNameDetailLen));
  }
  return out;
}

}  // namespace frame
