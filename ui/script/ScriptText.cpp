#include "ui/script/ScriptText.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "sys/CodePage.h"
#include "sys/GbkChar.h"
#include "sys/GbkPairDecoder.h"
#include "sys/Utf8Char.h"

namespace ui {
namespace {

using Error = std::optional<std::string>;

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Walks the escapes of text: each run of literal text goes to literal, the byte each
// escape names to byte. A backslash never occurs inside a UTF-8 character, so the
// literal runs are whole UTF-8 texts.
template <class Literal, class Byte>
Error WalkEscapes(std::string_view text, Literal literal, Byte byte) {
  std::size_t start = 0;
  while (true) {
    std::size_t slash = text.find('\\', start);
    std::string_view run = text.substr(
        start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    if (Error error = literal(run)) {
      return error;
    }
    if (slash == std::string_view::npos) {
      return std::nullopt;
    }
    if (slash + 1 >= text.size()) {
      return "a backslash ends the text";
    }
    char e = text[slash + 1];
    start = slash + 2;
    switch (e) {
      case '\\':
      case '"':
        byte(e);
        break;
      case 'n':
        byte('\n');
        break;
      case 'r':
        byte('\r');
        break;
      case 't':
        byte('\t');
        break;
      case 'x': {
        int hi = start < text.size() ? HexValue(text[start]) : -1;
        int lo = start + 1 < text.size() ? HexValue(text[start + 1]) : -1;
        if (hi < 0 || lo < 0) {
          return "\\x needs two hexadecimal digits";
        }
        byte(static_cast<char>(hi * 16 + lo));
        start += 2;
        break;
      }
      default:
        return std::string("unknown escape \\") + e;
    }
  }
}

// Splits line at blanks and hands each token to take as written: a quoted token
// without its quotes and with its escapes in place. The first error, in line order,
// ends the split.
template <class Take>
Error ForEachToken(std::string_view line, Take take) {
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && IsBlank(line[pos])) {
      ++pos;
    }
    if (pos >= line.size()) {
      return std::nullopt;
    }
    std::size_t start = pos;
    if (line[pos] != '"') {
      while (pos < line.size() && !IsBlank(line[pos])) {
        ++pos;
      }
      if (Error error = take(line.substr(start, pos - start), false)) {
        return error;
      }
      continue;
    }
    start = ++pos;
    while (pos < line.size() && line[pos] != '"') {
      pos += line[pos] == '\\' ? 2 : 1;
    }
    if (pos >= line.size()) {
      // A bad escape before the end is the nearer fault.
      std::string_view rest = line.substr(start);
      if (Error error = WalkEscapes(
              rest, [](std::string_view) { return Error(); }, [](char) {})) {
        return error;
      }
      return "unterminated quoted text";
    }
    if (Error error = take(line.substr(start, pos - start), true)) {
      return error;
    }
    ++pos;
    if (pos < line.size() && !IsBlank(line[pos])) {
      return "a quoted text must end its token";
    }
  }
}

constexpr const char* kNotGbk = "text that is not UTF-8 or has no GBK form";

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
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  } else {
    out += static_cast<char>(byte);
  }
}

void AppendHexEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

}  // namespace

std::optional<std::string> TokenizeLine(std::string_view line, std::vector<ScriptToken>& tokens) {
  tokens.clear();
  Error error = ForEachToken(line, [&](std::string_view text, bool quoted) -> Error {
    ScriptToken token;
    token.Quoted = quoted;
    std::string why;
    if (quoted) {
      if (!UnescapeToGbk(text, token.Text, why)) {
        return why;
      }
    } else if (std::optional<std::string> gbk = Utf8ToGbkStrict(text)) {
      token.Text = std::move(*gbk);
    } else {
      return kNotGbk;
    }
    tokens.push_back(std::move(token));
    return std::nullopt;
  });
  if (error) {
    tokens.clear();
  }
  return error;
}

bool SplitTokens(std::string_view line, std::vector<std::string>& tokens, std::string& error) {
  tokens.clear();
  Error failed = ForEachToken(line, [&](std::string_view text, bool quoted) -> Error {
    std::string token;
    std::string why;
    if (!quoted) {
      token = text;
    } else if (!Unescape(text, token, why)) {
      return why;
    }
    tokens.push_back(std::move(token));
    return std::nullopt;
  });
  if (failed) {
    error = std::move(*failed);
    return false;
  }
  return true;
}

std::vector<ScriptLine> ParseScript(std::string_view utf8) {
  std::vector<ScriptLine> script;
  int number = 0;
  std::size_t start = 0;
  while (start <= utf8.size()) {
    std::size_t end = utf8.find('\n', start);
    if (end == std::string_view::npos) {
      end = utf8.size();
    }
    std::string_view line = utf8.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    ++number;
    start = end + 1;
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') {
      if (end == utf8.size()) {
        break;
      }
      continue;
    }
    ScriptLine parsed;
    parsed.Number = number;
    parsed.Source = std::string(line.substr(first));
    if (auto error = TokenizeLine(line, parsed.Tokens)) {
      parsed.Error = *error;
    }
    script.push_back(std::move(parsed));
    if (end == utf8.size()) {
      break;
    }
  }
  return script;
}

bool Unescape(std::string_view text, std::string& out, std::string& error) {
  out.clear();
  Error failed = WalkEscapes(
      text,
      [&](std::string_view run) {
        out += run;
        return Error();
      },
      [&](char byte) { out += byte; });
  if (failed) {
    error = std::move(*failed);
    return false;
  }
  return true;
}

bool UnescapeToGbk(std::string_view utf8, std::string& out, std::string& error) {
  out.clear();
  Error failed = WalkEscapes(
      utf8,
      [&](std::string_view run) -> Error {
        std::optional<std::string> gbk = Utf8ToGbkStrict(run);
        if (!gbk) {
          return kNotGbk;
        }
        out += *gbk;
        return std::nullopt;
      },
      [&](char byte) { out += byte; });
  if (failed) {
    error = std::move(*failed);
    return false;
  }
  return true;
}

std::optional<std::string> Utf8ToGbkStrict(std::string_view utf8) {
  // Validate first: the conversion would quietly substitute bad sequences.
  if (utf8.size() > 0x7FFFFFF) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < utf8.size();) {
    if (!sys::NextUtf8Char(utf8, i)) {
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

std::string GbkToShown(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  std::optional<sys::GbkPairDecoder> decoder;
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte < 0x80) {
      AppendShownAscii(out, byte);
      continue;
    }
    if (sys::GbkCharLength(gbk, i) == 2) {
      if (!decoder) {
        decoder.emplace();
      }
      if (decoder->AppendUtf8(gbk.data() + i, out)) {
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

std::string Utf8ToShown(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    const std::optional<char32_t> c = sys::NextUtf8Char(utf8, i);
    if (!c) {
      for (std::size_t k = start; k < i; ++k) {
        AppendHexEscape(out, static_cast<unsigned char>(utf8[k]));
      }
    } else if (*c < 0x80) {
      AppendShownAscii(out, static_cast<unsigned char>(*c));
    } else {
      out.append(utf8.data() + start, i - start);
    }
  }
  return out;
}

std::string QuoteText(std::string_view gbk) {
  return "\"" + GbkToShown(gbk) + "\"";
}

std::string QuoteUtf8(std::string_view utf8) {
  return "\"" + Utf8ToShown(utf8) + "\"";
}

}  // namespace ui
