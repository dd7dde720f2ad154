// The fixture of every test that runs module code: a fresh fake host, a fresh headless
// platform and $TMPDIR pointed at a new private folder, all undone afterwards. A box
// the test gave no script line for fails the run, and so the test.
//
// API (namespace tavro_test):
//   class MyTest : public tavro_test::ModuleTest {};
//   TEST_F(MyTest, ...) {
//     fakehost::On("MN_GetCorpName '0012'", fakehost::Answer::Ok("Acme"));
//     Platform().RunScript("answer yes\n");       answers for the boxes to come
//     Platform().SetOperator([](ui::TForm& f) { f.SetModalResult(ui::mrOk); });
//     ... MessageLines() ...                      the transcript's "message ..." lines
//     TempDir()                                   the test's $TMPDIR, ending in '/'
//   }
//   Box("Error:timeout"), Question(text, "yes")  a box's line in the transcript
// and everything of TestEnv.h (ScopedEnv, WriteFile, ReadFile, Gbk, FilesInTempDir).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/FakeHost.h"
#include "tests/support/TestEnv.h"
#include "ui/headless/HeadlessPlatform.h"

namespace tavro_test {

using Lines = std::vector<std::string>;

// A box as the transcript shows it: OK only, or Yes and No answered with answer. The
// module's own boxes (ShowMessage, the channel's "Error:%s") carry the caption
// "ManageEdit"; the language file's messages have an empty one.
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
  // The message boxes shown so far, in the transcript's line form, e.g.
  //   message ok none "ManageEdit" "Error:timeout" -> ok
  std::vector<std::string> MessageLines() const;

 private:
  ui::HeadlessPlatform* platform_ = nullptr;
  std::unique_ptr<ui::Platform> previous_;
};

}  // namespace tavro_test
