// The frame tests' fixture: the module fixture with the module-wide state (function
// cache, Traditional mode) given back after each test, and the test module's call log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frame/HostChannel.h"
#include "frame/ShellFunc.h"
#include "tests/support/ModuleTest.h"

namespace frame_test {

using fakehost::Answer;
using tavro_test::Box;
using tavro_test::Gbk;
using tavro_test::Lines;
using tavro_test::ReadFile;
using tavro_test::ScopedCwd;
using tavro_test::ScopedEnv;
using tavro_test::WriteFile;

constexpr HWND_T kWnd = 0x4711;

class FrameTest : public tavro_test::ModuleTest {
 protected:
  void TearDown() override {
    frame::SaveFunctionCache();  // never leave the module-wide list to the next test
    while (!env_.empty()) {
      env_.pop_back();  // the latest first: each restores what it found
    }
    frame::detail::ForgetTraditionalMode();
    ModuleTest::TearDown();
  }
  // Sets a variable until the end of the test.
  void SetEnv(const char* name, const char* value) {
    env_.push_back(std::make_unique<ScopedEnv>(name, value));
  }
  // Fixes the mode as a system with this locale would read it.
  void UseLocale(const char* name) {
    SetEnv("LC_ALL", name);
    frame::detail::ForgetTraditionalMode();
  }
  std::string CacheFile() const { return TempDir() + frame::kFunctionCacheFile; }
  // The test module logs key, function id and extra of each call here.
  std::string UseModuleLog() {
    const std::string log = TempDir() + "testmodule.log";
    SetEnv("TAVRO_TESTMODULE_LOG", log.c_str());
    return log;
  }
  static int LookupCalls() {
    int n = 0;
    for (const auto& call : fakehost::Calls()) {
      n += call.command.rfind("Sh_GetFunctionName", 0) == 0;
    }
    return n;
  }

 private:
  std::vector<std::unique_ptr<ScopedEnv>> env_;
};

}  // namespace frame_test
