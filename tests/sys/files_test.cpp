#include "sys/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/TestEnv.h"

namespace {

using tavro_test::ReadFile;
using tavro_test::WriteFile;

class FilesTest : public tavro_test::TempDirTest {};

// The same lines from a text and from a file read in pieces, also when a line end
// falls on the border of two pieces (its CR the last byte of one, its LF the first of
// the next).
TEST_F(FilesTest, LinesOfEveryLineEndFormAlsoAcrossPieces) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\n\rb", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\r\n", {"a"}},
      {"\r\na", {"", "a"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\n\rb", {"a", "", "b"}},
      {std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
  };
  const std::string file = TempDir() + "lines";
  for (const Case& c : cases) {
    for (std::size_t lead : {std::size_t{0}, sys::kLinePieceBytes - 2, sys::kLinePieceBytes - 1}) {
      // lead bytes in front make the first line longer and move the rest to the border.
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

TEST_F(FilesTest, ExistsDeleteAndKinds) {
  std::string file = TempDir() + "f";
  std::string link = TempDir() + "l";
  EXPECT_FALSE(sys::FileExists(file));
  EXPECT_FALSE(sys::DeleteFile(file));
  WriteFile(file, "x");
  ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
  EXPECT_TRUE(sys::FileExists(file));
  EXPECT_FALSE(sys::FileExists(link));  // a link is not a result file
  EXPECT_TRUE(sys::PathExists(link));
  EXPECT_FALSE(sys::FileExists(TempDir()));
  EXPECT_TRUE(sys::DeleteFile(link));  // removes the link, not what it names
  EXPECT_TRUE(sys::FileExists(file));
  ASSERT_EQ(::symlink("/nonexistent/x", link.c_str()), 0);
  EXPECT_TRUE(sys::PathExists(link));  // a dangling link still takes the name
}

// A new file, and one written over a file that others could read, are the user's alone
// whatever the umask: the umask of most systems (022) would leave them readable to all,
// and one that takes the owner's bits would leave the file unwritable.
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
  std::string file = TempDir() + "new";
  int fd = sys::CreateExclusive(file);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_THROW((void)sys::CreateExclusive(file), std::runtime_error);

  // A planted dangling link: the file it points to must not be created.
  std::string target = TempDir() + "target";
  std::string link = TempDir() + "planted";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  EXPECT_THROW((void)sys::CreateExclusive(link), std::runtime_error);
  EXPECT_FALSE(sys::PathExists(target));
}

TEST_F(FilesTest, WritingReplacesALinkInsteadOfFollowingIt) {
  std::string victim = TempDir() + "victim";
  std::string link = TempDir() + "out";
  WriteFile(victim, "precious");
  ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
  sys::WriteLines(link, {"a", "b"});
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_TRUE(sys::FileExists(link));
  EXPECT_EQ(ReadFile(link), "a\r\nb\r\n");

  sys::CopyFile(link, TempDir() + "copy");
  EXPECT_EQ(ReadFile(TempDir() + "copy"), "a\r\nb\r\n");
  // Reading refuses a link: the copy source must be the file itself.
  std::string link2 = TempDir() + "link2";
  ASSERT_EQ(::symlink(victim.c_str(), link2.c_str()), 0);
  EXPECT_THROW(sys::CopyFile(link2, TempDir() + "copy"), std::runtime_error);
  EXPECT_EQ(ReadFile(TempDir() + "copy"), "a\r\nb\r\n");
  EXPECT_THROW(sys::ReadLines(link2), std::runtime_error);
}

TEST_F(FilesTest, ReadsAreBoundedAndLeaveNoTemporaries) {
  std::string file = TempDir() + "big";
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

}  // namespace
