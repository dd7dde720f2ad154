// The module's GBK texts as the wide Win32 API takes them, and back. The conversion goes
// through the module's own code-page tables (sys/CodePage.h), not the system's code
// page, so that a window shows what the headless transcript names whatever the desktop's
// language is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ui::win32 {

std::wstring WideFromGbk(std::string_view gbk);

// The wide text as GBK; none when a character of it has no GBK form (the operator's
// input is then refused, as GBK is all the module can keep).
std::optional<std::string> GbkFromWide(std::wstring_view wide);

}  // namespace ui::win32
