#include "tests/support/TestEnv.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sys/CodePage.h"

namespace tavro_test {

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

void TempDirTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavro-test-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << "cannot create a test folder";
  tempDir_ = pattern + "/";
  tmpdirEnv_ = std::make_unique<ScopedEnv>("TMPDIR", tempDir_.c_str());
}

void TempDirTest::TearDown() {
  tmpdirEnv_.reset();
  if (!tempDir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(tempDir_, ec);
  }
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
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Gbk(const std::string& utf8) {
  return sys::Utf8ToGbk(utf8);
}

}  // namespace tavro_test
