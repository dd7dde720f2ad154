// Creating, upgrading and copying banks between engines, for tavro-bank.
#include "host/BankAdmin.h"

#include <libpq-fe.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <stdexcept>

#include "host/PostgresDb.h"
#include "host/SqlUtil.h"
#include "host/SqliteDb.h"

namespace host {
namespace {

// The bank's tables in an order in which every row's references are copied before
// it (view_node's parents are set in a second pass).
constexpr const char* kTables[] = {
    "corp",         "bank_user",     "user_corp",     "review_list", "currency",
    "corp_account", "account_order", "account_right", "view_node",   "node_right",
    "customer",     "bank",          "cust_account",  "cny_payee",   "usage_text",
    "swift_bank",   "business",      "biz_authorise", "biz_sign",    "biz_audit",
};

bool FileHasContent(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || info.st_size > 0);
}

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

// Creates the database a PostgreSQL URL names when the server has none of that name,
// connecting to the server's maintenance database with the same credentials.
void CreateDatabaseIfMissing(const std::string& url) {
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

// The administrator's connection to a shared bank: the owner, bound by no login.
std::unique_ptr<PostgresDb> AdminConnection(const std::string& url) {
  auto db =
      std::make_unique<PostgresDb>(url, DbSetup{nullptr, nullptr, kSchemaVersion, UpgradeSchema});
  if (db->scope() != nullptr) {
    throw std::runtime_error("login " + db->login() +
                             " is not the bank's administrator (its owner)");
  }
  return db;
}

std::int64_t CountRows(Db& db, const std::string& table) {
  const std::string sql = "SELECT count(*) FROM " + table;
  return SelectInt(db, sql.c_str(), 0);
}

}  // namespace

std::string InitBank(const BankLocation& location, bool demo, bool force) {
  const char* what = demo ? " with demonstration data" : "";
  if (location.engine == Engine::kSqlite) {
    const std::string& path = location.where;
    // An empty file holds nothing to lose: the host refuses it as no bank.
    const bool there = FileHasContent(path);
    if (there) {
      if (!force) {
        throw std::runtime_error(path + " exists already; `tavro-bank init" +
                                 std::string(demo ? " --demo" : "") + " --force " + path +
                                 "` replaces it, and everything in it is lost");
      }
      EmptyDatabase(path);
    }
    SqliteDb db(path, BankSetup(demo));
    if (!db.created()) {
      throw std::runtime_error(path +
                               " was set up by another program meanwhile; it was left as it is");
    }
    return std::string(there ? "replaced " : "created ") + path + what;
  }

  CreateDatabaseIfMissing(location.where);
  bool replaced = false;
  {
    PGconn* conn = PQconnectdb(location.where.c_str());
    bool holds = false;
    if (PQstatus(conn) == CONNECTION_OK) {
      PGresult* found = PQexec(conn, "SELECT to_regclass('schema_version') IS NOT NULL");
      holds = PQresultStatus(found) == PGRES_TUPLES_OK && PQntuples(found) == 1 &&
              PQgetvalue(found, 0, 0)[0] == 't';
      PQclear(found);
    }
    PQfinish(conn);
    // A database that holds a bank is emptied only when asked to.
    if (holds && !force) {
      throw std::runtime_error(RedactConnectionString(location.where) +
                               " holds a bank already; `tavro-bank init" +
                               std::string(demo ? " --demo" : "") +
                               " --force URL` replaces it, and everything in it is lost");
    }
    replaced = holds;
  }
  if (replaced) {
    PGconn* conn = PQconnectdb(location.where.c_str());
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
  PostgresDb db(location.where, BankSetup(demo));
  if (!db.created()) {
    throw std::runtime_error(db.name() + " was set up by another program meanwhile");
  }
  return std::string(replaced ? "replaced the bank of " : "created a bank in ") + db.name() + what;
}

std::string UpgradeBank(const BankLocation& location) {
  if (location.engine == Engine::kSqlite && !FileHasContent(location.where)) {
    throw std::runtime_error(location.where + " holds no bank");
  }
  const std::unique_ptr<Db> db = location.engine == Engine::kPostgres
                                     ? std::unique_ptr<Db>(AdminConnection(location.where))
                                     : std::make_unique<SqliteDb>(location.where, BankSetup(false));
  return "the bank has schema version " + std::to_string(kSchemaVersion) + "\n";
}

std::string CopyBank(const BankLocation& from, const BankLocation& to) {
  if (from.engine == Engine::kSqlite && !FileHasContent(from.where)) {
    throw std::runtime_error(from.where + " holds no bank");
  }
  std::unique_ptr<Db> source = from.engine == Engine::kPostgres
                                   ? std::unique_ptr<Db>(AdminConnection(from.where))
                                   : std::make_unique<SqliteDb>(from.where, BankSetup(false));
  if (to.engine == Engine::kPostgres) {
    CreateDatabaseIfMissing(to.where);
  }
  std::unique_ptr<Db> target;
  if (to.engine == Engine::kPostgres) {
    auto pg = std::make_unique<PostgresDb>(to.where, BankSetup(false));
    if (pg->scope() != nullptr) {
      throw std::runtime_error("login " + pg->login() + " is not the bank's administrator");
    }
    target = std::move(pg);
  } else {
    if (FileHasContent(to.where)) {
      throw std::runtime_error(to.where + " exists already; copy makes a new bank only");
    }
    target = std::make_unique<SqliteDb>(to.where, BankSetup(false));
  }
  for (const char* table : kTables) {
    if (CountRows(*target, table) != 0) {
      throw std::runtime_error(target->name() + " holds data (table " + table +
                               "); copy fills an empty bank only");
    }
  }

  std::string report;
  source->Begin(Access::Reads);
  target->Begin(Access::Writes);
  try {
    for (const char* table : kTables) {
      const std::string select = std::string("SELECT * FROM ") + table;
      Statement& rows = source->Prepare(select.c_str());
      std::string insert;
      int columns = 0;
      std::int64_t copied = 0;
      while (rows.Step()) {
        if (insert.empty()) {
          columns = rows.Columns();
          std::string names;
          std::string marks;
          for (int c = 0; c < columns; ++c) {
            names += (c ? ", " : "") + rows.ColumnName(c);
            marks += c ? ", ?" : "?";
          }
          insert = std::string("INSERT INTO ") + table;
          insert.append("(").append(names).append(") VALUES (").append(marks).append(")");
        }
        Statement& put = target->Prepare(insert.c_str());
        for (int c = 0; c < columns; ++c) {
          // A parent node may come after its child; parents are set below.
          const bool parent =
              std::strcmp(table, "view_node") == 0 && rows.ColumnName(c) == "parent_id";
          if (rows.IsNull(c) || parent) {
            put.BindNull(c + 1);
          } else {
            put.Bind(c + 1, rows.Text(c));
          }
        }
        put.Step();
        put.Reset();
        ++copied;
      }
      rows.Reset();
      if (std::strcmp(table, "view_node") == 0) {
        Statement& parents =
            source->Prepare("SELECT node_id, parent_id FROM view_node WHERE parent_id IS NOT NULL");
        while (parents.Step()) {
          Execute(*target, "UPDATE view_node SET parent_id = ? WHERE node_id = ?", parents.Int(1),
                  parents.Int(0));
        }
        parents.Reset();
      }
      const std::int64_t there = CountRows(*target, table);
      const std::int64_t expected = CountRows(*source, table);
      if (there != copied || there != expected) {
        throw std::runtime_error(std::string("table ") + table + ": " + std::to_string(expected) +
                                 " rows in the source, " + std::to_string(there) +
                                 " in the copy; nothing was copied");
      }
      report += std::string(table) + ": " + std::to_string(there) + " rows\n";
    }
    if (target->engine() == Engine::kPostgres) {
      // New customer accounts continue after the highest id copied.
      target->Exec(
          "SELECT setval(pg_get_serial_sequence('cust_account', 'ac_id'),"
          " coalesce((SELECT max(ac_id) FROM cust_account), 0) + 1, false)");
    }
    target->Commit();
    source->Commit();
  } catch (...) {
    target->Rollback();
    source->Rollback();
    throw;
  }
  return report;
}

}  // namespace host
