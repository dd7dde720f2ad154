#include "sys/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "tests/support/TestEnv.h"

namespace {

namespace fs = std::filesystem;

class TempFolderTest : public tavro_test::TempDirTest {
 protected:
  // A folder like /tmp: anyone may write, sticky bit set.
  std::string SharedFolder() {
    std::string shared = TempDir() + "shared";
    EXPECT_EQ(::mkdir(shared.c_str(), 0777), 0);
    EXPECT_EQ(::chmod(shared.c_str(), 01777), 0);
    return shared;
  }
  std::string PerUser(const std::string& shared) {
    return shared + "/tavro-" + std::to_string(::geteuid());
  }
  mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
  }
};

TEST_F(TempFolderTest, SharedFolderGetsAPrivatePerUserFolder) {
  std::string shared = SharedFolder();
  tavro_test::ScopedEnv env("TMPDIR", shared.c_str());
  EXPECT_EQ(sys::TempFolder(), PerUser(shared) + "/");
  EXPECT_EQ(ModeOf(PerUser(shared)), 0700u);
  // A second call finds it and keeps it; one opened to others is narrowed again.
  EXPECT_EQ(sys::TempFolder(), PerUser(shared) + "/");
  ASSERT_EQ(::chmod(PerUser(shared).c_str(), 0777), 0);
  EXPECT_EQ(sys::TempFolder(), PerUser(shared) + "/");
  EXPECT_EQ(ModeOf(PerUser(shared)), 0700u);
}

TEST_F(TempFolderTest, PlantedPerUserFolderIsRefused) {
  std::string shared = SharedFolder();
  std::string elsewhere = TempDir() + "elsewhere";
  ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
  tavro_test::ScopedEnv env("TMPDIR", shared.c_str());

  // A link planted where the per-user folder belongs, even to a folder of ours.
  ASSERT_EQ(::symlink(elsewhere.c_str(), PerUser(shared).c_str()), 0);
  EXPECT_THROW(sys::TempFolder(), std::runtime_error);
  ASSERT_EQ(::unlink(PerUser(shared).c_str()), 0);

  // A file of that name.
  tavro_test::WriteFile(PerUser(shared), "x");
  EXPECT_THROW(sys::TempFolder(), std::runtime_error);
}

TEST_F(TempFolderTest, FoldersOfAnotherUserAreRefused) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "changing a folder's owner needs root";
  }
  std::string shared = SharedFolder();
  ASSERT_EQ(::mkdir(PerUser(shared).c_str(), 0700), 0);
  ASSERT_EQ(::chown(PerUser(shared).c_str(), 4321, 4321), 0);
  std::string other = TempDir() + "other";
  ASSERT_EQ(::mkdir(other.c_str(), 0700), 0);
  ASSERT_EQ(::chown(other.c_str(), 4321, 4321), 0);
  for (const std::string& tmpdir : {shared, other}) {  // the per-user folder, $TMPDIR itself
    tavro_test::ScopedEnv env("TMPDIR", tmpdir.c_str());
    EXPECT_THROW(sys::TempFolder(), std::runtime_error) << tmpdir;
  }
}

TEST_F(TempFolderTest, UnusableTmpdirIsRefused) {
  std::string open = TempDir() + "open";
  ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(open.c_str(), 0777), 0);  // anyone may write, no sticky bit
  std::string file = TempDir() + "file";
  tavro_test::WriteFile(file, "x");
  for (const std::string& bad : {open, file, TempDir() + "missing"}) {
    tavro_test::ScopedEnv env("TMPDIR", bad.c_str());
    EXPECT_THROW(sys::TempFolder(), std::runtime_error) << bad;
  }
}

// A private $TMPDIR is used as it is; a link in it is the user's own choice and is
// followed, the folder it names judged by the same rules; without one, /tmp.
TEST_F(TempFolderTest, PrivateTmpdirIsUsedFollowedOrDefaulted) {
  EXPECT_EQ(sys::TempFolder(), TempDir());
  std::string target = TempDir() + "target";
  ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
  std::string link = TempDir() + "link";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  {
    tavro_test::ScopedEnv env("TMPDIR", link.c_str());
    EXPECT_EQ(sys::TempFolder(), fs::canonical(target).string() + "/");
  }
  tavro_test::ScopedEnv env("TMPDIR", nullptr);
  EXPECT_EQ(sys::TempFolder(), "/tmp/tavro-" + std::to_string(::geteuid()) + "/");
}

}  // namespace
