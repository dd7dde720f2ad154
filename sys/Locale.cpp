#include "sys/Locale.h"

#include <string>

namespace sys {

// Compares only the language and territory: "zh_TW.Big5@x" is zh_TW.
LocaleInfo LocaleFromName(std::string_view name) {
  std::string_view base = name.substr(0, name.find_first_of(".@"));
  std::string_view lang = base.substr(0, base.find('_'));
  std::string_view region = base.find('_') == std::string_view::npos
                                ? std::string_view{}
                                : base.substr(base.find('_') + 1);
  LocaleInfo info;
  if (lang == "zh") {
    info.primary = kLangChinese;
    if (region == "TW" || region == "HK" || region == "MO") {
      info.sub = kSubLangChineseTraditional;
      info.codePage = 950;
    } else {
      info.sub = kSubLangChineseSimplified;
      info.codePage = 936;
    }
  } else if (lang == "ja") {
    info.primary = kLangJapanese;
    info.codePage = 932;
  } else if (lang == "ko") {
    info.codePage = 949;
  }
  return info;
}

bool IsDbcsLeadByte(int cp, unsigned char byte) {
  switch (cp) {
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    default:
      return false;
  }
}

}  // namespace sys
