// The banks on a PostgreSQL server: the engine's connections (PostgresDb) and the
// administrator's work on a server's database with libpq.
#include "host/ServerBank.h"

#include <libpq-fe.h>

#include <cstring>
#include <stdexcept>

#include "host/PostgresDb.h"

namespace host {
namespace {

void IgnoreNotice(void* /*unused*/, const char* /*message*/) {}

// Runs one statement without parameters on a libpq connection.
void PgCommand(PGconn* conn, const std::string& sql) {
  PQsetNoticeProcessor(conn, IgnoreNotice, nullptr);
  PGresult* result = PQexec(conn, sql.c_str());
  const ExecStatusType status = PQresultStatus(result);
  std::string error = PQresultErrorMessage(result);
  PQclear(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    while (!error.empty() && error.back() == '\n') {
      error.pop_back();
    }
    throw std::runtime_error(error);
  }
}

std::string QuoteIdentifier(PGconn* conn, const std::string& name) {
  char* quoted = PQescapeIdentifier(conn, name.c_str(), name.size());
  if (quoted == nullptr) {
    throw std::runtime_error("cannot quote " + name);
  }
  std::string out = quoted;
  PQfreemem(quoted);
  return out;
}

}  // namespace

std::unique_ptr<Db> OpenServerBank(const std::string& url, const DbSetup& setup) {
  return std::make_unique<PostgresDb>(url, setup);
}

std::unique_ptr<Db> OpenServerBankAsAdministrator(const std::string& url, const DbSetup& setup) {
  auto db = std::make_unique<PostgresDb>(url, setup);
  if (db->scope() != nullptr) {
    throw std::runtime_error("login " + db->login() +
                             " is not the bank's administrator (its owner)");
  }
  return db;
}

void CreateServerDatabaseIfMissing(const std::string& url) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(url.c_str(), &error);
  if (options == nullptr) {
    std::string why = error != nullptr ? error : "cannot read the connection string";
    PQfreemem(error);
    throw std::runtime_error(why);
  }
  std::string database;
  for (PQconninfoOption* o = options; o->keyword != nullptr; ++o) {
    if (std::strcmp(o->keyword, "dbname") == 0 && o->val != nullptr) {
      database = o->val;
    }
  }
  PQconninfoFree(options);
  if (database.empty() || database == "postgres") {
    return;
  }
  const char* keys[] = {"connect_timeout", "dbname", "dbname", nullptr};
  const char* values[] = {"5", url.c_str(), "postgres", nullptr};
  PGconn* conn = PQconnectdbParams(keys, values, 1);
  try {
    if (PQstatus(conn) != CONNECTION_OK) {
      throw std::runtime_error(ConnectFailureText(conn));
    }
    const char* params[] = {database.c_str()};
    PGresult* found = PQexecParams(conn, "SELECT 1 FROM pg_database WHERE datname = $1", 1, nullptr,
                                   params, nullptr, nullptr, 0);
    const bool exists = PQresultStatus(found) == PGRES_TUPLES_OK && PQntuples(found) > 0;
    PQclear(found);
    if (!exists) {
      PgCommand(conn, "CREATE DATABASE " + QuoteIdentifier(conn, database) +
                          " ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
    }
  } catch (...) {
    PQfinish(conn);
    throw;
  }
  PQfinish(conn);
}

bool ServerHoldsBank(const std::string& url) {
  // A server that cannot be reached holds nothing here; opening the bank says why.
  PGconn* conn = PQconnectdb(url.c_str());
  bool holds = false;
  if (PQstatus(conn) == CONNECTION_OK) {
    PGresult* found = PQexec(conn, "SELECT to_regclass('schema_version') IS NOT NULL");
    holds = PQresultStatus(found) == PGRES_TUPLES_OK && PQntuples(found) == 1 &&
            PQgetvalue(found, 0, 0)[0] == 't';
    PQclear(found);
  }
  PQfinish(conn);
  return holds;
}

void EmptyServerDatabase(const std::string& url) {
  PGconn* conn = PQconnectdb(url.c_str());
  try {
    if (PQstatus(conn) != CONNECTION_OK) {
      throw std::runtime_error(ConnectFailureText(conn));
    }
    PgCommand(conn,
              "BEGIN; DROP SCHEMA public CASCADE; CREATE SCHEMA public;"
              " GRANT USAGE ON SCHEMA public TO PUBLIC; COMMIT");
  } catch (...) {
    PQfinish(conn);
    throw;
  }
  PQfinish(conn);
}

std::string ServerBankName(const std::string& url) {
  return RedactConnectionString(url);
}

}  // namespace host
