// The examples' fixture: tavro-shell in a sandbox against the embedded bank server on a
// fresh demonstration database (Chinese unless a run selects another language).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/BankQuery.h"
#include "tests/support/ShellSandbox.h"

namespace tavro_test {

using Rows = std::vector<std::string>;

class FreshBankTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.UseBankServer();
    box_.SetLanguage("CN");
  }

  // Runs examples/name with the language langId.
  e2e::ShellOutput RunExample(const std::string& name, const char* langId = "CN") {
    box_.SetLanguage(langId);
    return box_.Shell({"run", std::string(TAVRO_SOURCE_DIR) + "/examples/" + name});
  }

  // The rows of a query on the sandbox's bank, fields joined by '|'.
  Rows Query(const std::string& sql) { return e2e::QueryBank(box_.BankDb(), sql); }

  e2e::Sandbox box_;
};

}  // namespace tavro_test
