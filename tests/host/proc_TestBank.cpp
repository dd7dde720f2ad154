#include "proc_TestBank.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <utility>

#include "host/CommandParser.h"
#include "host/WireText.h"
#include "sys/CodePage.h"

namespace proctest {
namespace {

std::pair<std::string, host::Args> Split(const std::string& command) {
  host::ParsedCommand parsed;
  std::string error;
  if (!host::ParseCommand(sys::Utf8ToGbk(command), parsed, error) || parsed.calls.size() != 1) {
    throw std::logic_error(command + ": " + error);
  }
  host::Call& call = parsed.calls[0];
  for (host::Value& value : call.args) {
    std::string utf8;
    if (value.isText && !host::ArgumentToUtf8(value.text, utf8)) {
      throw std::logic_error(command + ": no GBK text");
    }
    value.text = utf8;
  }
  return {call.name, call.args};
}

}  // namespace

void BankTest::SetUp() {
  std::string base = std::filesystem::temp_directory_path().string() + "/proc_XXXXXX";
  ASSERT_NE(mkdtemp(base.data()), nullptr);
  folder_ = base;
  db_ = std::make_unique<host::Db>(folder_ + "/bank.db");
}

void BankTest::TearDown() {
  db_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

host::Answer BankTest::Call(const std::string& name, const host::Args& args) {
  const host::ProcedureSpec* proc = host::FindProcedure(name);
  if (proc == nullptr) {
    throw std::logic_error("no procedure " + name);
  }
  EXPECT_EQ(std::string(proc->signature).size(), args.size()) << name;
  db_->Exec("BEGIN IMMEDIATE");
  try {
    host::Answer a = proc->run(*db_, args);
    db_->Exec("COMMIT");
    return a;
  } catch (...) {
    db_->ResetStatements();
    db_->Exec("ROLLBACK");
    throw;
  }
}

std::string BankTest::Fail(const std::string& name, const host::Args& args) {
  try {
    Call(name, args);
  } catch (const host::ProcedureError& e) {
    return e.what();
  }
  ADD_FAILURE() << name << " did not fail";
  return "";
}

std::string BankTest::First(const std::string& name, const host::Args& args) {
  host::Answer a = Call(name, args);
  if (a.rows.empty() || a.rows[0].empty()) {
    ADD_FAILURE() << name << " answered no row";
    return "";
  }
  return a.rows[0][0];
}

std::vector<std::string> BankTest::Column(const std::string& name, const host::Args& args) {
  std::vector<std::string> out;
  for (const auto& row : Call(name, args).rows) {
    EXPECT_EQ(row.size(), 1u) << name;
    out.push_back(row.empty() ? "" : row[0]);
  }
  return out;
}

host::Answer BankTest::Call(const std::string& command) {
  auto [name, args] = Split(command);
  return Call(name, args);
}

std::string BankTest::Fail(const std::string& command) {
  auto [name, args] = Split(command);
  return Fail(name, args);
}

std::string BankTest::First(const std::string& command) {
  auto [name, args] = Split(command);
  return First(name, args);
}

std::vector<std::string> BankTest::Column(const std::string& command) {
  auto [name, args] = Split(command);
  return Column(name, args);
}

std::string BankTest::Scalar(const char* sql, const std::vector<std::string>& binds) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_->handle(), sql, -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db_->handle());
    return "";
  }
  for (std::size_t i = 0; i < binds.size(); ++i) {
    sqlite3_bind_text(stmt, static_cast<int>(i + 1), binds[i].c_str(), -1, SQLITE_TRANSIENT);
  }
  std::string value = "<none>";
  if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL) {
    value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_finalize(stmt);
  return value;
}

std::int64_t BankTest::Count(const char* sql, const std::vector<std::string>& binds) {
  return std::stoll(Scalar(sql, binds));
}

}  // namespace proctest
