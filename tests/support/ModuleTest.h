// The fixture of every test that runs module code: a fresh fake host, a fresh recording
// platform and $TMPDIR pointed at a new private folder, all undone afterwards.
//
// API (namespace tavro_test):
//   class MyTest : public tavro_test::ModuleTest {};
//   TEST_F(MyTest, ...) {
//     fakehost::On("MN_GetCorpName '0012'", fakehost::Answer::Ok("Acme"));
//     ... Platform().Messages() ...
//     TempDir()                       the test's $TMPDIR, ending in '/'
//   }
// and everything of TestEnv.h (ScopedEnv, WriteFile, ReadFile, Gbk, FilesInTempDir).
#pragma once

#include <memory>

#include "tests/support/FakeHost.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/TestEnv.h"

namespace tavro_test {

class ModuleTest : public TempDirTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  RecordingPlatform& Platform() { return *platform_; }

 private:
  RecordingPlatform* platform_ = nullptr;
  std::unique_ptr<ui::Platform> previous_;
};

}  // namespace tavro_test
