#include "tests/support/ModuleTest.h"

namespace tavro_test {

void ModuleTest::SetUp() {
  TempDirTest::SetUp();
  fakehost::Reset();
  auto fresh = std::make_unique<ui::HeadlessPlatform>();
  platform_ = fresh.get();
  previous_ = ui::InstallPlatform(std::move(fresh));
}

void ModuleTest::TearDown() {
  // An unexpected box or a wrong answer line is only an error line in the transcript.
  if (platform_ && platform_->Failed()) {
    std::string transcript;
    for (const std::string& line : platform_->Transcript()) {
      transcript += line + "\n";
    }
    ADD_FAILURE() << "the operator script failed:\n" << transcript;
  }
  ui::InstallPlatform(std::move(previous_));
  platform_ = nullptr;
  fakehost::Reset();
  TempDirTest::TearDown();
}

std::vector<std::string> ModuleTest::MessageLines() const {
  std::vector<std::string> lines;
  for (const std::string& line : platform_->Transcript()) {
    if (line.rfind("message ", 0) == 0) {
      lines.push_back(line);
    }
  }
  return lines;
}

}  // namespace tavro_test
