#include "ui/headless/ScriptText.h"

#include "sys/CodePage.h"

namespace ui {
namespace {

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

// UTF-8 runs are converted to GBK as a whole; raw bytes join the result unconverted.
class TokenBuilder {
 public:
  void AddUtf8(char c) { run_ += c; }
  void AddRaw(char c) {
    Flush();
    out_ += c;
  }
  std::string Take() {
    Flush();
    return std::move(out_);
  }

 private:
  void Flush() {
    if (!run_.empty()) {
      out_ += sys::Utf8ToGbk(run_);
    }
    run_.clear();
  }
  std::string run_;
  std::string out_;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::optional<std::string> TokenizeLine(std::string_view line, std::vector<ScriptToken>& tokens) {
  tokens.clear();
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && IsBlank(line[pos])) {
      ++pos;
    }
    if (pos >= line.size()) {
      return std::nullopt;
    }
    TokenBuilder token;
    if (line[pos] != '"') {
      while (pos < line.size() && !IsBlank(line[pos])) {
        token.AddUtf8(line[pos++]);
      }
      tokens.push_back({token.Take(), false});
      continue;
    }
    ++pos;
    bool closed = false;
    while (pos < line.size()) {
      char c = line[pos++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\') {
        token.AddUtf8(c);
        continue;
      }
      if (pos >= line.size()) {
        return "unterminated escape at the end of the line";
      }
      char e = line[pos++];
      switch (e) {
        case '\\':
        case '"':
          token.AddUtf8(e);
          break;
        case 'n':
          token.AddUtf8('\n');
          break;
        case 'r':
          token.AddUtf8('\r');
          break;
        case 't':
          token.AddUtf8('\t');
          break;
        case 'x': {
          int hi = pos < line.size() ? HexValue(line[pos]) : -1;
          int lo = pos + 1 < line.size() ? HexValue(line[pos + 1]) : -1;
          if (hi < 0 || lo < 0) {
            return "\\x needs two hexadecimal digits";
          }
          token.AddRaw(static_cast<char>(hi * 16 + lo));
          pos += 2;
          break;
        }
        default:
          return std::string("unknown escape \\") + e;
      }
    }
    if (!closed) {
      return "unterminated quoted text";
    }
    if (pos < line.size() && !IsBlank(line[pos])) {
      return "a quoted text must end its token";
    }
    tokens.push_back({token.Take(), true});
  }
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
      parsed.Tokens.clear();
    }
    script.push_back(std::move(parsed));
    if (end == utf8.size()) {
      break;
    }
  }
  return script;
}

std::string QuoteUtf8(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : utf8) {
    unsigned char b = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20 || b == 0x7F) {
          out += "\\x";
          out += kHex[b >> 4];
          out += kHex[b & 15];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string QuoteText(std::string_view gbk) {
  return QuoteUtf8(sys::GbkToUtf8(gbk));
}

}  // namespace ui
