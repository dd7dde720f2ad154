// Code-page conversions through ICU converters, opened per call (a converter is not
// shareable between threads).
#include "sys/CodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "sys/IcuConverter.h"

namespace sys {
namespace {

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
  IcuConverter src = OpenIcuConverter(from);
  IcuConverter dst = OpenIcuConverter(to);
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
