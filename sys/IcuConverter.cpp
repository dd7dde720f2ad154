#include "sys/IcuConverter.h"

#include <stdexcept>
#include <string>

namespace sys {

const char* IcuConverterName(CodePage cp) {
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

IcuConverter OpenIcuConverter(const char* name, Strictness strictness) {
  UErrorCode status = U_ZERO_ERROR;
  IcuConverter conv(ucnv_open(name, &status));
  if (U_SUCCESS(status) && conv &&
      (strictness == Strictness::StopDecoding || strictness == Strictness::StopBoth)) {
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  }
  if (U_SUCCESS(status) && conv &&
      (strictness == Strictness::StopEncoding || strictness == Strictness::StopBoth)) {
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
  }
  if (U_FAILURE(status) || !conv) {
    throw std::runtime_error(std::string("code page not available: ") + name);
  }
  return conv;
}

IcuConverter OpenIcuConverter(CodePage cp, Strictness strictness) {
  return OpenIcuConverter(IcuConverterName(cp), strictness);
}

}  // namespace sys
