// Shared by the host tests: reads of the database, the probe server that tests the
// interpreter on its own, and a fresh demonstration bank to call procedures on.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/Database.h"
#include "host/Interpreter.h"
#include "host/Procedure.h"
#include "tests/support/TestEnv.h"

namespace hosttest {

using TempDir = tavro_test::ScopedTempDir;

// The first column of the first row of a select, "<none>" for no row or NULL.
std::string Scalar(host::Db& db, const char* sql, const std::vector<std::string>& binds = {});

// The probe server: table probe(k, v), schema version 1. T_Put 'k','v' stores v,
// answers "1" 0x07 k; MN_GetProbe 'k' answers v; T_All every k, v; T_Num n,'t' answers
// n, t; T_Fail 'why' fails; T_Refuse n answers n 0x07 "no way"; T_Kill SIGKILLs the
// process; T_Engine 'kind' stores engine = kind, then fails with the engine failure of
// that kind ('conflict', 'lost', 'busy') as often as SetEngineFailures said; T_Many
// n,'how' stores many = n, streams rows i 0x07 "中", then fails ('fail') or conflicts
// ('conflict'); ST_GetBankSimple n answers n. MN_GetProbe and ST_GetBankSimple read;
// the one select is "select v from probe where k='x'".
host::DbSetup ProbeSetup();
host::Server ProbeServer();
void SetEngineFailures(int count);
std::string ProbeValue(host::Db& db, const std::string& k);  // "<none>" when absent
int ProbeCount(host::Db& db);

// Runs a command (GBK, no channel prefix) on the probe server.
host::Outcome RunProbe(host::Db& db, std::string_view command, std::string* answer = nullptr,
                       host::Channel channel = host::Channel::Main);

inline host::Value T(std::string text) {
  return host::Value{true, std::move(text), 0};
}
inline host::Value I(std::int64_t n) {
  return host::Value{false, std::string(), n};
}

// The PostgreSQL test cluster when TAVRO_TEST_ENGINE is "postgres" (TAVRO_TEST_PG_HOST,
// TAVRO_TEST_PG_PORT, administrator tavro_admin); without one those tests are skipped.
bool PostgresWanted();
bool PostgresAvailable();
std::string PgUrl(const std::string& database, const std::string& user = "tavro_admin");

// A fresh database on the test cluster (the demonstration bank or empty), dropped with it.
class PgDatabase {
 public:
  explicit PgDatabase(bool demo = true);
  ~PgDatabase();
  PgDatabase(const PgDatabase&) = delete;
  PgDatabase& operator=(const PgDatabase&) = delete;
  const std::string& name() const { return name_; }
  std::string Url(const std::string& user = "tavro_admin") const { return PgUrl(name_, user); }

 private:
  std::string name_;
};

// The embedded bank in dir, or a fresh cluster database when the run asks for PostgreSQL.
std::unique_ptr<host::Db> OpenTestBank(const TempDir& dir, std::unique_ptr<PgDatabase>& pg);

// A fresh demonstration bank for each test, on the engine the run asks for.
class BankTest : public ::testing::Test {
 protected:
  // A procedure in its own transaction, rolled back when it raises; the command form
  // NAME 'text',12 (UTF-8) reaches it as the interpreter hands it over.
  host::Answer Call(const std::string& name, const host::Args& args,
                    host::Access access = host::Access::Writes);
  host::Answer Call(const std::string& command);
  // The first field of the first row; the rows of one field each; the rows as one
  // text, fields joined by '|' and rows by '\n'.
  std::string First(const std::string& command) { return First(Call(command)); }
  std::string First(const std::string& n, const host::Args& a) { return First(Call(n, a)); }
  static std::string First(const host::Answer& answer);
  std::vector<std::string> Column(const std::string& command);
  std::string Text(const std::string& command);

  // Calls in order, each with its Text or, starting with '!', a part of its failure.
  struct Step {
    std::string command;
    std::string gives;
  };
  void Expect(const std::vector<Step>& steps);

  std::string Scalar(const char* sql, const std::vector<std::string>& binds = {}) {
    return hosttest::Scalar(*db_, sql, binds);
  }
  std::int64_t Count(const char* sql, const std::vector<std::string>& binds = {}) {
    return std::stoll(Scalar(sql, binds));
  }
  bool OnPostgres() const { return db_->engine() == host::Engine::kPostgres; }

  TempDir dir_;
  std::unique_ptr<PgDatabase> pg_;
  std::unique_ptr<host::Db> db_ = OpenTestBank(dir_, pg_);
};

}  // namespace hosttest
