#include "shell/ShellText.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

#include "sys/CodePage.h"

namespace shell {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHexEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

// One ASCII byte as it is shown.
void AppendShownAscii(std::string& out, unsigned char byte) {
  switch (byte) {
    case '\\':
      out += "\\\\";
      return;
    case '"':
      out += "\\\"";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (byte < 0x20 || byte == 0x7F) {
    AppendHexEscape(out, byte);
  } else {
    out += static_cast<char>(byte);
  }
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// A GBK decoder that reports unmapped or illegal bytes instead of substituting them,
// so the caller can show those bytes escaped.
Converter OpenStrictGbk() {
  UErrorCode status = U_ZERO_ERROR;
  Converter conv(ucnv_open("windows-936-2000", &status));
  if (U_FAILURE(status)) {
    return nullptr;
  }
  ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  if (U_FAILURE(status)) {
    return nullptr;
  }
  return conv;
}

// Appends the double-byte character as UTF-8; false when GBK does not map it.
bool AppendGbkPair(UConverter* conv, const char* pair, std::string& out) {
  if (conv == nullptr) {
    return false;
  }
  UChar wide[4];
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(conv);
  int32_t n = ucnv_toUChars(conv, wide, 4, pair, 2, &status);
  if (U_FAILURE(status) || n < 1) {
    return false;
  }
  char utf8[16];
  int32_t len = 0;
  status = U_ZERO_ERROR;
  u_strToUTF8(utf8, sizeof utf8, &len, wide, n, &status);
  if (U_FAILURE(status) || len <= 0) {
    return false;
  }
  out.append(utf8, static_cast<size_t>(len));
  return true;
}

bool IsLeadByte(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

}  // namespace

std::string GbkToShown(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  Converter conv;
  for (size_t i = 0; i < gbk.size(); ++i) {
    auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte < 0x80) {
      AppendShownAscii(out, byte);
      continue;
    }
    if (IsLeadByte(byte) && i + 1 < gbk.size() &&
        IsTrailByte(static_cast<unsigned char>(gbk[i + 1]))) {
      if (!conv) {
        conv = OpenStrictGbk();
      }
      if (AppendGbkPair(conv.get(), gbk.data() + i, out)) {
        ++i;
        continue;
      }
    }
    // Not a character: show the byte itself. The next byte starts afresh, so a
    // bad lead byte never swallows an ASCII byte after it.
    AppendHexEscape(out, byte);
  }
  return out;
}

std::string QuotedGbk(std::string_view gbk) {
  return "\"" + GbkToShown(gbk) + "\"";
}

std::string Utf8ToShown(std::string_view utf8) {
  std::string out;
  const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
  // Longer texts are shown cut: they only ever appear in messages.
  const auto length = static_cast<int32_t>(std::min<size_t>(utf8.size(), 4096));
  int32_t i = 0;
  while (i < length) {
    int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(s, i, length, c);
    if (c < 0) {
      for (int32_t k = start; k < i; ++k) {
        AppendHexEscape(out, s[k]);
      }
    } else if (c < 0x80) {
      AppendShownAscii(out, static_cast<unsigned char>(c));
    } else {
      out.append(utf8.data() + start, static_cast<size_t>(i - start));
    }
  }
  return out;
}

std::optional<std::string> Utf8ToGbkStrict(std::string_view utf8) {
  // Validate first: ICU's converter would quietly substitute bad sequences.
  if (utf8.size() > 0x7FFFFFF) {
    return std::nullopt;
  }
  int32_t i = 0;
  const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(utf8.size());
  while (i < length) {
    UChar32 c = 0;
    U8_NEXT(s, i, length, c);
    if (c < 0) {
      return std::nullopt;
    }
  }
  std::string gbk = sys::Utf8ToGbk(utf8);
  // A character without a GBK form comes back as a substitute: the round trip shows it.
  if (sys::GbkToUtf8(gbk) != utf8) {
    return std::nullopt;
  }
  return gbk;
}

bool Unescape(std::string_view text, std::string& out, std::string& error) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i + 1 >= text.size()) {
      error = "a backslash ends the text";
      return false;
    }
    char e = text[++i];
    switch (e) {
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        auto hexValue = [](char h) -> int {
          if (h >= '0' && h <= '9') {
            return h - '0';
          }
          if (h >= 'a' && h <= 'f') {
            return h - 'a' + 10;
          }
          if (h >= 'A' && h <= 'F') {
            return h - 'A' + 10;
          }
          return -1;
        };
        int hi = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
        int lo = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
          error = "\\x needs two hexadecimal digits";
          return false;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        error = std::string("unknown escape \\") + e;
        return false;
    }
  }
  return true;
}

bool UnescapeToGbk(std::string_view utf8, std::string& out, std::string& error) {
  out.clear();
  size_t start = 0;
  while (start <= utf8.size()) {
    // In UTF-8 a backslash is always itself, so literal runs end exactly at escapes.
    size_t slash = utf8.find('\\', start);
    std::string_view literal = utf8.substr(
        start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    std::optional<std::string> gbk = Utf8ToGbkStrict(literal);
    if (!gbk) {
      error = "text that is not UTF-8 or has no GBK form";
      return false;
    }
    out += *gbk;
    if (slash == std::string_view::npos) {
      return true;
    }
    size_t length = slash + 1 < utf8.size() && utf8[slash + 1] == 'x' ? 4 : 2;
    std::string byte;
    if (!Unescape(utf8.substr(slash, length), byte, error)) {
      return false;
    }
    out += byte;
    start = slash + length;
  }
  return true;
}

bool SplitTokens(std::string_view line, std::vector<std::string>& tokens, std::string& error) {
  tokens.clear();
  size_t i = 0;
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (true) {
    while (i < line.size() && isBlank(line[i])) {
      ++i;
    }
    if (i >= line.size()) {
      return true;
    }
    if (line[i] != '"') {
      size_t start = i;
      while (i < line.size() && !isBlank(line[i])) {
        ++i;
      }
      tokens.emplace_back(line.substr(start, i - start));
      continue;
    }
    // Quoted: runs to the first double quote that is not escaped.
    size_t start = ++i;
    while (i < line.size() && line[i] != '"') {
      i += line[i] == '\\' ? 2 : 1;
    }
    if (i >= line.size()) {
      error = "a quoted text is not closed";
      return false;
    }
    std::string token;
    if (!Unescape(line.substr(start, i - start), token, error)) {
      return false;
    }
    tokens.push_back(std::move(token));
    ++i;
    if (i < line.size() && !isBlank(line[i])) {
      error = "a quoted text runs into the next token";
      return false;
    }
  }
}

std::vector<std::string_view> SplitRows(std::string_view text) {
  std::vector<std::string_view> rows;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    rows.push_back(text.substr(start, i - start));
    // CR LF and LF CR end one row.
    if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c) {
      ++i;
    }
    start = ++i;
  }
  if (start < text.size()) {
    rows.push_back(text.substr(start));
  }
  return rows;
}

std::vector<std::string_view> SplitFields(std::string_view row) {
  std::vector<std::string_view> fields;
  if (row.empty()) {
    return fields;
  }
  size_t start = 0;
  while (true) {
    size_t sep = row.find('\x07', start);
    if (sep == std::string_view::npos) {
      fields.push_back(row.substr(start));
      return fields;
    }
    fields.push_back(row.substr(start, sep - start));
    start = sep + 1;
  }
}

}  // namespace shell
