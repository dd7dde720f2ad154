#include "tests/support/ModuleTest.h"

namespace tavro_test {

void ModuleTest::SetUp() {
  TempDirTest::SetUp();
  fakehost::Reset();
  auto fresh = std::make_unique<RecordingPlatform>();
  platform_ = fresh.get();
  previous_ = ui::InstallPlatform(std::move(fresh));
}

void ModuleTest::TearDown() {
  ui::InstallPlatform(std::move(previous_));
  platform_ = nullptr;
  fakehost::Reset();
  TempDirTest::TearDown();
}

}  // namespace tavro_test
