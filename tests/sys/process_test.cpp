#include "sys/ProcessPaths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace {

TEST(ProcessPaths, ExecutableIsThisProgramInItsFolder) {
  std::string exe = sys::ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe[0], '/');
  EXPECT_EQ(std::filesystem::path(exe).filename(), "sys_tests");
  EXPECT_EQ(sys::FolderOf(exe) + "/sys_tests", exe);
  EXPECT_EQ(sys::FolderOf("/opt/tavro/tavro-shell"), "/opt/tavro");
  EXPECT_EQ(sys::FolderOf("/tavro-shell"), "/");
  EXPECT_EQ(sys::FolderOf("tavro-shell"), "");
}

TEST(ProcessPaths, CurrentFolderFollowsChdir) {
  std::string before = sys::CurrentFolder();
  ASSERT_EQ(::chdir("/"), 0);
  EXPECT_EQ(sys::CurrentFolder(), "/");
  ASSERT_EQ(::chdir(before.c_str()), 0);
  EXPECT_EQ(sys::CurrentFolder(), std::filesystem::current_path().string());
}

}  // namespace
