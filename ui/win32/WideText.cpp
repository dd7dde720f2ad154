// The module's GBK or Big5 text to UTF-16 and back through UTF-8 and the module's own
// code-page tables.
#include "ui/win32/WideText.h"

#include "sys/CodePage.h"
#include "sys/Locale.h"
#include "sys/Win32Api.h"

namespace ui::win32 {
namespace {

// Big5 on the system the channel's Traditional-Chinese mode is taken on (Chinese,
// Traditional sub-language, the thread's locale), GBK on any other.
sys::CodePage ModelCodePage() {
  const sys::LocaleInfo locale = sys::SystemLocale();
  return locale.primary == sys::kLangChinese && locale.sub == sys::kSubLangChineseTraditional
             ? sys::CodePage::Big5
             : sys::CodePage::Gbk;
}

std::wstring WideFrom(std::string_view text, sys::CodePage page) {
  return sys::win32::Widen(sys::ConvertText(text, page, sys::CodePage::Utf8));
}

std::optional<std::string> FromWide(std::wstring_view wide, sys::CodePage page) {
  const std::string utf8 = sys::win32::Narrow(wide);
  std::string text = sys::ConvertText(utf8, sys::CodePage::Utf8, page);
  // A character the code page lacks comes back as the substitution character: the round
  // trip tells.
  if (sys::ConvertText(text, page, sys::CodePage::Utf8) != utf8) {
    return std::nullopt;
  }
  return text;
}

}  // namespace

std::wstring WideFromModel(std::string_view text) {
  return WideFrom(text, ModelCodePage());
}

std::wstring WideFromGbk(std::string_view gbk) {
  return WideFrom(gbk, sys::CodePage::Gbk);
}

std::optional<std::string> ModelFromWide(std::wstring_view wide) {
  return FromWide(wide, ModelCodePage());
}

std::optional<std::string> GbkFromWide(std::wstring_view wide) {
  return FromWide(wide, sys::CodePage::Gbk);
}

}  // namespace ui::win32
