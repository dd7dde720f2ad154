// What the environment's locale decides: the language and code page of the texts, the
// lead bytes, and the character set of the file names the operator types.
#include "sys/Locale.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "sys/CodePage.h"
#include "sys/FileSystemName.h"
#include "sys/TickCount.h"
#include "tests/support/TestEnv.h"

namespace {

using tavro_test::Gbk;
using tavro_test::ScopedEnv;

TEST(Locale, FromName) {
  const struct {
    const char* name;
    int primary, sub, codePage;
  } cases[] = {
      {"zh_TW.UTF-8", 4, 1, 950},
      {"zh_HK", 4, 1, 950},
      {"zh_TW.Big5@x", 4, 1, 950},
      {"zh_CN.GBK", 4, 2, 936},
      {"zh_SG.UTF-8", 4, 2, 936},
      {"ja_JP.UTF-8", 17, 1, 932},
      {"ko_KR.UTF-8", 9, 1, 949},
      {"en_US.UTF-8", 9, 1, 0},
      {"C", 9, 1, 0},
      {"POSIX", 9, 1, 0},
      {"", 9, 1, 0},
      {"zhx_TW", 9, 1, 0},
  };
  for (const auto& c : cases) {
    sys::LocaleInfo info = sys::LocaleFromName(c.name);
    EXPECT_EQ(info.primary, c.primary) << c.name;
    EXPECT_EQ(info.sub, c.sub) << c.name;
    EXPECT_EQ(info.codePage, c.codePage) << c.name;
  }
}

TEST(Locale, EnvironmentPrecedence) {
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv messages("LC_MESSAGES", nullptr);
  ScopedEnv lang("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(sys::SystemLocale().primary, 17);
  {
    ScopedEnv m("LC_MESSAGES", "zh_CN.UTF-8");
    EXPECT_EQ(sys::SystemLocale().sub, 2);
    ScopedEnv a("LC_ALL", "zh_TW.UTF-8");
    EXPECT_EQ(sys::SystemLocale().sub, 1);
    ScopedEnv empty("LC_ALL", "");  // set but empty: not used
    EXPECT_EQ(sys::SystemLocale().sub, 2);
  }
  ScopedEnv none("LANG", nullptr);
  EXPECT_EQ(sys::SystemLocale().primary, 9);
}

TEST(Locale, LeadBytesFollowTheCodePage) {
  const struct {
    int cp;
    unsigned char byte;
    bool lead;
  } cases[] = {
      {936, 0x80, false}, {936, 0x81, true},  {936, 0xFE, true},   {936, 0xFF, false},
      {950, 0xA4, true},  {949, 0xB0, true},  {932, 0x81, true},   {932, 0x9F, true},
      {932, 0xA0, false}, {932, 0xDF, false}, {932, 0xE0, true},   {932, 0xFC, true},
      {932, 0xFD, false}, {0, 0xB0, false},   {1252, 0xB0, false}, {936, 'A', false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::IsDbcsLeadByte(c.cp, c.byte), c.lead) << c.cp << " " << int(c.byte);
  }
}

// The tick count is the time since boot: it agrees with the kernel's uptime.
TEST(TickCount, CountsMillisecondsSinceBoot) {
  std::uint64_t first = sys::TickCount();
  double uptime = 0;
  std::ifstream("/proc/uptime") >> uptime;
  std::uint64_t second = sys::TickCount();
  EXPECT_LE(first, second);
  ASSERT_GT(uptime, 0);
  double diff = static_cast<double>(second) - uptime * 1000.0;
  EXPECT_LT(diff < 0 ? -diff : diff, 5000.0);
}

TEST(FileSystemName, TheCharacterSetIsTheLocalesCodeset) {
  const struct {
    const char* all;
    const char* ctype;
    const char* lang;
    const char* charset;
  } cases[] = {
      {nullptr, nullptr, nullptr, "UTF-8"},
      {nullptr, nullptr, "zh_CN.GBK", "GBK"},
      {nullptr, "zh_TW.Big5", "zh_CN.GBK", "Big5"},
      {"en_US.UTF-8@euro", "zh_CN.GBK", nullptr, "UTF-8"},
      {"", "", "ja_JP.eucJP", "eucJP"},
      {"C", "zh_CN.GBK", nullptr, "UTF-8"},
      {"POSIX", nullptr, nullptr, "UTF-8"},
      {nullptr, nullptr, "C.UTF-8", "UTF-8"},
      {nullptr, nullptr, "xx_YY", "UTF-8"},  // a locale the system does not know
  };
  for (const auto& c : cases) {
    ScopedEnv all("LC_ALL", c.all);
    ScopedEnv ctype("LC_CTYPE", c.ctype);
    ScopedEnv lang("LANG", c.lang);
    EXPECT_EQ(sys::FileNameCharset(), c.charset)
        << (c.all ? c.all : "-") << " " << (c.ctype ? c.ctype : "-") << " "
        << (c.lang ? c.lang : "-");
  }
}

TEST(FileSystemName, TheTypedNameBecomesTheFileSystemsBytes) {
  const std::string big5Name =
      sys::ConvertText("/data/客戶.txt", sys::CodePage::Utf8, sys::CodePage::Big5);
  const struct {
    const char* locale;
    std::string typed;
    std::optional<std::string> name;
  } cases[] = {
      {"zh_CN.UTF-8", Gbk("/data/客户.txt"), "/data/客户.txt"},
      {"zh_CN.GBK", Gbk("/data/客户.txt"), Gbk("/data/客户.txt")},
      {"zh_CN.GB18030", Gbk("/data/客户.txt"), Gbk("/data/客户.txt")},
      {"zh_TW.BIG5", Gbk("/data/客戶.txt"), big5Name},
      {"zh_TW.BIG5", Gbk("/data/客户.txt"), std::nullopt},  // Big5 has no 户
      {"en_US.ISO-8859-1", Gbk("/data/café"), "/data/caf\xE9"},
      {"en_US.ISO-8859-1", Gbk("/data/客户.txt"), std::nullopt},
      {"zh_CN.UTF-8", "/data/a b.txt", "/data/a b.txt"},
      {"zh_CN.UTF-8", "/data/\xFF.txt", std::nullopt},  // not GBK
  };
  for (const auto& c : cases) {
    ScopedEnv all("LC_ALL", c.locale);
    EXPECT_EQ(sys::FileSystemName(c.typed), c.name) << c.locale << " " << c.typed;
  }
}

}  // namespace
