// The Simplified/Traditional mapping through the compiled-in tables of
// sys/ChineseCharTables.h, for the builds without ICU and OpenCC: the same character
// steps as the Linux build's MapChineseChars, table entries instead of strings.
#include <string>
#include <string_view>

#include "sys/ChineseCharMap.h"
#include "sys/ChineseCharTables.h"
#include "sys/GbkChar.h"

namespace sys {
namespace {

void AppendEntry(std::string& out, std::uint16_t entry) {
  if (entry >= 0x100) {
    out += static_cast<char>(entry >> 8);
    out += static_cast<char>(entry & 0xFF);
  } else if (entry != 0) {
    out += static_cast<char>(entry);
  }
}

std::string Map(std::string_view text, const tables::ChineseMapTable& table) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    if (*p < 0x80) {
      const auto* q = p;
      while (q < end && *q < 0x80) {
        ++q;
      }
      out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(q - p));
      p = q;
    } else if (p + 1 < end && IsGbkLeadByte(*p) && IsGbkTrailByte(p[1])) {
      AppendEntry(out, table.Pairs[static_cast<std::size_t>(p[0] - 0x80) * 256 + p[1]]);
      p += 2;
    } else {
      AppendEntry(out, table.Single[*p - 0x80]);
      ++p;
    }
  }
  return out;
}

}  // namespace

std::string GbkToBig5Traditional(std::string_view gbk) {
  return Map(gbk, tables::kGbkToBig5Traditional);
}

std::string Big5ToGbkSimplified(std::string_view big5) {
  return Map(big5, tables::kBig5ToGbkSimplified);
}

}  // namespace sys
