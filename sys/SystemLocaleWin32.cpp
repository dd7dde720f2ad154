// The system locale on Windows: the thread's locale (GetThreadLocale) as its language
// ids, and its ANSI code page when that is one of the double-byte ones.
#include "sys/Locale.h"
#include "sys/Win32Api.h"

namespace sys {

LocaleInfo SystemLocale() {
  const LCID lcid = ::GetThreadLocale();
  const LANGID lang = LANGIDFROMLCID(lcid);
  LocaleInfo info;
  info.primary = PRIMARYLANGID(lang);
  info.sub = SUBLANGID(lang);
  wchar_t text[8] = {};
  info.codePage = 0;
  if (::GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE, text, 8) > 0) {
    const int cp = static_cast<int>(std::wcstol(text, nullptr, 10));
    if (cp == 936 || cp == 950 || cp == 932 || cp == 949) {
      info.codePage = cp;
    }
  }
  return info;
}

}  // namespace sys
