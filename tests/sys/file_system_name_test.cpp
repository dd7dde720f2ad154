// The file the operator names: the typed GBK name in the file system's character set,
// and a regular file reached through links.
#include "sys/FileSystemName.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "sys/CodePage.h"
#include "sys/Files.h"
#include "tests/support/TestEnv.h"

namespace {

using tavro_test::Gbk;
using tavro_test::ScopedEnv;

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

class FileReachableTest : public tavro_test::TempDirTest {};

// Links of the operator's own are followed; only a regular file at their end counts.
TEST_F(FileReachableTest, ARegularFileDirectlyOrThroughLinks) {
  const std::string dir = TempDir();
  tavro_test::WriteFile(dir + "file", "x");
  ASSERT_EQ(::symlink((dir + "file").c_str(), (dir + "link").c_str()), 0);
  ASSERT_EQ(::symlink("link", (dir + "chain").c_str()), 0);
  ASSERT_EQ(::symlink("gone", (dir + "dangling").c_str()), 0);
  ASSERT_EQ(::mkdir((dir + "folder").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("folder", (dir + "to-folder").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir + "fifo").c_str(), 0600), 0);
  const struct {
    const char* name;
    bool reachable;
  } cases[] = {{"file", true},    {"link", true},       {"chain", true}, {"dangling", false},
               {"folder", false}, {"to-folder", false}, {"fifo", false}, {"missing", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(sys::FileReachable(dir + c.name), c.reachable) << c.name;
  }
}

}  // namespace
