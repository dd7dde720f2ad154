// What the tests of the admin dialogs share: the module fixture run inside its own
// folder (where the dialogs find Tavro2007.ini and so their language), the commands
// the fake host received, and message box lines as the transcript writes them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>
#include <string>
#include <vector>

#include "frame/ShellTypeDef.h"
#include "sys/ProcessPaths.h"
#include "tests/support/ModuleTest.h"

namespace admin_test {

using Texts = std::vector<std::string>;

class AdminTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    oldCwd_ = sys::CurrentFolder();
    ASSERT_EQ(::chdir(TempDir().c_str()), 0);
    SetLanguage("CN");
  }
  void TearDown() override {
    EXPECT_EQ(::chdir(oldCwd_.c_str()), 0);
    ModuleTest::TearDown();
  }
  void SetLanguage(const char* id) {
    tavro_test::WriteFile(TempDir() + "Tavro2007.ini", std::string("[Settings]\nLangId=") + id);
  }

  // The commands sent from the first-th call on; every call must come from the shell's
  // window on the main channel.
  static Texts Commands(HWND_T shell, std::size_t first = 0) {
    Texts sent;
    const auto& calls = fakehost::Calls();
    for (std::size_t i = first; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].window, shell) << calls[i].command;
      EXPECT_EQ(calls[i].prefix, "A01") << calls[i].command;
      sent.push_back(calls[i].command);
    }
    return sent;
  }
  std::string LastLine() { return Platform().Transcript().back(); }

 private:
  std::string oldCwd_;
};

// A plain message box of the module.
inline std::string Msg(const std::string& text) {
  return R"(message ok none "ManageEdit" ")" + text + "\" -> ok";
}
// A Yes/No question of the module, answered.
inline std::string Ask(const std::string& text, const char* answer) {
  return R"(message yesno none "ManageEdit" ")" + text + "\" -> " + answer;
}

}  // namespace admin_test
