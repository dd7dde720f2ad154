// The program's own paths, and libraries loaded by their Windows names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "sys/Loader.h"
#include "sys/ProcessPaths.h"

namespace {

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

// "X.dll" finds libX.so beside the module; a full path loads as it is; a name without
// ".dll" goes to the loader unmapped; missing libraries and entries fail cleanly.
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

}  // namespace
