// The Win32 windows' texts in the system's mode: GBK on a Simplified-Chinese system, Big5
// on a Traditional-Chinese one; file and font names GBK on both. Run once per locale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "sys/Win32Api.h"
#include "ui/win32/WideText.h"

namespace {

using ui::win32::GbkFromWide;
using ui::win32::ModelFromWide;
using ui::win32::WideFromGbk;
using ui::win32::WideFromModel;

const std::string kGbkTaiwan = "\xCC\xA8\xCD\xE5";  // 台湾

TEST(Win32WideText, ShowsAndTakesTheModulesTextInTheSystemsMode) {
  const char* locale = std::getenv("TAVRO_TEST_LOCALE");
  const bool traditional = locale != nullptr && std::string(locale) == "zh_TW";
  struct Case {
    std::wstring Wide;
    std::optional<std::string> Traditional;  // the module's bytes on each system;
    std::optional<std::string> Simplified;   // none: refused there
  };
  const Case cases[] = {
      {L"臺灣", std::string("\xBB\x4F\xC6\x57"), std::string("\xC5\x5F\x9E\xB3")},
      {L"台湾", std::nullopt, kGbkTaiwan},             // 湾 is no Big5 character
      {L"们", std::nullopt, std::string("\xC3\xC7")},  // Simplified only
      {L"한", std::nullopt, std::nullopt},             // in neither
      {L"ok", std::string("ok"), std::string("ok")},
  };
  for (const Case& c : cases) {
    const std::optional<std::string>& bytes = traditional ? c.Traditional : c.Simplified;
    EXPECT_EQ(ModelFromWide(c.Wide), bytes) << sys::win32::Narrow(c.Wide);
    if (bytes) {
      EXPECT_EQ(WideFromModel(*bytes), c.Wide) << sys::win32::Narrow(c.Wide);
    }
  }
  // File and font names stay GBK.
  EXPECT_EQ(WideFromGbk("\xCB\xCE\xCC\xE5"), L"宋体");
  EXPECT_EQ(GbkFromWide(L"台湾"), kGbkTaiwan);
}

}  // namespace
