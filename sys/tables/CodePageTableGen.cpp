// Writes sys/CodePageTables.h's tables for GBK, Big5, Shift-JIS and Korean as a C++
// source: what ICU's converters (sys/IcuConverter, the ones the Linux build converts
// with) make of every byte, every byte pair and every character, asked one by one, so
// that a build without ICU converts exactly as the Linux build does. Fails (exit 1, a
// message naming the code page) when ICU gives something the tables cannot hold.
// Usage: tavro-codepage-tables OUTPUT.cpp
#include <unicode/ucnv.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sys/CodePageTables.h"
#include "sys/IcuConverter.h"

namespace {

using sys::tables::kDropped;
using sys::tables::kLeadByte;
using sys::tables::kUnmapped;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what);
}

// One code point decoded from the front of bytes, and how many bytes it took.
struct Decoded {
  UChar32 cp;
  std::size_t used;
};
Decoded DecodeFirst(UConverter* conv, const std::string& bytes) {
  ucnv_resetToUnicode(conv);
  UErrorCode status = U_ZERO_ERROR;
  const char* source = bytes.data();
  const UChar32 cp = ucnv_getNextUChar(conv, &source, bytes.data() + bytes.size(), &status);
  if (U_FAILURE(status)) {
    Fail("decoding failed");
  }
  return {cp, static_cast<std::size_t>(source - bytes.data())};
}

// What a code point becomes: its bytes, or nothing when ICU drops it.
std::string Encode(UConverter* conv, UChar32 cp) {
  UChar units[2];
  int32_t n = 0;
  U16_APPEND_UNSAFE(units, n, cp);
  ucnv_resetFromUnicode(conv);
  char out[16];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t len = ucnv_fromUChars(conv, out, sizeof out, units, n, &status);
  if (U_FAILURE(status)) {
    Fail("encoding failed");
  }
  return std::string(out, static_cast<std::size_t>(len));
}

struct Tables {
  std::vector<char16_t> single = std::vector<char16_t>(256);
  std::vector<char16_t> pairs = std::vector<char16_t>(std::size_t{128} * 256);
  std::vector<std::uint8_t> leadOnly = std::vector<std::uint8_t>(std::size_t{128} * 256 / 8);
  char16_t truncated = 0;
  std::vector<std::uint16_t> index = std::vector<std::uint16_t>(256);
  std::vector<std::uint16_t> blocks;
  std::string substitute;
  std::vector<char32_t> droppedAstral;
};

char16_t Unit(UChar32 cp, const char* name) {
  if (cp < 0 || cp > 0xFFFF || U_IS_SURROGATE(cp) || cp == kLeadByte) {
    Fail(std::string(name) + ": a byte sequence decodes to a character beyond the tables");
  }
  return static_cast<char16_t>(cp);
}

Tables Build(sys::CodePage cp) {
  const char* name = sys::IcuConverterName(cp);
  sys::IcuConverter conv = sys::OpenIcuConverter(cp);
  Tables t;
  for (int b = 0; b < 256; ++b) {
    const std::string alone{static_cast<char>(b), 'A'};
    const Decoded d = DecodeFirst(conv.get(), alone);
    t.single[b] = d.used == 1 ? Unit(d.cp, name) : kLeadByte;
    if (b < 0x80 && t.single[b] == kLeadByte) {
      Fail(std::string(name) + ": a lead byte below 0x80");
    }
  }
  for (int lead = 0x80; lead < 0x100; ++lead) {
    if (t.single[lead] != kLeadByte) {
      continue;
    }
    const Decoded last = DecodeFirst(conv.get(), std::string(1, static_cast<char>(lead)));
    t.truncated = Unit(last.cp, name);
    for (int next = 0; next < 256; ++next) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(next), 'A'};
      const Decoded d = DecodeFirst(conv.get(), pair);
      const std::size_t at = static_cast<std::size_t>(lead - 0x80) * 256 + next;
      t.pairs[at] = Unit(d.cp, name);
      if (d.used == 1) {
        t.leadOnly[at / 8] |= static_cast<std::uint8_t>(1u << (at % 8));
      } else if (d.used != 2) {
        Fail(std::string(name) + ": a character of more than two bytes");
      }
    }
  }

  char sub[8];
  int8_t subLen = sizeof sub;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_getSubstChars(conv.get(), sub, &subLen, &status);
  t.substitute.assign(sub, static_cast<std::size_t>(subLen));

  std::map<std::vector<std::uint16_t>, std::uint16_t> known;
  for (int high = 0; high < 256; ++high) {
    std::vector<std::uint16_t> block(256);
    for (int low = 0; low < 256; ++low) {
      const UChar32 c = high * 256 + low;
      if (U_IS_SURROGATE(c) || c == 0) {
        continue;
      }
      const std::string bytes = Encode(conv.get(), c);
      std::uint16_t value = kUnmapped;
      if (bytes.empty()) {
        value = kDropped;
      } else if (bytes == t.substitute &&
                 !(bytes.size() == 1 && t.single[static_cast<unsigned char>(bytes[0])] == c)) {
        value = kUnmapped;
      } else if (bytes.size() == 1 && bytes[0] != 0) {
        value = static_cast<unsigned char>(bytes[0]);
      } else if (bytes.size() == 2 && static_cast<unsigned char>(bytes[0]) >= 0x81) {
        value = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                           static_cast<unsigned char>(bytes[1]));
      } else {
        Fail(std::string(name) + ": a character encodes beyond the tables");
      }
      block[low] = value;
    }
    auto [it, added] = known.emplace(block, static_cast<std::uint16_t>(known.size()));
    if (added) {
      t.blocks.insert(t.blocks.end(), block.begin(), block.end());
    }
    t.index[high] = it->second;
  }
  if (Encode(conv.get(), 0) != std::string(1, '\0')) {
    Fail(std::string(name) + ": U+0000 is no byte 0");
  }
  // Beyond the BMP the code pages hold nothing; ICU drops some (tags, variation
  // selectors) and substitutes the rest.
  for (UChar32 c = 0x10000; c <= 0x10FFFF; ++c) {
    const std::string bytes = Encode(conv.get(), c);
    if (!bytes.empty() && bytes != t.substitute) {
      Fail(std::string(name) + ": a character beyond the BMP is mapped");
    }
    if (bytes.empty()) {
      if (!t.droppedAstral.empty() && t.droppedAstral.back() == static_cast<char32_t>(c - 1)) {
        t.droppedAstral.back() = static_cast<char32_t>(c);
      } else {
        t.droppedAstral.push_back(static_cast<char32_t>(c));
        t.droppedAstral.push_back(static_cast<char32_t>(c));
      }
    }
  }
  return t;
}

template <typename T>
void WriteArray(std::ostream& out, const char* type, const std::string& name,
                const std::vector<T>& values) {
  out << "const " << type << " " << name << "[" << values.size() << "] = {";
  for (std::size_t i = 0; i < values.size(); ++i) {
    out << (i % 16 == 0 ? "\n" : " ") << "0x" << std::hex << static_cast<unsigned long>(values[i])
        << std::dec << ",";
  }
  out << "\n};\n";
}

std::size_t Write(std::ostream& out, const Tables& t, const std::string& name) {
  out << "namespace {\n";
  WriteArray(out, "char16_t", name + "Single", t.single);
  WriteArray(out, "char16_t", name + "Pairs", t.pairs);
  WriteArray(out, "std::uint8_t", name + "LeadOnly", t.leadOnly);
  WriteArray(out, "std::uint16_t", name + "Index", t.index);
  WriteArray(out, "std::uint16_t", name + "Blocks", t.blocks);
  std::vector<char32_t> dropped = t.droppedAstral;
  if (dropped.empty()) {
    dropped = {1, 0};
  }
  WriteArray(out, "char32_t", name + "DroppedAstral", dropped);
  out << "}  // namespace\n";
  const std::size_t bytes = t.single.size() * 2 + t.pairs.size() * 2 + t.leadOnly.size() +
                            t.index.size() * 2 + t.blocks.size() * 2 + dropped.size() * 4;
  out << "const CodePageTable k" << name << "Table{" << name << "Single, " << name << "Pairs, "
      << name << "LeadOnly, 0x" << std::hex << static_cast<unsigned>(t.truncated) << std::dec
      << ", " << name << "Index, " << name << "Blocks, std::string_view(\"";
  for (char c : t.substitute) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
    out << hex;
  }
  out << "\", " << t.substitute.size() << "), " << name << "DroppedAstral, "
      << t.droppedAstral.size() / 2 << ", " << bytes << "};\n";
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tavro-codepage-tables OUTPUT.cpp\n";
    return 2;
  }
  try {
    std::ostringstream out;
    out << "// Generated by sys/tables/CodePageTableGen.cpp from ICU " << U_ICU_VERSION
        << "'s converters; do not edit.\n"
        << "#include \"sys/CodePageTables.h\"\n\nnamespace sys::tables {\n";
    const std::size_t gbk = Write(out, Build(sys::CodePage::Gbk), "Gbk");
    const std::size_t big5 = Write(out, Build(sys::CodePage::Big5), "Big5");
    const std::size_t shiftJis = Write(out, Build(sys::CodePage::ShiftJis), "ShiftJis");
    const std::size_t korean = Write(out, Build(sys::CodePage::Korean), "Korean");
    out << "}  // namespace sys::tables\n";
    std::ofstream file(argv[1], std::ios::binary);
    file << out.str();
    if (!file.flush()) {
      std::cerr << "tavro-codepage-tables: cannot write " << argv[1] << "\n";
      return 1;
    }
    std::cout << "code-page tables: GBK " << gbk << " bytes, Big5 " << big5 << " bytes, Shift-JIS "
              << shiftJis << " bytes, Korean " << korean << " bytes\n";
  } catch (const std::exception& e) {
    std::cerr << "tavro-codepage-tables: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
