#include "sys/IniFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/TestEnv.h"

namespace {

using tavro_test::ReadFile;
using tavro_test::WriteFile;

class IniFileTest : public tavro_test::TempDirTest {
 protected:
  std::string Path() { return TempDir() + "test.ini"; }
};

TEST_F(IniFileTest, ReadsWithThePlatformRules) {
  WriteFile(Path(),
            "; comment=no\r\n"
            "[CN]\r\n"
            "  Lbl_A_Text = \xC4\xFA\xBA\xC3 \r\n"  // GBK bytes, blanks around trimmed
            "lbl_a_text=second\r\n"                 // first match wins
            "Empty=\r\n"
            "no equals sign here\r\n"
            "Quoted=\"a b\",c\r\n"  // values are raw: quotes stay
            "[en]\r\n"
            "Key=english\r\n"
            "[cn]\r\n"
            "Later=never read\r\n");
  sys::IniFile ini(Path());
  EXPECT_TRUE(ini.Exists());
  EXPECT_EQ(ini.ReadString("cn", "LBL_A_TEXT", "d"), "\xC4\xFA\xBA\xC3");
  EXPECT_EQ(ini.ReadString("CN", "Empty", "d"), "");
  EXPECT_EQ(ini.ReadString("CN", "Quoted", "d"), "\"a b\",c");
  EXPECT_EQ(ini.ReadString("CN", "Missing", "d"), "d");
  EXPECT_EQ(ini.ReadString("CN", "Later", "d"), "d");  // only the first [CN] counts
  EXPECT_EQ(ini.ReadString("EN", "key", "d"), "english");
  EXPECT_EQ(ini.ReadString("JP", "Key", "d"), "d");
  EXPECT_EQ(ini.ReadString("CN", "; comment", "d"), "d");
  EXPECT_EQ(ini.ReadKeys("cn"), (std::vector<std::string>{"Lbl_A_Text", "Empty", "Quoted"}));
  EXPECT_TRUE(ini.SectionExists("En"));
  EXPECT_TRUE(ini.KeyExists("CN", "empty"));
  EXPECT_FALSE(ini.KeyExists("EN", "empty"));

  sys::IniFile missing(TempDir() + "none.ini");
  EXPECT_FALSE(missing.Exists());
  EXPECT_EQ(missing.ReadString("A", "B", "def"), "def");
  EXPECT_TRUE(missing.ReadKeys("A").empty());
}

TEST_F(IniFileTest, WritesKeepKeysInPlace) {
  WriteFile(Path(), "[Right]\r\n10=10000000\r\n20=11000000\r\n\r\n[Update]\r\n30=1\r\n");
  sys::IniWriteString(Path(), "right", "10", "00000000");  // rewritten where it stands
  sys::IniWriteString(Path(), "Right", "25", "10100000");  // new key: end of its section
  sys::IniWriteString(Path(), "Delete", "10", "");         // new section: end of file
  EXPECT_EQ(ReadFile(Path()),
            "[Right]\r\n10=00000000\r\n20=11000000\r\n25=10100000\r\n\r\n"
            "[Update]\r\n30=1\r\n\r\n[Delete]\r\n10=\r\n");
  EXPECT_EQ(sys::IniReadString(Path(), "Right", "25", ""), "10100000");

  sys::IniWriteString(TempDir() + "fresh.ini", "S", "K", "V");
  EXPECT_EQ(ReadFile(TempDir() + "fresh.ini"), "[S]\r\nK=V\r\n");

  // Unix line ends stay Unix.
  WriteFile(Path(), "[S]\na=1\n");
  sys::IniWriteString(Path(), "S", "b", "2");
  EXPECT_EQ(ReadFile(Path()), "[S]\na=1\nb=2\n");
}

TEST_F(IniFileTest, BadInputNeverCrashesOrCorrupts) {
  std::string value(5000, 'v');
  value[2046] = '\xB0';  // a double-byte character across the value bound
  value[2047] = '\xA1';
  WriteFile(Path(),
            std::string("[broken\r\nk=1\r\n]=x\r\n=novalue\r\n\x01\xFF\xFE\r\n[S]\r\nbig=") +
                value + "\r\n");
  sys::IniFile ini(Path());
  EXPECT_EQ(ini.ReadString("broken", "k", "d"), "1");  // a header without ']' still opens
  std::string big = ini.ReadString("S", "big", "");
  EXPECT_EQ(big.size(), 2046u);  // bounded, and the character is not split
  EXPECT_EQ(big, std::string(2046, 'v'));

  sys::IniFile w(Path());
  EXPECT_THROW(w.WriteString("S", "k", "two\r\nlines"), std::invalid_argument);
  EXPECT_THROW(w.WriteString("S", "a=b", "v"), std::invalid_argument);
  EXPECT_THROW(w.WriteString("", "k", "v"), std::invalid_argument);
  EXPECT_THROW(w.WriteString("S]", "k", "v"), std::invalid_argument);
}

TEST_F(IniFileTest, SavingReplacesAPlantedLink) {
  std::string victim = TempDir() + "victim";
  WriteFile(victim, "[S]\r\nk=precious\r\n");
  ASSERT_EQ(::symlink(victim.c_str(), Path().c_str()), 0);
  sys::IniWriteString(Path(), "S", "k", "new");
  EXPECT_EQ(ReadFile(victim), "[S]\r\nk=precious\r\n");
  EXPECT_EQ(ReadFile(Path()), "[S]\r\nk=new\r\n");  // the link read as no file
}

}  // namespace
