// GBK to UTF-16 and back through UTF-8 and the module's own code-page tables.
#include "ui/win32/WideText.h"

#include "sys/CodePage.h"
#include "sys/Win32Api.h"

namespace ui::win32 {

std::wstring WideFromGbk(std::string_view gbk) {
  return sys::win32::Widen(sys::GbkToUtf8(gbk));
}

std::optional<std::string> GbkFromWide(std::wstring_view wide) {
  const std::string utf8 = sys::win32::Narrow(wide);
  std::string gbk = sys::Utf8ToGbk(utf8);
  // A character GBK lacks comes back as the substitution character: the round trip
  // tells.
  if (sys::GbkToUtf8(gbk) != utf8) {
    return std::nullopt;
  }
  return gbk;
}

}  // namespace ui::win32
