// Initialisation files, read and written with the platform's rules.
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
  // Blanks around a key and its GBK value are trimmed, the first match wins, values are
  // raw (quotes stay) and only the first [CN] counts.
  WriteFile(Path(),
            "; comment=no\r\n[CN]\r\n  Lbl_A_Text = \xC4\xFA\xBA\xC3 \r\nlbl_a_text=second\r\n"
            "Empty=\r\nno equals sign here\r\nQuoted=\"a b\",c\r\n[en]\r\nKey=english\r\n"
            "[cn]\r\nLater=never read\r\n");
  sys::IniFile ini(Path());
  EXPECT_TRUE(ini.Exists());
  EXPECT_EQ(ini.ReadString("cn", "LBL_A_TEXT", "d"), "\xC4\xFA\xBA\xC3");
  EXPECT_EQ(ini.ReadString("CN", "Empty", "d"), "");
  EXPECT_EQ(ini.ReadString("CN", "Quoted", "d"), "\"a b\",c");
  EXPECT_EQ(ini.ReadString("CN", "Missing", "d"), "d");
  EXPECT_EQ(ini.ReadString("CN", "Later", "d"), "d");
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
  // A key line beginning with ";" would read as a comment: the value would be lost.
  EXPECT_THROW(w.WriteString("S", " ;k", "v"), std::invalid_argument);
  w.WriteString(";S", "k;", "v");  // a section may: "[;S]" is no comment
  w.Save();
  EXPECT_EQ(sys::IniFile(Path()).ReadString(";S", "k;", "d"), "v");
}

// Names fold the Latin letters a-z only: GBK bytes and the other ASCII signs that
// differ from a letter by bit 0x20 stay apart.
TEST(IniNames, OnlyLatinLettersFold) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"Right", "rIGHT", true},
      {"Lbl_A1", "LBL_a1", true},
      {"a", "a ", false},
      {"@", "`", false},
      {"[", "{", false},
      {"1", "\x11", false},
      {"\xB0\xE1", "\xB0\xC1", false},
      {"\xC4\xFA", "\xC4\xFA", true},
      {"", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::SameIniName(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(sys::SameIniName(c.b, c.a), c.same) << c.b << " / " << c.a;
  }
}

// Several sections in one pass give what ReadString gives for each of their keys.
TEST_F(IniFileTest, SectionViewsFollowTheReadRules) {
  std::string big(3000, 'v');
  big[2046] = '\xB0';  // a double-byte character across the value bound
  big[2047] = '\xA1';
  // 12 is given twice: the caller keeps the first.
  WriteFile(Path(),
            "; [Update] in a comment opens nothing\r\n[right]\r\n 12 = 11110000 \r\n"
            "3=10000000\r\n; 4=commented\r\n12=00000000\r\nno entry\r\n[Other]\r\n"
            "9=1\r\n\r\n  [ UPDATE ]  \r\nbig=" +
                big + "\r\n[Right]\r\n77=never read\r\n");
  const sys::IniFile ini(Path());
  const std::string_view names[] = {"Right", "Update", "Delete", "RIGHT"};
  const std::vector<sys::IniSectionView> read = ini.ReadSectionViews(names);
  ASSERT_EQ(read.size(), 4u);
  for (std::size_t i = 0; i < read.size(); ++i) {  // a name given twice: its first place only
    EXPECT_EQ(read[i].Found, i < 2) << i;
    EXPECT_EQ(read[i].Entries.empty(), i >= 2) << i;
  }

  std::vector<std::pair<std::string_view, std::string_view>> right;
  for (const sys::IniEntryView& e : read[0].Entries) {
    right.emplace_back(e.Key, e.Value);
  }
  EXPECT_EQ(right, (std::vector<std::pair<std::string_view, std::string_view>>{
                       {"12", "11110000"}, {"3", "10000000"}, {"12", "00000000"}}));
  ASSERT_EQ(read[1].Entries.size(), 1u);
  EXPECT_EQ(read[1].Entries[0].Value.size(), 2046u);  // bounded, the character not split
  EXPECT_EQ(read[1].Entries[0].Value, ini.ReadString("Update", "big", ""));
  EXPECT_EQ(ini.ReadString("Right", "12", ""), "11110000");
  EXPECT_EQ(ini.ReadString("Right", "77", "none"), "none");
}

// Reading walks the text as read until the first write; from then on every read and
// the save see the edited lines.
TEST_F(IniFileTest, ReadsAndSavesSeeEveryWrite) {
  WriteFile(Path(), "[S]\na=1\n\n[T]\nb=2");  // no line end after the last line
  sys::IniFile ini(Path());
  EXPECT_EQ(ini.ReadString("T", "b", ""), "2");
  ini.Save();  // nothing written yet: the same lines, each ended
  EXPECT_EQ(ReadFile(Path()), "[S]\na=1\n\n[T]\nb=2\n");

  ini.WriteString("s", "c", "3");
  ini.WriteString("T", "b", "4");
  ini.WriteString("U", "d", "5");
  EXPECT_EQ(ini.ReadString("S", "c", ""), "3");
  EXPECT_EQ(ini.ReadString("T", "b", ""), "4");
  EXPECT_EQ(ini.ReadKeys("S"), (std::vector<std::string>{"a", "c"}));
  EXPECT_TRUE(ini.SectionExists("u"));
  const std::string_view names[] = {"U", "S"};
  const auto read = ini.ReadSectionViews(names);
  ASSERT_EQ(read[1].Entries.size(), 2u);
  EXPECT_EQ(read[1].Entries[1].Key, "c");
  ASSERT_EQ(read[0].Entries.size(), 1u);
  EXPECT_EQ(read[0].Entries[0].Value, "5");
  ini.Save();
  EXPECT_EQ(ReadFile(Path()), "[S]\na=1\nc=3\n\n[T]\nb=4\n\n[U]\nd=5\n");
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
