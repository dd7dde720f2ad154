// Code-page conversions through ICU converters, opened per call (a converter is not
// shareable between threads).
#include "sys/CodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

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

// A from-Unicode callback that substitutes every character the target lacks, unlike
// ICU's own, which skips default-ignorable ones.
void SubstituteEvenInvisible(const void* /*context*/, UConverterFromUnicodeArgs* args,
                             const UChar* /*units*/, int32_t /*length*/, UChar32 /*codePoint*/,
                             UConverterCallbackReason reason, UErrorCode* status) {
  if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR) {
    *status = U_ZERO_ERROR;
    ucnv_cbFromUWriteSub(args, 0, status);
  }
}

std::string Convert(std::string_view text, CodePage from, CodePage to, bool markInvisible) {
  if (text.empty()) {
    return {};
  }
  if (from == to) {
    return std::string(text);
  }
  Converter src = OpenConverter(from);
  Converter dst = OpenConverter(to);
  UErrorCode status = U_ZERO_ERROR;
  if (markInvisible) {
    ucnv_setFromUCallBack(dst.get(), SubstituteEvenInvisible, nullptr, nullptr, nullptr, &status);
  }
  // Worst case: every source byte becomes a four-byte target character.
  std::string out(text.size() * 4 + 16, '\0');
  char* target = out.data();
  const char* source = text.data();
  std::vector<UChar> pivot(1024);
  UChar* pivotSource = pivot.data();
  UChar* pivotTarget = pivot.data();
  ucnv_convertEx(dst.get(), src.get(), &target, out.data() + out.size(), &source,
                 text.data() + text.size(), pivot.data(), &pivotSource, &pivotTarget,
                 pivot.data() + pivot.size(), true, true, &status);
  if (U_FAILURE(status)) {
    throw std::runtime_error("code-page conversion failed");
  }
  out.resize(static_cast<size_t>(target - out.data()));
  return out;
}

}  // namespace

std::string ConvertText(std::string_view text, CodePage from, CodePage to) {
  return Convert(text, from, to, false);
}

std::string Utf8ToGbkMarkingInvisible(std::string_view text) {
  return Convert(text, CodePage::Utf8, CodePage::Gbk, true);
}

}  // namespace sys
