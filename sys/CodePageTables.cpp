// Code-page conversions through the compiled-in tables of sys/CodePageTables.h, for the
// builds without ICU: text is decoded into code points (a double-byte code page or
// UTF-8, with ICU's rules for broken sequences) and encoded into the target the same
// way, so the result is byte for byte what the Linux build's ICU conversion gives.
#include <stdexcept>
#include <string>

#include "sys/CodePage.h"
#include "sys/CodePageTables.h"

namespace sys {
namespace {

using tables::CodePageTable;

constexpr char32_t kReplacement = 0xFFFD;

const CodePageTable* TableOf(CodePage cp) {
  switch (cp) {
    case CodePage::Gbk:
      return &tables::kGbkTable;
    case CodePage::Big5:
      return &tables::kBig5Table;
    case CodePage::ShiftJis:
      return &tables::kShiftJisTable;
    case CodePage::Korean:
      return &tables::kKoreanTable;
    case CodePage::Utf8:
      return nullptr;
  }
  throw std::runtime_error("code page " + std::to_string(static_cast<int>(cp)) +
                           " is not built in");
}

// How a character was read: whole, cut off by the end of the text, or broken (a byte
// sequence that is no character of the code page; it reads as ICU's substitute).
enum class Read { Whole, Cut, Broken };

// The code point at text[pos] of a double-byte code page; pos moves past it. No
// character of the double-byte code pages is U+FFFD, so the tables' U+FFFD is a broken sequence.
char32_t NextFromTable(const CodePageTable& t, std::string_view text, std::size_t& pos,
                       Read& read) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  const char16_t single = t.Single[lead];
  if (single != tables::kLeadByte) {
    read = single == kReplacement ? Read::Broken : Read::Whole;
    return single;
  }
  if (pos == text.size()) {
    read = Read::Cut;
    return t.Truncated;
  }
  const std::size_t at =
      static_cast<std::size_t>(lead - 0x80) * 256 + static_cast<unsigned char>(text[pos]);
  if ((t.LeadOnly[at / 8] & (1u << (at % 8))) == 0) {
    ++pos;
  }
  read = t.Pairs[at] == kReplacement ? Read::Broken : Read::Whole;
  return t.Pairs[at];
}

// The code point at text[pos] of UTF-8; pos moves past it. A broken sequence becomes
// U+FFFD once per maximal subpart (the longest start of a valid sequence), as ICU does.
char32_t NextFromUtf8(std::string_view text, std::size_t& pos, Read& read) {
  const auto b0 = static_cast<unsigned char>(text[pos++]);
  read = Read::Whole;
  if (b0 < 0x80) {
    return b0;
  }
  read = Read::Broken;
  int more = 0;
  char32_t cp = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    more = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    more = 2;
    cp = b0 & 0x0F;
    low = b0 == 0xE0 ? 0xA0 : 0x80;
    high = b0 == 0xED ? 0x9F : 0xBF;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    more = 3;
    cp = b0 & 0x07;
    low = b0 == 0xF0 ? 0x90 : 0x80;
    high = b0 == 0xF4 ? 0x8F : 0xBF;
  } else {
    return kReplacement;
  }
  for (int i = 0; i < more; ++i) {
    if (pos == text.size()) {
      read = Read::Cut;
      return kReplacement;
    }
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b < low || b > high) {
      return kReplacement;
    }
    ++pos;
    cp = (cp << 6) | (b & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  read = Read::Whole;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool DroppedAstral(const CodePageTable& t, char32_t cp) {
  for (std::size_t i = 0; i < t.DroppedAstralCount; ++i) {
    if (cp >= t.DroppedAstral[2 * i] && cp <= t.DroppedAstral[2 * i + 1]) {
      return true;
    }
  }
  return false;
}

// The table's entry for a code point other than U+0000.
std::uint16_t Lookup(const CodePageTable& t, char32_t cp) {
  if (cp < 0x10000) {
    return t.Blocks[static_cast<std::size_t>(t.Index[cp >> 8]) * 256 + (cp & 0xFF)];
  }
  return DroppedAstral(t, cp) ? tables::kDropped : tables::kUnmapped;
}

void AppendValue(std::string& out, std::uint16_t value) {
  if (value < 0x100) {
    out += static_cast<char>(value);
  } else {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
  }
}

void AppendToTable(const CodePageTable& t, std::string& out, char32_t cp, bool markInvisible) {
  if (cp == 0) {
    out += '\0';
    return;
  }
  const std::uint16_t value = Lookup(t, cp);
  if (value == tables::kDropped) {
    if (markInvisible) {
      out += t.Substitute;
    }
  } else if (value == tables::kUnmapped) {
    out += t.Substitute;
  } else {
    AppendValue(out, value);
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
}

std::string Convert(std::string_view text, CodePage from, CodePage to, bool markInvisible) {
  if (text.empty()) {
    return {};
  }
  if (from == to) {
    return std::string(text);
  }
  const CodePageTable* source = TableOf(from);
  const CodePageTable* target = TableOf(to);
  std::string out;
  out.reserve(text.size() * (target == nullptr ? 3 : 1));
  Read read = Read::Whole;
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t cp =
        source != nullptr ? NextFromTable(*source, text, pos, read) : NextFromUtf8(text, pos, read);
    if (target == nullptr) {
      AppendUtf8(out, cp);
    } else {
      AppendToTable(*target, out, cp, markInvisible);
    }
  }
  return out;
}

}  // namespace

std::string ConvertText(std::string_view text, CodePage from, CodePage to) {
  return Convert(text, from, to, false);
}

std::string Utf8ToGbkMarkingInvisible(std::string_view text) {
  return Convert(text, CodePage::Utf8, CodePage::Gbk, true);
}

namespace tables {

bool DecodeStrict(std::string_view bytes, CodePage cp, bool flush, std::u16string& out) {
  const CodePageTable* source = TableOf(cp);
  Read read = Read::Whole;
  for (std::size_t pos = 0; pos < bytes.size();) {
    const char32_t c = source != nullptr ? NextFromTable(*source, bytes, pos, read)
                                         : NextFromUtf8(bytes, pos, read);
    if (read == Read::Cut && !flush) {
      return true;
    }
    if (read != Read::Whole) {
      return false;
    }
    AppendUtf16(out, c);
  }
  return true;
}

bool EncodeStrict(std::u16string_view text, CodePage cp, std::string& out, char32_t& missing) {
  const CodePageTable* target = TableOf(cp);
  std::string encoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      missing = c;
      return false;
    }
    if (target == nullptr) {
      AppendUtf8(encoded, c);
      continue;
    }
    const std::uint16_t value = c == 0 ? 0 : Lookup(*target, c);
    // ICU's stop callback, too, lets the characters it would drop go without a trace.
    if (c != 0 && value == tables::kDropped) {
      continue;
    }
    if (c != 0 && value == tables::kUnmapped) {
      missing = c;
      return false;
    }
    AppendValue(encoded, value);
  }
  out += encoded;
  return true;
}

}  // namespace tables

}  // namespace sys
