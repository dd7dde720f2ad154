#include "sys/Locale.h"

#include <gtest/gtest.h>

#include "sys/TickCount.h"
#include "tests/support/TestEnv.h"

#include <fstream>

namespace {

TEST(Locale, FromName) {
  struct Case {
    const char* name;
    int primary, sub, codePage;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    sys::LocaleInfo info = sys::LocaleFromName(c.name);
    EXPECT_EQ(info.primary, c.primary) << c.name;
    EXPECT_EQ(info.sub, c.sub) << c.name;
    EXPECT_EQ(info.codePage, c.codePage) << c.name;
  }
}

TEST(Locale, EnvironmentPrecedence) {
  tavro_test::ScopedEnv all("LC_ALL", nullptr);
  tavro_test::ScopedEnv messages("LC_MESSAGES", nullptr);
  tavro_test::ScopedEnv lang("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(sys::SystemLocale().primary, 17);
  {
    tavro_test::ScopedEnv m("LC_MESSAGES", "zh_CN.UTF-8");
    EXPECT_EQ(sys::SystemLocale().sub, 2);
    tavro_test::ScopedEnv a("LC_ALL", "zh_TW.UTF-8");
    EXPECT_EQ(sys::SystemLocale().sub, 1);
    tavro_test::ScopedEnv empty("LC_ALL", "");  // set but empty: not used
    EXPECT_EQ(sys::SystemLocale().sub, 2);
  }
  tavro_test::ScopedEnv none("LANG", nullptr);
  EXPECT_EQ(sys::SystemLocale().primary, 9);
}

TEST(Locale, LeadBytesFollowTheCodePage) {
  struct Case {
    int cp;
    unsigned char byte;
    bool lead;
  };
  const Case cases[] = {
      {936, 0x80, false}, {936, 0x81, true},  {936, 0xFE, true},   {936, 0xFF, false},
      {950, 0xA4, true},  {949, 0xB0, true},  {932, 0x81, true},   {932, 0x9F, true},
      {932, 0xA0, false}, {932, 0xDF, false}, {932, 0xE0, true},   {932, 0xFC, true},
      {932, 0xFD, false}, {0, 0xB0, false},   {1252, 0xB0, false}, {936, 'A', false},
  };
  for (const Case& c : cases) {
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

}  // namespace
