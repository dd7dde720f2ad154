// Helpers for every test program: private folders, scoped environment, folder and umask,
// a fixture with a private $TMPDIR (TempDir() ends in '/'), file reads and writes, Gbk().
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tavro_test {

// A new folder (mode 0700) in the system's temporary folder, named prefix and a random
// part, removed with its contents at the end; throws std::runtime_error when not made.
class ScopedTempDir {
 public:
  explicit ScopedTempDir(const std::string& prefix = "tavro-test");
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::string& Path() const { return path_; }  // no trailing '/'
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets (or with nullptr unsets) a variable for a scope.
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

// The permission bits (07777) of path, no link followed; ~0u when nothing has the name.
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
std::string ReadFile(const std::string& path);  // "" for a file it cannot read
std::string Gbk(const std::string& utf8);

}  // namespace tavro_test
