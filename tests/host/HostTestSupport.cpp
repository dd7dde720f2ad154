#include "HostTestSupport.h"

#include <libpq-fe.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>
#include <string_view>
#include <utility>

#include "host/CommandParser.h"
#include "host/PostgresDb.h"
#include "host/ProcCommon.h"
#include "host/SqliteDb.h"
#include "host/WireText.h"
#include "sys/CodePage.h"

namespace hosttest {
namespace {

using host::Answer;
using host::Args;
using host::Db;

void Bind(host::Statement& stmt, const std::vector<std::string>& binds) {
  for (std::size_t i = 0; i < binds.size(); ++i) {
    stmt.Bind(static_cast<int>(i + 1), binds[i]);
  }
}

Answer Rows(Db& db, const char* sql, const std::vector<std::string>& binds, int width) {
  host::Statement& stmt = db.Prepare(sql);
  Bind(stmt, binds);
  Answer answer;
  while (stmt.Step()) {
    answer.rows.emplace_back();
    for (int i = 0; i < width; ++i) {
      answer.rows.back().push_back(stmt.Text(i));
    }
  }
  stmt.Reset();
  return answer;
}

Answer Put(Db& db, const Args& args) {
  Rows(db, "INSERT OR REPLACE INTO probe(k, v) VALUES(?, ?)", {args[0].text, args[1].text}, 0);
  return Answer{{{"1", args[0].text}}};
}
Answer Get(Db& db, const std::string& k) {
  return Rows(db, "SELECT v FROM probe WHERE k = ?", {k}, 1);
}
// An answer of one row: the number argument, then the text given.
Answer Echo(const Args& args, const std::string& text) {
  return Answer{{{std::to_string(args[0].number), text}}};
}

// The failures still to meet; each failure takes back the row stored before it.
int engineFailuresLeft = 0;
Answer EngineFailure(Db& db, const Args& args) {
  Put(db, {T("engine"), T(args[0].text)});
  if (engineFailuresLeft > 0) {
    --engineFailuresLeft;
    const std::string& kind = args[0].text;
    throw host::EngineError(kind == "lost"       ? host::EngineError::Kind::kLost
                            : kind == "conflict" ? host::EngineError::Kind::kConflict
                                                 : host::EngineError::Kind::kBusy,
                            "probe " + kind);
  }
  return Answer{{{"1", "done"}}};
}

void ManyRows(Db& db, const Args& args, host::RowSink& rows) {
  Put(db, {T("many"), T(std::to_string(args[0].number))});
  std::vector<std::string> row(2, "\xE4\xB8\xAD");
  for (std::int64_t i = 0; i < args[0].number; ++i) {
    row[0] = std::to_string(i);
    rows.Row(row);
  }
  if (args[1].text == "fail") {
    throw host::ProcedureError("failed after the rows");
  }
  if (args[1].text == "conflict" && engineFailuresLeft > 0) {
    --engineFailuresLeft;
    throw host::EngineError(host::EngineError::Kind::kConflict, "probe conflict");
  }
}

constexpr host::Access kReads = host::Access::Reads;
constexpr host::Access kWrites = host::Access::Writes;

const host::ProcedureSpec kProcedures[] = {
    {"T_Put", "tt", Put, kWrites},
    {"MN_GetProbe", "t", [](Db& db, const Args& a) { return Get(db, a[0].text); }, kReads},
    {"T_All", "",
     [](Db& db, const Args&) { return Rows(db, "SELECT k, v FROM probe ORDER BY k", {}, 2); },
     kWrites},
    {"T_Num", "it", [](Db&, const Args& a) { return Echo(a, a[1].text); }, kWrites},
    {"T_Fail", "t", [](Db&, const Args& a) -> Answer { throw host::ProcedureError(a[0].text); },
     kWrites},
    {"T_Refuse", "i", [](Db&, const Args& a) { return Echo(a, "no way"); }, kWrites},
    {"T_Kill", "",
     [](Db&, const Args&) {
       kill(getpid(), SIGKILL);
       return Answer{};
     },
     kWrites},
    {"ST_GetBankSimple", "i",
     [](Db&, const Args& a) { return Answer{{{std::to_string(a[0].number)}}}; }, kReads},
    {"T_Engine", "t", EngineFailure, kWrites},
    {"T_Many", "it", [](Db& db, const Args& a) { return host::CollectRows(db, a, ManyRows); },
     kWrites, nullptr, ManyRows},
};

const host::ProcedureSpec* Find(const std::string& name) {
  for (const auto& proc : kProcedures) {
    if (name == proc.name) {
      return &proc;
    }
  }
  return nullptr;
}

bool MatchSelect(const std::string& sql, std::string& key) {
  constexpr std::string_view kHead = "select v from probe where k='";
  if (sql.size() < kHead.size() + 1 || sql.compare(0, kHead.size(), kHead) != 0 ||
      sql.back() != '\'') {
    return false;
  }
  key = sql.substr(kHead.size(), sql.size() - kHead.size() - 1);
  return key.find('\'') == std::string::npos;
}

// A module command as its procedure's name and arguments (texts in UTF-8).
std::pair<std::string, Args> Split(const std::string& command) {
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

// Runs one command as the administrator on the cluster's maintenance database.
void AdminCommand(const std::string& sql) {
  PGconn* conn = PQconnectdb(PgUrl("postgres").c_str());
  std::string error;
  if (PQstatus(conn) != CONNECTION_OK) {
    error = PQerrorMessage(conn);
  } else {
    PGresult* result = PQexec(conn, sql.c_str());
    if (PQresultStatus(result) != PGRES_COMMAND_OK) {
      error = PQresultErrorMessage(result);
    }
    PQclear(result);
  }
  PQfinish(conn);
  if (!error.empty()) {
    throw std::runtime_error(sql + ": " + error);
  }
}

// Skips every test of a run against PostgreSQL when no cluster was started for it.
class PostgresEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (PostgresWanted() && !PostgresAvailable()) {
      if (std::getenv("TAVRO_TEST_REQUIRE_PG") != nullptr) {
        FAIL() << "TAVRO_TEST_ENGINE=postgres but TAVRO_TEST_PG_HOST names no cluster";
      }
      GTEST_SKIP() << "no PostgreSQL cluster (scripts/bank-postgres.sh start)";
    }
  }
};

const ::testing::Environment* const kPostgresEnvironment =
    ::testing::AddGlobalTestEnvironment(new PostgresEnvironment);

}  // namespace

std::string Scalar(Db& db, const char* sql, const std::vector<std::string>& binds) {
  try {
    host::Statement& stmt = db.Prepare(sql);
    Bind(stmt, binds);
    std::string value = "<none>";
    if (stmt.Step() && !stmt.IsNull(0)) {
      value = stmt.Text(0);
    }
    stmt.Reset();
    return value;
  } catch (const std::exception& e) {
    ADD_FAILURE() << sql << ": " << e.what();
    return "";
  }
}

bool PostgresWanted() {
  const char* engine = std::getenv("TAVRO_TEST_ENGINE");
  return engine != nullptr && std::string_view(engine) == "postgres";
}

bool PostgresAvailable() {
  const char* host = std::getenv("TAVRO_TEST_PG_HOST");
  return host != nullptr && *host != '\0';
}

std::string PgUrl(const std::string& database, const std::string& user) {
  const char* host = std::getenv("TAVRO_TEST_PG_HOST");
  const char* port = std::getenv("TAVRO_TEST_PG_PORT");
  return "postgresql://" + user + "@/" + database + "?host=" + (host ? host : "") +
         "&port=" + (port ? port : "5432");
}

PgDatabase::PgDatabase(bool demo) {
  static int counter = 0;
  name_ = "tavro_t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
  AdminCommand("CREATE DATABASE " + name_ + (demo ? " TEMPLATE tavro_template" : "") +
               " ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'" +
               (demo ? "" : " TEMPLATE template0"));
  if (demo) {
    // A database's own rights are not copied from its template.
    AdminCommand("REVOKE TEMPORARY ON DATABASE " + name_ + " FROM PUBLIC");
  }
}

PgDatabase::~PgDatabase() {
  try {
    AdminCommand("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
}

std::unique_ptr<host::Db> OpenTestBank(const TempDir& dir, std::unique_ptr<PgDatabase>& pg) {
  if (PostgresWanted() && PostgresAvailable()) {
    pg = std::make_unique<PgDatabase>();
    return std::make_unique<host::PostgresDb>(pg->Url(), host::BankSetup());
  }
  return std::make_unique<host::SqliteDb>(dir.File("bank.db"), host::BankSetup());
}

void SetEngineFailures(int count) {
  engineFailuresLeft = count;
}

host::DbSetup ProbeSetup() {
  return host::DbSetup{
      [](Db& db) { db.Exec("CREATE TABLE probe(k TEXT PRIMARY KEY, v TEXT NOT NULL)"); }, nullptr,
      1};
}

host::Server ProbeServer() {
  return host::Server{Find, MatchSelect, Get};
}

std::string ProbeValue(Db& db, const std::string& k) {
  return Scalar(db, "SELECT v FROM probe WHERE k = ?", {k});
}

int ProbeCount(Db& db) {
  return std::stoi(Scalar(db, "SELECT count(*) FROM probe"));
}

host::Outcome RunProbe(Db& db, std::string_view command, std::string* answer,
                       host::Channel channel) {
  return host::RunCommand(db, ProbeServer(), channel, command,
                          [answer](std::string_view text, std::string&) {
                            if (answer) {
                              answer->assign(text);
                            }
                            return host::Status::Ok;
                          });
}

host::Answer BankTest::Call(const std::string& name, const host::Args& args, host::Access access) {
  const host::ProcedureSpec* proc = host::FindProcedure(name);
  if (proc == nullptr) {
    throw std::logic_error("no procedure " + name);
  }
  EXPECT_EQ(std::string(proc->signature).size(), args.size()) << name;
  db_->Begin(access);
  try {
    host::Answer a = proc->run(*db_, args);
    db_->Commit();
    return a;
  } catch (...) {
    db_->Rollback();
    throw;
  }
}

host::Answer BankTest::Call(const std::string& command) {
  auto [name, args] = Split(command);
  return Call(name, args);
}

std::string BankTest::First(const host::Answer& answer) {
  if (answer.rows.empty() || answer.rows[0].empty()) {
    ADD_FAILURE() << "no row";
    return "";
  }
  return answer.rows[0][0];
}

std::vector<std::string> BankTest::Column(const std::string& command) {
  std::vector<std::string> out;
  for (const auto& row : Call(command).rows) {
    EXPECT_EQ(row.size(), 1u) << command;
    out.push_back(row.empty() ? "" : row[0]);
  }
  return out;
}

std::string BankTest::Text(const std::string& command) {
  const host::Answer answer = Call(command);
  std::string out;
  for (std::size_t r = 0; r < answer.rows.size(); ++r) {
    out += r ? "\n" : "";
    for (std::size_t i = 0; i < answer.rows[r].size(); ++i) {
      out += (i ? "|" : "") + answer.rows[r][i];
    }
  }
  return out;
}

void BankTest::Expect(const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    if (step.gives.rfind('!', 0) != 0) {
      EXPECT_EQ(Text(step.command), step.gives) << step.command;
      continue;
    }
    try {
      const std::string answer = Text(step.command);
      ADD_FAILURE() << step.command << " did not fail; it answered " << answer;
    } catch (const host::ProcedureError& e) {
      EXPECT_NE(std::string(e.what()).find(step.gives.substr(1)), std::string::npos)
          << step.command << "\n  raised: " << e.what();
    }
  }
}

}  // namespace hosttest
