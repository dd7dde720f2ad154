// What the tests of the admin dialogs share: the dialog fixture in Chinese (the
// language the admin dialogs' texts are checked in) and the commands the fake host
// received, each checked to come from the shell's window on the main channel.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "sys/Abi.h"
#include "tests/support/DialogTest.h"

namespace admin_test {

using Texts = std::vector<std::string>;

class AdminTest : public tavro_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SetLanguage("CN");
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
};

}  // namespace admin_test
