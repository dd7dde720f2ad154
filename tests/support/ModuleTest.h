// The fixture of every test that runs module code: a fresh fake host, headless platform
// and private $TMPDIR; a box the test gave no script line for fails it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/FakeHost.h"
#include "tests/support/TestEnv.h"
#include "ui/headless/HeadlessPlatform.h"

namespace tavro_test {

using Lines = std::vector<std::string>;

// A box's transcript line: OK only, or Yes/No answered with answer. The module's own boxes
// carry the caption "ManageEdit"; the language file's have an empty one.
inline std::string Box(const std::string& text, const std::string& caption = "ManageEdit") {
  return "message ok none \"" + caption + "\" \"" + text + "\" -> ok";
}
inline std::string Question(const std::string& text, const std::string& answer,
                            const std::string& caption = "ManageEdit") {
  return "message yesno none \"" + caption + "\" \"" + text + "\" -> " + answer;
}

class ModuleTest : public TempDirTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  ui::HeadlessPlatform& Platform() { return *platform_; }
  // The transcript's "message ..." lines so far.
  std::vector<std::string> MessageLines() const;

 private:
  ui::HeadlessPlatform* platform_ = nullptr;
  std::unique_ptr<ui::Platform> previous_;
};

}  // namespace tavro_test
