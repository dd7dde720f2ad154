// Files: what counts as a file, lines, private and link-safe writes, bounded reads, and
// the reader that neither blocks on a pipe nor follows a link where links are refused.
#include "sys/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "sys/FileReader.h"
#include "tests/support/TestEnv.h"

namespace {

using Links = sys::FileReader::Links;
using tavro_test::ReadFile;
using tavro_test::WriteFile;

class FilesTest : public tavro_test::TempDirTest {};

// The same lines from a text and from a file read in pieces, also when a line end falls
// on the border of two pieces (its CR the last byte of one, its LF the first of the next).
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
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\nb", {"a", "", "b"}},
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

// A result file is a regular file by that very name; the operator's own file is reached
// through links; a pipe nobody writes to must not block the reader.
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

// A new file, and one written over a file others could read, are the user's alone
// whatever the umask: 022 would leave them readable to all, 0277 unwritable.
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

}  // namespace
