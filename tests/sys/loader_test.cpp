#include "sys/Loader.h"

#include <gtest/gtest.h>

namespace {

using ProbeFn = int (*)(int);

TEST(Loader, DllNameFindsTheLibraryBesideTheModule) {
  std::string error;
  sys::LibraryHandle lib = sys::LoadLibrary("sys_loader_probe.dll", &error);
  ASSERT_NE(lib, nullptr) << error;
  auto fn = reinterpret_cast<ProbeFn>(sys::GetProcAddress(lib, "ProbeAnswer", &error));
  ASSERT_NE(fn, nullptr) << error;
  EXPECT_EQ(fn(20), 41);
  EXPECT_EQ(sys::GetProcAddress(lib, "NoSuchEntry", &error), nullptr);
  EXPECT_FALSE(error.empty());
  sys::FreeLibrary(lib);
}

TEST(Loader, FullPathPlainAndMissingNames) {
  std::string path = sys::ModuleFolder() + "/libsys_loader_probe.so";
  sys::LibraryHandle lib = sys::LoadLibrary(path);
  ASSERT_NE(lib, nullptr);
  sys::FreeLibrary(lib);
  // A name without ".dll" goes to the loader as it is: no mapping to lib<name>.so.
  std::string error;
  EXPECT_EQ(sys::LoadLibrary("sys_loader_probe", &error), nullptr);
  EXPECT_FALSE(error.empty());

  // Missing libraries and empty names fail cleanly.
  EXPECT_EQ(sys::LoadLibrary("NoSuchModule.dll", &error), nullptr);
  EXPECT_NE(error.find("NoSuchModule"), std::string::npos) << error;
  EXPECT_EQ(sys::LoadLibrary("", &error), nullptr);
  EXPECT_EQ(sys::GetProcAddress(nullptr, "ProbeAnswer", &error), nullptr);
  sys::FreeLibrary(nullptr);
}

}  // namespace
