// The file reader: pieces of a regular file, and refusals that neither block nor follow
// what they must not (a pipe in a file's place, a link where links are refused).
#include "sys/FileReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "tests/support/TestEnv.h"

namespace {

using Links = sys::FileReader::Links;

class FileReaderTest : public tavro_test::TempDirTest {};

TEST_F(FileReaderTest, ReadsAFileInPieces) {
  const std::string path = TempDir() + "rows.txt";
  tavro_test::WriteFile(path, "0123456789");
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

TEST_F(FileReaderTest, RefusesWhatIsNoFileWithoutWaiting) {
  const std::string fifo = TempDir() + "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string file = TempDir() + "file.txt";
  tavro_test::WriteFile(file, "x");
  const std::string link = TempDir() + "link.txt";
  ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);

  // A pipe nobody writes to would block an open without O_NONBLOCK.
  EXPECT_EQ(sys::FileReader(fifo, Links::Follow).Error(), EINVAL);
  EXPECT_EQ(sys::FileReader(fifo, Links::Refuse).Error(), EINVAL);
  EXPECT_EQ(sys::FileReader(TempDir(), Links::Follow).Error(), EINVAL);
  EXPECT_EQ(sys::FileReader(TempDir() + "missing", Links::Follow).Error(), ENOENT);
  EXPECT_EQ(sys::FileReader(link, Links::Follow).Error(), 0);
  EXPECT_EQ(sys::FileReader(link, Links::Refuse).Error(), ELOOP);

  sys::FileReader refused(fifo, Links::Follow);
  char byte = 0;
  errno = 0;
  EXPECT_EQ(refused.Read(&byte, 1), -1);
  EXPECT_EQ(errno, EINVAL);
}

}  // namespace
