// The fixture of every test that runs module code: a fresh fake host, a fresh recording
// platform and $TMPDIR pointed at a new private folder, all undone afterwards.
//
// API (namespace tavro_test):
//   class MyTest : public tavro_test::ModuleTest {};
//   TEST_F(MyTest, ...) {
//     fakehost::On("MN_GetCorpName '0012'", fakehost::Answer::Ok("Acme"));
//     ... Platform().Messages() ...
//     TempDir()                       the test's $TMPDIR, ending in '/'
//     WriteFile(path, bytes), ReadFile(path), FilesInTempDir()
//   }
//   ScopedEnv env("LANG", "zh_TW.UTF-8");   sets (or with nullptr unsets) a variable
//                                           for a scope and restores it afterwards
//   Gbk("中文")                             UTF-8 source text as GBK bytes
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/FakeHost.h"
#include "tests/support/RecordingPlatform.h"

namespace tavro_test {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  RecordingPlatform& Platform() { return *platform_; }
  const std::string& TempDir() const { return tempDir_; }
  std::vector<std::string> FilesInTempDir() const;

 private:
  RecordingPlatform* platform_ = nullptr;
  std::unique_ptr<ui::Platform> previous_;
  std::string tempDir_;
  std::unique_ptr<ScopedEnv> tmpdirEnv_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
std::string Gbk(const std::string& utf8);

}  // namespace tavro_test
