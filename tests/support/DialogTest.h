// What the payee tests share: running a form modally while a test acts on it, the
// commands the fake host received, the transcript's box lines, and the fixture of the
// dialogs, which read their settings file from the current folder.
#pragma once

#include <unistd.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/ShellTypeDef.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"
#include "ui/Controls.h"
#include "ui/Input.h"

namespace payee_test {

using Lines = std::vector<std::string>;

// Runs body while form is shown modally, so that script actions can act on it.
inline void WhileShown(ui::HeadlessPlatform& platform, ui::TForm& form,
                       const std::function<void()>& body) {
  platform.SetOperator([&](ui::TForm& shown) {
    if (&shown == &form) {
      body();
    }
  });
  form.ShowModal();
  platform.SetOperator(nullptr);
}

// The commands the fake host received, without their channel prefix; only those
// beginning with prefix when one is given.
inline Lines Commands(std::string_view prefix = "") {
  Lines commands;
  for (const fakehost::Call& call : fakehost::Calls()) {
    if (call.command.rfind(prefix, 0) == 0) {
      commands.push_back(call.command);
    }
  }
  return commands;
}

// What the shell is handed: the code, a blank, the text.
inline std::string Outcome(const TShellResult& result) {
  return std::to_string(result.Code) + " " + result.Text;
}

// A box of the module's ShowMessage, as the transcript shows it.
inline std::string Box(const std::string& text) {
  return "message ok none \"ManageEdit\" \"" + text + "\" -> ok";
}

// A dialog test in a folder of its own whose settings file selects English texts.
class DialogTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    oldCwd_ = sys::CurrentFolder();
    ASSERT_EQ(::chdir(TempDir().c_str()), 0);
    tavro_test::WriteFile(TempDir() + "Tavro2007.ini", "[Settings]\r\nLangId=EN\r\n");
  }
  void TearDown() override {
    EXPECT_EQ(::chdir(oldCwd_.c_str()), 0);
    ModuleTest::TearDown();
  }

  // The boxes shown since the count before was taken.
  Lines MessagesSince(std::size_t before) const {
    const Lines all = MessageLines();
    return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
  }
  std::string LastLine() { return Platform().Transcript().back(); }

 private:
  std::string oldCwd_;
};

}  // namespace payee_test
