#include "tests/support/TestEnv.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sys/CodePage.h"
#include "sys/ProcessPaths.h"

namespace tavro_test {

ScopedTempDir::ScopedTempDir(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a test folder " + pattern);
  }
  path_ = pattern;
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    old_ = old;
  }
  if (value != nullptr) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (old_) {
    ::setenv(name_.c_str(), old_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

ScopedUmask::ScopedUmask(unsigned mask) : old_(::umask(static_cast<mode_t>(mask))) {}

ScopedUmask::~ScopedUmask() {
  ::umask(static_cast<mode_t>(old_));
}

unsigned FileMode(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : ~0u;
}

ScopedCwd::ScopedCwd(const std::string& folder) : old_(sys::CurrentFolder()) {
  EXPECT_EQ(::chdir(folder.c_str()), 0) << folder;
}

ScopedCwd::~ScopedCwd() {
  EXPECT_EQ(::chdir(old_.c_str()), 0) << old_;
}

void TempDirTest::SetUp() {
  dir_.emplace();
  tempDir_ = dir_->Path() + "/";
  tmpdirEnv_.emplace("TMPDIR", tempDir_.c_str());
}

void TempDirTest::TearDown() {
  tmpdirEnv_.reset();
  dir_.reset();
}

std::vector<std::string> TempDirTest::FilesInTempDir() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(tempDir_)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

std::string Gbk(const std::string& utf8) {
  return sys::Utf8ToGbk(utf8);
}

}  // namespace tavro_test
