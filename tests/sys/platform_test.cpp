// The platform services: files (link-safe private writes, bounded reads), settings files,
// the temporary folder, the program's paths, and what the locale decides.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "sys/CodePage.h"
#include "sys/FileReader.h"
#include "sys/FileSystemName.h"
#include "sys/Files.h"
#include "sys/IniFile.h"
#include "sys/Loader.h"
#include "sys/Locale.h"
#include "sys/ProcessPaths.h"
#include "sys/TempFolder.h"
#include "sys/TickCount.h"
#include "tests/support/TestEnv.h"

namespace {

using Links = sys::FileReader::Links;
using tavro_test::Gbk;
using tavro_test::ReadFile;
using tavro_test::ScopedEnv;
using tavro_test::WriteFile;

class FilesTest : public tavro_test::TempDirTest {};

// The same lines from a text and from a file read in pieces, a line end across two pieces.
TEST_F(FilesTest, LinesOfEveryLineEndFormAlsoAcrossPieces) {
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\n\rb", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\r\n", {"a"}},
      {"\r\na", {"", "a"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\r\n\rb", {"a", "", "b"}},
      {std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
  };
  const std::string file = TempDir() + "lines";
  for (const auto& c : cases) {
    for (std::size_t lead : {std::size_t{0}, sys::kLinePieceBytes - 2, sys::kLinePieceBytes - 1}) {
      // Bytes in front make the first line longer and move the rest to the border.
      const std::string head(lead, 'x');
      std::vector<std::string> lines = c.lines;
      if (lead > 0) {
        lines.empty() ? lines.push_back(head) : void(lines[0].insert(0, head));
      }
      EXPECT_EQ(sys::SplitLines(head + c.text), lines) << c.text;
      WriteFile(file, head + c.text);
      std::vector<std::string> read;
      sys::ForEachLine(file, [&read](std::string_view line) { read.emplace_back(line); });
      EXPECT_EQ(read, lines) << c.text << " after " << lead;
    }
  }
}

// A result file is a regular file by that very name; a pipe must not block the reader.
TEST_F(FilesTest, KindsOfNamesAndTheReaderOnEach) {
  const std::string dir = TempDir();
  WriteFile(dir + "file", "x");
  ASSERT_EQ(::symlink((dir + "file").c_str(), (dir + "link").c_str()), 0);
  ASSERT_EQ(::symlink("link", (dir + "chain").c_str()), 0);
  ASSERT_EQ(::symlink("gone", (dir + "dangling").c_str()), 0);
  ASSERT_EQ(::mkdir((dir + "folder").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("folder", (dir + "to-folder").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir + "fifo").c_str(), 0600), 0);
  const struct {
    const char* name;
    bool file;       // FileExists
    bool path;       // PathExists
    bool reachable;  // FileReachable
    int follow;      // FileReader's Error() following links
    int refuse;      // ... refusing them
  } cases[] = {
      {"file", true, true, true, 0, 0},
      {"link", false, true, true, 0, ELOOP},
      {"chain", false, true, true, 0, ELOOP},
      {"dangling", false, true, false, ENOENT, ELOOP},
      {"folder", false, true, false, EINVAL, EINVAL},
      {"to-folder", false, true, false, EINVAL, ELOOP},
      {"fifo", false, true, false, EINVAL, EINVAL},
      {"missing", false, false, false, ENOENT, ENOENT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(sys::FileExists(dir + c.name), c.file);
    EXPECT_EQ(sys::PathExists(dir + c.name), c.path);
    EXPECT_EQ(sys::FileReachable(dir + c.name), c.reachable);
    EXPECT_EQ(sys::FileReader(dir + c.name, Links::Follow).Error(), c.follow);
    EXPECT_EQ(sys::FileReader(dir + c.name, Links::Refuse).Error(), c.refuse);
  }
  sys::FileReader refused(dir + "fifo", Links::Follow);
  char byte = 0;
  errno = 0;
  EXPECT_EQ(refused.Read(&byte, 1), -1);
  EXPECT_EQ(errno, EINVAL);

  EXPECT_FALSE(sys::DeleteFile(dir + "missing"));
  EXPECT_TRUE(sys::DeleteFile(dir + "link"));  // the link, not what it names
  EXPECT_FALSE(sys::PathExists(dir + "link"));
  EXPECT_TRUE(sys::FileExists(dir + "file"));
}

TEST_F(FilesTest, TheReaderReadsAFileInPieces) {
  const std::string path = TempDir() + "rows.txt";
  WriteFile(path, "0123456789");
  sys::FileReader reader(path, Links::Refuse);
  ASSERT_EQ(reader.Error(), 0);
  EXPECT_EQ(reader.Size(), 10u);
  std::string got;
  char piece[4];
  for (std::ptrdiff_t n; (n = reader.Read(piece, sizeof piece)) > 0;) {
    got.append(piece, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(got, "0123456789");
}

// Every file made is the user's alone whatever the umask (022 readable to all, 0277 unwritable).
TEST_F(FilesTest, EveryFileMadeIsPrivateWhateverTheUmask) {
  for (const unsigned mask : {022u, 0277u, 0u}) {
    tavro_test::ScopedUmask umask(mask);
    const std::string fresh = TempDir() + "new" + std::to_string(mask);
    const int fd = sys::OpenPrivateFile(fresh);
    ASSERT_GE(fd, 0) << mask;
    ::close(fd);
    const std::string replaced = TempDir() + "old" + std::to_string(mask);
    WriteFile(replaced, "old");
    ASSERT_EQ(::chmod(replaced.c_str(), 0644), 0);
    sys::WriteFileBytes(replaced, "new");
    EXPECT_EQ(tavro_test::FileMode(fresh), 0600u) << mask;
    EXPECT_EQ(tavro_test::FileMode(replaced), 0600u) << mask;
    EXPECT_EQ(ReadFile(replaced), "new") << mask;
  }
}

TEST_F(FilesTest, CreateExclusiveNeverReusesAName) {
  const std::string file = TempDir() + "new";
  const int fd = sys::CreateExclusive(file);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_THROW((void)sys::CreateExclusive(file), std::runtime_error);
  // A planted dangling link: the file it points to must not be created.
  const std::string target = TempDir() + "target";
  const std::string link = TempDir() + "planted";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  EXPECT_THROW((void)sys::CreateExclusive(link), std::runtime_error);
  EXPECT_FALSE(sys::PathExists(target));
}

TEST_F(FilesTest, WritingReplacesALinkInsteadOfFollowingIt) {
  const std::string victim = TempDir() + "victim";
  const std::string link = TempDir() + "out";
  const std::string copy = TempDir() + "copy";
  WriteFile(victim, "precious");
  ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
  sys::WriteLines(link, {"a", "b"});
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_TRUE(sys::FileExists(link));
  EXPECT_EQ(ReadFile(link), "a\r\nb\r\n");
  sys::CopyFile(link, copy);
  EXPECT_EQ(ReadFile(copy), "a\r\nb\r\n");
  // Reading refuses a link: the copy source must be the file itself.
  const std::string link2 = TempDir() + "link2";
  ASSERT_EQ(::symlink(victim.c_str(), link2.c_str()), 0);
  EXPECT_THROW(sys::CopyFile(link2, copy), std::runtime_error);
  EXPECT_EQ(ReadFile(copy), "a\r\nb\r\n");
  EXPECT_THROW(sys::ReadLines(link2), std::runtime_error);
}

TEST_F(FilesTest, ReadsAreBoundedAndLeaveNoTemporaries) {
  const std::string file = TempDir() + "big";
  WriteFile(file, std::string(100000, 'x'));
  EXPECT_EQ(sys::ReadFileBytes(file, 10).size(), 10u);
  EXPECT_EQ(sys::ReadFileBytes(file).size(), 100000u);
  EXPECT_THROW(sys::ReadFileBytes(TempDir() + "missing"), std::runtime_error);
  EXPECT_THROW(sys::ReadFileBytes(TempDir()), std::runtime_error);
  sys::WriteFileBytes(file, "short");
  EXPECT_EQ(ReadFile(file), "short");
  EXPECT_THROW(sys::WriteFileBytes(TempDir() + "missing/x", "y"), std::runtime_error);
  EXPECT_EQ(FilesInTempDir().size(), 1u);  // only "big": no ".XXXXXX" file left behind
}

class IniFileTest : public tavro_test::TempDirTest {
 protected:
  std::string Path() { return TempDir() + "test.ini"; }
};

TEST_F(IniFileTest, ReadsWithThePlatformRules) {
  // Blanks trimmed, the first match wins, quotes stay, only the first [CN] counts.
  WriteFile(Path(),
            "[CN]\r\n  Lbl_A_Text = \xC4\xFA\xBA\xC3 \r\nlbl_a_text=second\r\n"
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

// Names fold the Latin letters a-z only, not GBK bytes or signs 0x20 apart.
TEST(IniNames, OnlyLatinLettersFold) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"Right", "rIGHT", true},
      {"a", "a ", false},
      {"@", "`", false},
      {"[", "{", false},
      {"\xB0\xE1", "\xB0\xC1", false},
      {"\xC4\xFA", "\xC4\xFA", true},
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

// After a write, every read and the save see the edited lines.
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

class TempFolderTest : public tavro_test::TempDirTest {
 protected:
  // A folder like /tmp (anyone may write, sticky bit set), and the per-user one in it.
  void SetUp() override {
    TempDirTest::SetUp();
    shared_ = TempDir() + "shared";
    perUser_ = shared_ + "/tavro-" + std::to_string(::geteuid());
    ASSERT_EQ(::mkdir(shared_.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared_.c_str(), 01777), 0);
  }
  std::string shared_;
  std::string perUser_;
};

TEST_F(TempFolderTest, SharedFolderGetsAPrivatePerUserFolder) {
  ScopedEnv env("TMPDIR", shared_.c_str());
  EXPECT_EQ(sys::TempFolder(), perUser_ + "/");
  EXPECT_EQ(tavro_test::FileMode(perUser_), 0700u);
  // A second call keeps it; one opened to others is narrowed again.
  EXPECT_EQ(sys::TempFolder(), perUser_ + "/");
  ASSERT_EQ(::chmod(perUser_.c_str(), 0777), 0);
  EXPECT_EQ(sys::TempFolder(), perUser_ + "/");
  EXPECT_EQ(tavro_test::FileMode(perUser_), 0700u);
}

// The per-user folder or $TMPDIR itself owned by another user.
TEST_F(TempFolderTest, FoldersOfAnotherUserAreRefused) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "changing a folder's owner needs root";
  }
  const std::string other = TempDir() + "other";
  for (const std::string& folder : {perUser_, other}) {
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chown(folder.c_str(), 4321, 4321), 0);
  }
  for (const std::string& tmpdir : {shared_, other}) {
    ScopedEnv env("TMPDIR", tmpdir.c_str());
    EXPECT_THROW(sys::TempFolder(), std::runtime_error) << tmpdir;
  }
}

TEST_F(TempFolderTest, PlantedOrUnusableFoldersAreRefused) {
  const std::string open = TempDir() + "open";
  ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(open.c_str(), 0777), 0);  // anyone may write, no sticky bit
  const std::string file = TempDir() + "file";
  tavro_test::WriteFile(file, "x");
  for (const std::string& bad : {open, file, TempDir() + "missing"}) {
    ScopedEnv env("TMPDIR", bad.c_str());
    EXPECT_THROW(sys::TempFolder(), std::runtime_error) << bad;
  }
  // A link where the per-user folder belongs, even to a folder of ours; a file there.
  ScopedEnv env("TMPDIR", shared_.c_str());
  ASSERT_EQ(::symlink(TempDir().c_str(), perUser_.c_str()), 0);
  EXPECT_THROW(sys::TempFolder(), std::runtime_error);
  ASSERT_EQ(::unlink(perUser_.c_str()), 0);
  tavro_test::WriteFile(perUser_, "x");
  EXPECT_THROW(sys::TempFolder(), std::runtime_error);
}

// A link as $TMPDIR is the user's own choice: followed, and what it names judged alike.
TEST_F(TempFolderTest, PrivateTmpdirIsUsedFollowedOrDefaulted) {
  EXPECT_EQ(sys::TempFolder(), TempDir());
  const std::string target = TempDir() + "target";
  const std::string link = TempDir() + "link";
  ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  {
    ScopedEnv env("TMPDIR", link.c_str());
    EXPECT_EQ(sys::TempFolder(), std::filesystem::canonical(target).string() + "/");
  }
  ScopedEnv env("TMPDIR", nullptr);
  EXPECT_EQ(sys::TempFolder(), "/tmp/tavro-" + std::to_string(::geteuid()) + "/");
}

TEST(ProcessPaths, ExecutableIsThisProgramInItsFolder) {
  const std::string exe = sys::ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe[0], '/');
  EXPECT_EQ(std::filesystem::path(exe).filename(), "sys_tests");
  EXPECT_EQ(sys::FolderOf(exe) + "/sys_tests", exe);
  EXPECT_EQ(sys::FolderOf("/opt/tavro/tavro-shell"), "/opt/tavro");
  EXPECT_EQ(sys::FolderOf("/tavro-shell"), "/");
  EXPECT_EQ(sys::FolderOf("tavro-shell"), "");
}

TEST(ProcessPaths, CurrentFolderFollowsChdir) {
  const std::string before = sys::CurrentFolder();
  ASSERT_EQ(::chdir("/"), 0);
  EXPECT_EQ(sys::CurrentFolder(), "/");
  ASSERT_EQ(::chdir(before.c_str()), 0);
  EXPECT_EQ(sys::CurrentFolder(), std::filesystem::current_path().string());
}

// "X.dll" finds libX.so beside the module; a full path loads as it is; others fail.
TEST(Loader, DllNamesFullPathsAndFailures) {
  std::string error;
  sys::LibraryHandle lib = sys::LoadLibrary("sys_loader_probe.dll", &error);
  ASSERT_NE(lib, nullptr) << error;
  using ProbeFn = int (*)(int);
  auto fn = reinterpret_cast<ProbeFn>(sys::GetProcAddress(lib, "ProbeAnswer", &error));
  ASSERT_NE(fn, nullptr) << error;
  EXPECT_EQ(fn(20), 41);
  EXPECT_EQ(sys::GetProcAddress(lib, "NoSuchEntry", &error), nullptr);
  EXPECT_FALSE(error.empty());
  sys::FreeLibrary(lib);

  lib = sys::LoadLibrary(sys::ModuleFolder() + "/libsys_loader_probe.so");
  ASSERT_NE(lib, nullptr);
  sys::FreeLibrary(lib);
  error.clear();
  EXPECT_EQ(sys::LoadLibrary("sys_loader_probe", &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(sys::LoadLibrary("NoSuchModule.dll", &error), nullptr);
  EXPECT_NE(error.find("NoSuchModule"), std::string::npos) << error;
  EXPECT_EQ(sys::LoadLibrary("", &error), nullptr);
  EXPECT_EQ(sys::GetProcAddress(nullptr, "ProbeAnswer", &error), nullptr);
  sys::FreeLibrary(nullptr);
}

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

// The tick count agrees with the kernel's uptime.
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
      {"zh_TW.BIG5", Gbk("/data/客戶.txt"), big5Name},
      {"zh_TW.BIG5", Gbk("/data/客户.txt"), std::nullopt},  // Big5 has no 户
      {"en_US.ISO-8859-1", Gbk("/data/café"), "/data/caf\xE9"},
      {"zh_CN.UTF-8", "/data/a b.txt", "/data/a b.txt"},
      {"zh_CN.UTF-8", "/data/\xFF.txt", std::nullopt},  // not GBK
  };
  for (const auto& c : cases) {
    ScopedEnv all("LC_ALL", c.locale);
    EXPECT_EQ(sys::FileSystemName(c.typed), c.name) << c.locale << " " << c.typed;
  }
}

}  // namespace
