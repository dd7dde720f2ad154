// Fuzz target: the Chinese conversions (sys/ChineseCharMap, sys/CodePage). Checked: whole
// characters only, ASCII kept in order, pieces convert as the whole, clean GBK round-trips.
#include <unicode/utf8.h>

#include <array>

#include "sys/ChineseCharMap.h"
#include "sys/CodePage.h"
#include "sys/GbkChar.h"
#include "sys/TextCharset.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// Bytes above ASCII are halves of double-byte characters (GBK and Big5 share the
// ranges) but for code page 936's two single ones: 0x80 (euro) and 0xFF (U+F8F5).
bool WholeDoubleByteChars(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t len = sys::GbkCharLength(text, pos);
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (len == 1 && byte > 0x80 && byte != 0xFF) {
      return false;
    }
    pos += len;
  }
  return true;
}

bool ValidUtf8(std::string_view text) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(s, i, length, c);
    if (c < 0) {
      return false;
    }
  }
  return true;
}

// The ASCII bytes of from appear in to in the same order (substitutes may come between).
bool AsciiKept(std::string_view from, std::string_view to) {
  std::size_t at = 0;
  for (std::size_t pos = 0; pos < from.size();) {
    const std::size_t len = sys::GbkCharLength(from, pos);
    if (len == 1 && static_cast<unsigned char>(from[pos]) < 0x80) {
      at = to.find(from[pos], at);
      if (at == std::string_view::npos) {
        return false;
      }
      ++at;
    }
    pos += len;
  }
  return true;
}

using Mapping = std::string (*)(std::string_view);

void CheckMapping(Mapping map, std::string_view text, std::size_t cutAt) {
  const std::string out = map(text);
  FUZZ_CHECK(WholeDoubleByteChars(out));
  FUZZ_CHECK(AsciiKept(text, out));
  const std::size_t cut = sys::GbkCharStart(text, cutAt);
  FUZZ_CHECK(map(text.substr(0, cut)) + map(text.substr(cut)) == out);
}

constexpr std::array kCodePages = {sys::CodePage::Gbk, sys::CodePage::Big5, sys::CodePage::Utf8,
                                   sys::CodePage::ShiftJis, sys::CodePage::Korean};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavro_fuzz::FuzzInput input(data, size);
  const std::uint8_t choice = input.Byte();
  const std::size_t cutAt = input.Byte();
  const std::string_view text = input.Rest();

  CheckMapping(&sys::GbkToBig5Traditional, text, cutAt);
  CheckMapping(&sys::Big5ToGbkSimplified, text, cutAt);

  const sys::CodePage from = kCodePages[choice % kCodePages.size()];
  const sys::CodePage to = kCodePages[(choice / kCodePages.size()) % kCodePages.size()];
  const std::string converted = sys::ConvertText(text, from, to);
  // A text "converted" to its own code page is handed back as it is.
  if (to == sys::CodePage::Utf8 && from != to) {
    FUZZ_CHECK(ValidUtf8(converted));
  }
  FUZZ_CHECK(WholeDoubleByteChars(sys::Utf8ToGbkMarkingInvisible(text)));
  if (sys::IsCleanText(text, sys::CodePage::Gbk)) {
    FUZZ_CHECK(sys::Utf8ToGbk(sys::GbkToUtf8(text)) == text);
  }
  return 0;
}
