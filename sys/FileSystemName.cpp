// File names from GBK to the locale's character set, through ICU's strict converters.
#include "sys/FileSystemName.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "sys/TextCharset.h"

namespace sys {
namespace {

constexpr const char* kDefaultCharset = "UTF-8";

// A charset name without case, "-" or "_": "utf8", "UTF-8" and "Utf_8" are one name.
std::string Folded(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c != '-' && c != '_') {
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return out;
}

// GBK itself, GB2312 (which it extends) and GB18030 (which extends it) hold the module's
// bytes as they are.
bool HoldsGbkAsIs(std::string_view charset) {
  const std::string name = Folded(charset);
  return name == "gbk" || name == "cp936" || name == "gb2312" || name == "euccn" ||
         name == "gb18030";
}

// ASCII only: the C and POSIX locales' codeset under its names.
bool IsAscii(std::string_view charset) {
  const std::string name = Folded(charset);
  return name == "ansix3.41968" || name == "ascii" || name == "usascii" || name == "646";
}

// The codeset the system gives a locale named without one ("zh_CN" is GB2312 to glibc).
std::string SystemCodeset(const std::string& locale) {
  locale_t loc = ::newlocale(LC_CTYPE_MASK, locale.c_str(), static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) {
    return {};
  }
  std::string codeset = ::nl_langinfo_l(CODESET, loc);
  ::freelocale(loc);
  return codeset;
}

}  // namespace

std::string FileNameCharset() {
  std::string locale;
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(var);
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  }
  if (locale.empty() || locale == "C" || locale == "POSIX") {
    return kDefaultCharset;
  }
  // language_territory.codeset@modifier
  std::string codeset;
  const std::size_t dot = locale.find('.');
  if (dot != std::string::npos) {
    codeset = locale.substr(dot + 1, locale.find('@', dot) - dot - 1);
  } else {
    codeset = SystemCodeset(locale);
  }
  if (codeset.empty() || IsAscii(codeset)) {
    return kDefaultCharset;
  }
  return codeset;
}

std::optional<std::string> FileSystemName(std::string_view gbkName) {
  const std::optional<std::u16string> chars = DecodeCleanText(gbkName, CodePage::Gbk);
  if (!chars) {
    return std::nullopt;
  }
  const std::string charset = FileNameCharset();
  if (HoldsGbkAsIs(charset)) {
    return std::string(gbkName);
  }
  std::optional<StrictEncoder> encoder;
  try {
    encoder.emplace(charset.c_str());
  } catch (const std::runtime_error&) {
    // A codeset ICU does not know: the system's default for file names.
    encoder.emplace(kDefaultCharset);
  }
  std::string name;
  char32_t missing = 0;
  if (!encoder->Encode(*chars, name, missing)) {
    return std::nullopt;
  }
  return name;
}

}  // namespace sys
