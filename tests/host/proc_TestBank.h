// A fresh demonstration bank in a private folder, and calls of its procedures made
// the way the interpreter makes them: by name, inside a transaction.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/Database.h"
#include "host/Procedure.h"

namespace proctest {

inline host::Value T(std::string text) {
  return host::Value{true, std::move(text), 0};
}
inline host::Value I(std::int64_t n) {
  return host::Value{false, std::string(), n};
}

class BankTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs a procedure in its own transaction, committed when it returns and rolled
  // back when it raises (the exception is passed on).
  host::Answer Call(const std::string& name, const host::Args& args);
  // The message of a call that must raise ProcedureError; fails the test otherwise.
  std::string Fail(const std::string& name, const host::Args& args);
  // The first field of the first row of a call (an update code, a count).
  std::string First(const std::string& name, const host::Args& args);
  // The rows of a call that answers one field per row.
  std::vector<std::string> Column(const std::string& name, const host::Args& args);

  // The same, the call written as the module writes it: NAME 'text',12 (UTF-8, quotes
  // doubled); texts reach the procedure as the interpreter hands them over.
  host::Answer Call(const std::string& command);
  std::string Fail(const std::string& command);
  std::string First(const std::string& command);
  std::vector<std::string> Column(const std::string& command);

  // The first column of the first row of a select on the database (bound texts).
  std::string Scalar(const char* sql, const std::vector<std::string>& binds = {});
  std::int64_t Count(const char* sql, const std::vector<std::string>& binds = {});

  std::string folder_;
  std::unique_ptr<host::Db> db_;
};

}  // namespace proctest
