// Test helpers that need neither the host nor a platform: a fixture with a fresh
// private $TMPDIR per test, scoped environment variables and whole-file reads and writes.
//
// API (namespace tavro_test):
//   class MyTest : public tavro_test::TempDirTest {};   TempDir() ends in '/',
//                                                       FilesInTempDir() lists its names
//   ScopedEnv env("LANG", "zh_TW.UTF-8");   sets (or with nullptr unsets) a variable
//                                           for a scope and restores it afterwards
//   WriteFile(path, bytes), ReadFile(path)
//   Gbk("中文")                             UTF-8 source text as GBK bytes
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

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

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const std::string& TempDir() const { return tempDir_; }
  std::vector<std::string> FilesInTempDir() const;

 private:
  std::string tempDir_;
  std::unique_ptr<ScopedEnv> tmpdirEnv_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
std::string Gbk(const std::string& utf8);

}  // namespace tavro_test
