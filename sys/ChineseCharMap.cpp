#include "sys/ChineseCharMap.h"

#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

namespace sys {
namespace {

bool IsLead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrail(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter Open(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  Converter conv(ucnv_open(name, &status));
  if (U_FAILURE(status) || !conv) {
    throw std::runtime_error("code page not available");
  }
  return conv;
}

// What every byte pair (lead, trail) and every lone high byte of the source becomes.
struct CharTable {
  std::vector<std::string> pairs = std::vector<std::string>(std::size_t{128} * 256);
  std::array<std::string, 128> single;

  const std::string& Pair(unsigned char lead, unsigned char trail) const {
    return pairs[static_cast<std::size_t>(lead - 0x80) * 256 + trail];
  }
};

// One converter pair and one transform serve every character of the table.
class CharMapper {
 public:
  CharMapper(const char* from, const char* to, const char* rule)
      : from_(Open(from)), to_(Open(to)) {
    UErrorCode status = U_ZERO_ERROR;
    transform_.reset(icu::Transliterator::createInstance(rule, UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !transform_) {
      throw std::runtime_error("Chinese character mapping not available");
    }
  }

  std::string Map(const char* bytes, int32_t length) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(from_.get());
    icu::UnicodeString text(bytes, length, from_.get(), status);
    transform_->transliterate(text);
    ucnv_reset(to_.get());
    status = U_ZERO_ERROR;
    char out[32];
    int32_t n = text.extract(out, sizeof out, to_.get(), status);
    if (U_FAILURE(status) || n < 0 || n > static_cast<int32_t>(sizeof out)) {
      return "?";
    }
    return std::string(out, static_cast<std::size_t>(n));
  }

 private:
  Converter from_;
  Converter to_;
  std::unique_ptr<icu::Transliterator> transform_;
};

CharTable BuildTable(const char* from, const char* to, const char* rule) {
  CharMapper mapper(from, to, rule);
  CharTable table;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) {
        continue;
      }
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      table.pairs[static_cast<std::size_t>(lead - 0x80) * 256 + trail] = mapper.Map(bytes, 2);
    }
  }
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char byte = static_cast<char>(b);
    table.single[b - 0x80] = mapper.Map(&byte, 1);
  }
  return table;
}

std::string MapText(std::string_view text, const CharTable& table) {
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
    } else if (p + 1 < end && IsLead(*p) && IsTrail(p[1])) {
      out += table.Pair(p[0], p[1]);
      p += 2;
    } else {
      out += table.single[*p - 0x80];
      ++p;
    }
  }
  return out;
}

}  // namespace

std::string GbkToBig5Traditional(std::string_view gbk) {
  static const CharTable table = BuildTable("windows-936-2000", "windows-950-2000", "Hans-Hant");
  return MapText(gbk, table);
}

std::string Big5ToGbkSimplified(std::string_view big5) {
  static const CharTable table = BuildTable("windows-950-2000", "windows-936-2000", "Hant-Hans");
  return MapText(big5, table);
}

}  // namespace sys
