// The module's temporary folder: a private $TMPDIR as it is, else a private per-user
// folder in a shared one; anything planted or open to others is refused.
#include "sys/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "tests/support/TestEnv.h"

namespace {

using tavro_test::ScopedEnv;

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

TEST_F(TempFolderTest, PlantedPerUserFolderIsRefused) {
  const std::string elsewhere = TempDir() + "elsewhere";
  ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
  ScopedEnv env("TMPDIR", shared_.c_str());
  // A link where the per-user folder belongs, even to a folder of ours; a file.
  ASSERT_EQ(::symlink(elsewhere.c_str(), perUser_.c_str()), 0);
  EXPECT_THROW(sys::TempFolder(), std::runtime_error);
  ASSERT_EQ(::unlink(perUser_.c_str()), 0);
  tavro_test::WriteFile(perUser_, "x");
  EXPECT_THROW(sys::TempFolder(), std::runtime_error);
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

TEST_F(TempFolderTest, UnusableTmpdirIsRefused) {
  const std::string open = TempDir() + "open";
  ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(open.c_str(), 0777), 0);  // anyone may write, no sticky bit
  const std::string file = TempDir() + "file";
  tavro_test::WriteFile(file, "x");
  for (const std::string& bad : {open, file, TempDir() + "missing"}) {
    ScopedEnv env("TMPDIR", bad.c_str());
    EXPECT_THROW(sys::TempFolder(), std::runtime_error) << bad;
  }
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

}  // namespace
