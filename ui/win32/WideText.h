// The module's texts as the wide Win32 API takes them, and back. The module's texts are
// GBK, or Big5 on a Traditional-Chinese system, where the command channel hands the
// dialogs Big5 and takes Big5 back (frame/HostChannel.h), as the original's controls
// took them in the system's code page. The conversion goes through the module's own
// code-page tables (sys/CodePage.h), not the system's, so that a window shows what the
// headless transcript names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ui::win32 {

std::wstring WideFromModel(std::string_view text);
// GBK whatever the system: file names (the file services read GBK, sys/Files.h) and font
// names, which the channel never converts.
std::wstring WideFromGbk(std::string_view gbk);

// The wide text in the module's code page; none when a character of it has no form there
// (the operator's input is then refused, as the module can keep no other).
std::optional<std::string> ModelFromWide(std::wstring_view wide);
std::optional<std::string> GbkFromWide(std::wstring_view wide);

}  // namespace ui::win32
