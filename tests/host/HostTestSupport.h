// Shared by the host tests: private folders, reads of the database,
// the probe server that tests the interpreter on its own, and a fresh demonstration
// bank whose procedures are called the way the interpreter calls them.
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

// A private folder removed with everything in it when the object goes.
using TempDir = tavro_test::ScopedTempDir;

// The first column of the first row of a select (texts bound in order), "<none>"
// when there is no row or it is NULL.
std::string Scalar(host::Db& db, const char* sql, const std::vector<std::string>& binds = {});

// The probe server: a table probe(k TEXT PRIMARY KEY, v TEXT), schema version 1.
//   T_Put 'k','v'   stores v under k; answers "1" 0x07 k
//   MN_GetProbe 'k' answers v (no row when k is absent)
//   T_All           answers every k, v ordered by k
//   T_Num n,'t'     answers n and t
//   T_Fail 'why'    fails with the text why
//   T_Refuse n      answers the update answer n 0x07 "no way"
//   T_Kill          kills the process with SIGKILL
//   T_Engine 'kind' stores engine = kind, then fails with the engine's failure of
//                   that kind ('conflict', 'lost', 'busy') as often as
//                   SetEngineFailures said; answers "1" 0x07 "done" after that
//   T_Many n,'how' stores many = n and answers n rows i 0x07 "中" (i from 0), row by
//                   row to an answer file; how 'fail' fails after the rows, 'conflict'
//                   meets a conflict after them as often as SetEngineFailures said
//   ST_GetBankSimple n   answers n
// MN_GetProbe and ST_GetBankSimple are readers, the others writers. The one select
// served is "select v from probe where k=" and one quoted key.
host::DbSetup ProbeSetup();
host::Server ProbeServer();
void SetEngineFailures(int count);

// The stored value of k, or "<none>"; the number of rows.
std::string ProbeValue(host::Db& db, const std::string& k);
int ProbeCount(host::Db& db);

// Runs a command (GBK, no prefix) on the probe server; the answer lands in answer.
host::Outcome RunProbe(host::Db& db, std::string_view command, std::string* answer = nullptr,
                       host::Channel channel = host::Channel::Main);

inline host::Value T(std::string text) {
  return host::Value{true, std::move(text), 0};
}
inline host::Value I(std::int64_t n) {
  return host::Value{false, std::string(), n};
}

// The PostgreSQL cluster the tests use when TAVRO_TEST_ENGINE is "postgres": its
// socket folder TAVRO_TEST_PG_HOST and port TAVRO_TEST_PG_PORT, the administrator
// tavro_admin and the demonstration logins tavro_0012 and tavro_0020, passwords from
// PGPASSFILE (scripts/test.sh sets them from `scripts/bank-postgres.sh admin`). Without
// a cluster those tests are skipped, unless TAVRO_TEST_REQUIRE_PG is set: then they fail.
bool PostgresWanted();
bool PostgresAvailable();
std::string PgUrl(const std::string& database, const std::string& user = "tavro_admin");

// A fresh database on the test cluster for one test, dropped with the object: a
// copy of the demonstration bank with the map of its two logins, or an empty one.
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

// The bank a procedure test runs on: the embedded file in dir, or a fresh database
// of the test cluster when the tests run against PostgreSQL.
std::unique_ptr<host::Db> OpenTestBank(const TempDir& dir, std::unique_ptr<PgDatabase>& pg);

// A fresh demonstration bank for each test, on the engine the run asks for.
class BankTest : public ::testing::Test {
 protected:
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
