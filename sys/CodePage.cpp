#include "sys/CodePage.h"

#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace sys {
namespace {

const char* IcuName(CodePage cp) {
  switch (cp) {
    case CodePage::Gbk:
      return "windows-936-2000";
    case CodePage::Big5:
      return "windows-950-2000";
    case CodePage::ShiftJis:
      return "ibm-943_P15A-2003";
    case CodePage::Korean:
      return "windows-949-2000";
    case CodePage::Utf8:
      return "UTF-8";
  }
  return "UTF-8";
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenConverter(CodePage cp) {
  UErrorCode status = U_ZERO_ERROR;
  Converter conv(ucnv_open(IcuName(cp), &status));
  if (U_FAILURE(status) || !conv) {
    throw std::runtime_error("code page not available");
  }
  return conv;
}

// Decodes into UTF-16 through ICU; used where the Simplified/Traditional mapping
// needs whole characters.
icu::UnicodeString Decode(std::string_view text, CodePage cp) {
  Converter conv = OpenConverter(cp);
  UErrorCode status = U_ZERO_ERROR;
  return icu::UnicodeString(text.data(), static_cast<int32_t>(text.size()), conv.get(), status);
}

std::string Encode(const icu::UnicodeString& text, CodePage cp) {
  Converter conv = OpenConverter(cp);
  UErrorCode status = U_ZERO_ERROR;
  int32_t need = text.extract(nullptr, 0, conv.get(), status);
  status = U_ZERO_ERROR;
  std::string out(static_cast<size_t>(need), '\0');
  if (need > 0) {
    text.extract(out.data(), need, conv.get(), status);
  }
  return out;
}

std::string MapChinese(std::string_view gbk, const char* rule) {
  if (gbk.empty()) {
    return {};
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> tr(
      icu::Transliterator::createInstance(rule, UTRANS_FORWARD, status));
  if (U_FAILURE(status) || !tr) {
    throw std::runtime_error("Chinese character mapping not available");
  }
  icu::UnicodeString text = Decode(gbk, CodePage::Gbk);
  tr->transliterate(text);
  return Encode(text, CodePage::Gbk);
}

}  // namespace

std::string ConvertText(std::string_view text, CodePage from, CodePage to) {
  if (text.empty()) {
    return {};
  }
  if (from == to) {
    return std::string(text);
  }
  Converter src = OpenConverter(from);
  Converter dst = OpenConverter(to);
  // Worst case: every source byte becomes a four-byte target character.
  std::string out(text.size() * 4 + 16, '\0');
  char* target = out.data();
  const char* source = text.data();
  std::vector<UChar> pivot(1024);
  UChar* pivotSource = pivot.data();
  UChar* pivotTarget = pivot.data();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_convertEx(dst.get(), src.get(), &target, out.data() + out.size(), &source,
                 text.data() + text.size(), pivot.data(), &pivotSource, &pivotTarget,
                 pivot.data() + pivot.size(), true, true, &status);
  if (U_FAILURE(status)) {
    throw std::runtime_error("code-page conversion failed");
  }
  out.resize(static_cast<size_t>(target - out.data()));
  return out;
}

std::string GbkToTraditional(std::string_view gbk) {
  return MapChinese(gbk, "Hans-Hant");
}

std::string GbkToSimplified(std::string_view gbk) {
  return MapChinese(gbk, "Hant-Hans");
}

}  // namespace sys
