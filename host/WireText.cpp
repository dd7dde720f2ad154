// The host's edge between the wire (GBK, 0x07 fields, CR LF rows, 0x0E line breaks) and
// the database's UTF-8; see WireText.h.
#include "host/WireText.h"

#include <cstring>

#include "sys/CodePage.h"

namespace host {

bool SplitChannel(std::string_view raw, Channel& channel, std::string_view& command,
                  std::string& error) {
  if (raw.size() < 4 || raw[3] != kFieldSep) {
    error = "channel prefix missing (A01 or A03 and 0x07)";
    return false;
  }
  std::string_view prefix = raw.substr(0, 3);
  if (prefix == "A01") {
    channel = Channel::Main;
  } else if (prefix == "A03") {
    channel = Channel::Bank;
  } else {
    error = "unknown channel prefix";
    return false;
  }
  command = raw.substr(4);
  return true;
}

bool ArgumentToUtf8(std::string_view gbk, std::string& utf8) {
  utf8.clear();
  if (gbk.empty()) {
    return true;
  }
  bool plain = true;
  bool marks = false;
  for (char c : gbk) {
    plain = plain && static_cast<unsigned char>(c) < 0x80;
    marks = marks || c == kLineBreakMark;
  }
  if (plain && !marks) {
    utf8.assign(gbk);
    return true;
  }
  // 0x0E is below every GBK trail byte, so each one is a mark of its own.
  std::string text;
  text.reserve(gbk.size() + 8);
  for (char c : gbk) {
    if (c == kLineBreakMark) {
      text += "\r\n";
    } else {
      text.push_back(c);
    }
  }
  if (plain) {
    utf8 = std::move(text);
    return true;
  }
  utf8 = sys::GbkToUtf8(text);
  // Bytes that are no GBK become substitutes; they would not come back as sent.
  return sys::Utf8ToGbk(utf8) == text;
}

bool AppendFramedRow(const std::vector<std::string>& row, std::string& text) {
  bool plain = true;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i > 0) {
      text.push_back(kFieldSep);
    }
    // Copied in runs between line breaks; the scan notes any byte outside ASCII.
    const std::string& field = row[i];
    std::size_t start = 0;
    for (std::size_t k = 0; k < field.size(); ++k) {
      const char c = field[k];
      if (static_cast<unsigned char>(c) >= 0x80) {
        plain = false;
      } else if (c == '\r' || c == '\n') {
        text.append(field, start, k - start);
        if (c == '\r' && k + 1 < field.size() && field[k + 1] == '\n') {
          ++k;
        }
        text.push_back(kLineBreakMark);
        start = k + 1;
      }
    }
    text.append(field, start, std::string::npos);
  }
  text += "\r\n";
  return plain;
}

std::string FramedToWire(std::string framed, bool plain) {
  if (plain) {
    return framed;
  }
  return sys::Utf8ToGbkMarkingInvisible(framed);
}

std::string FrameAnswer(const Answer& answer) {
  // Room for every field, its separator or row end, at once.
  std::size_t size = 0;
  for (const auto& row : answer.rows) {
    for (const std::string& field : row) {
      size += field.size() + 1;
    }
    size += 2;
  }
  std::string text;
  text.reserve(size);
  bool plain = true;
  for (const auto& row : answer.rows) {
    plain = AppendFramedRow(row, text) && plain;
  }
  return FramedToWire(std::move(text), plain);
}

std::size_t GbkCutLength(std::string_view gbk, std::size_t max) {
  std::size_t pos = 0;
  while (pos < gbk.size()) {
    unsigned char c = static_cast<unsigned char>(gbk[pos]);
    std::size_t width = (c >= 0x81 && c <= 0xFE && pos + 1 < gbk.size()) ? 2 : 1;
    if (pos + width > max) {
      break;
    }
    pos += width;
  }
  return pos;
}

void WriteErrorText(std::string_view utf8, char* error) {
  if (!error) {
    return;
  }
  std::string gbk = sys::Utf8ToGbkMarkingInvisible(utf8);
  std::size_t n = GbkCutLength(gbk, kErrorTextMax);
  std::memcpy(error, gbk.data(), n);
  error[n] = '\0';
}

}  // namespace host
