// Test helpers that need neither the host nor a platform: private folders, scoped
// environment variables and working folders, a fixture with a fresh private $TMPDIR per
// test, and whole-file reads and writes. Every test program may link them (the host's
// own tests too: nothing here stands in for the host library).
//
// API (namespace tavro_test):
//   class MyTest : public tavro_test::TempDirTest {};   TempDir() ends in '/',
//                                                       FilesInTempDir() lists its names
//   ScopedTempDir dir("host");              a new folder, removed with its contents at the
//                                           end of the scope; dir.File("bank.db")
//   ScopedEnv env("LANG", "zh_TW.UTF-8");   sets (or with nullptr unsets) a variable
//                                           for a scope and restores it afterwards
//   ScopedCwd cwd(folder);                  works in folder for a scope
//   ScopedUmask mask(022);                  the process's umask for a scope
//   FileMode(path)                          the permission bits of path (no link followed)
//   WriteFile(path, bytes), ReadFile(path)  ReadFile gives "" for a file it cannot read
//   Gbk("中文")                             UTF-8 source text as GBK bytes
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tavro_test {

// A new folder (mode 0700) in the system's temporary folder, named prefix and a random
// part; removed with everything in it when the object goes. Throws std::runtime_error
// when it cannot be made.
class ScopedTempDir {
 public:
  explicit ScopedTempDir(const std::string& prefix = "tavro-test");
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The folder, without a trailing '/'.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

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

class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& folder);
  ~ScopedCwd();
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  std::string old_;
};

class ScopedUmask {
 public:
  explicit ScopedUmask(unsigned mask);
  ~ScopedUmask();
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  unsigned old_;
};

// The permission bits (07777) of whatever has that name; ~0u when nothing has it.
unsigned FileMode(const std::string& path);

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const std::string& TempDir() const { return tempDir_; }
  std::vector<std::string> FilesInTempDir() const;

 private:
  std::optional<ScopedTempDir> dir_;
  std::string tempDir_;
  std::optional<ScopedEnv> tmpdirEnv_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
std::string Gbk(const std::string& utf8);

}  // namespace tavro_test
