// The small database interface the procedures are written against, and where the
// bank lives. Two drivers serve it: the embedded SQLite file of one workstation
// (SqliteDb) and a PostgreSQL server shared by many workstations (PostgresDb). A
// procedure never names an engine; the SQL that differs between the two lives in the
// drivers and in one schema per engine.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/Procedure.h"

namespace host {

enum class Engine { kSqlite, kPostgres };

// A failure of the engine itself, as opposed to an SQL error of a statement (which
// statements raise as ProcedureError, so that an update can answer it as a refusal).
// Never a ProcedureError: no update may turn a lost connection into a refusal and
// commit the rest.
class EngineError : public std::runtime_error {
 public:
  enum class Kind {
    kBusy,      // another workstation held a lock past the wait
    kConflict,  // the transaction could not be serialized with another; run it again
    kLost,      // the connection to the server is gone; nothing of the command stays
  };
  EngineError(Kind kind, const std::string& text, bool untouched = false)
      : std::runtime_error(text), kind_(kind), untouched_(untouched) {}
  Kind kind() const { return kind_; }
  // A connection found lost before the transaction's first statement had an
  // answer: nothing of the command did anything at the server.
  bool untouched() const { return untouched_; }

 private:
  Kind kind_;
  bool untouched_;
};

// One prepared statement of a connection. Parameters are numbered from 1; a run
// starts with the first Step and ends with Reset (or the next Prepare of the same
// text).
class Statement {
 public:
  virtual ~Statement() = default;
  virtual void Bind(int index, std::string_view text) = 0;
  virtual void Bind(int index, std::int64_t number) = 0;
  virtual void BindNull(int index) = 0;
  // The next row; false when there is none. An SQL error raises ProcedureError, a
  // failure of the engine EngineError.
  virtual bool Step() = 0;
  virtual int Columns() const = 0;
  virtual std::string ColumnName(int column) const = 0;
  virtual std::string Text(int column) const = 0;
  virtual std::int64_t Int(int column) const = 0;
  virtual bool IsNull(int column) const = 0;
  // Ends the run and clears the bindings.
  virtual void Reset() = 0;
};

// What a login of a shared bank may act for: the corporations it holds and, in each,
// the operators. A connection without one (the embedded bank, the bank's owner) is
// not restricted.
struct LoginScope {
  std::string login;
  std::set<std::string> corps;
  std::set<std::pair<std::string, std::string>> operators;  // (corporation, user)

  bool HoldsCorp(const std::string& corp) const { return corps.count(corp) != 0; }
  bool HoldsOperator(const std::string& corp, const std::string& user) const {
    return operators.count({corp, user}) != 0;
  }
};

// One open connection to the bank.
class Db {
 public:
  virtual ~Db() = default;

  virtual Engine engine() const = 0;
  // The file, or the server's address without its password, for messages.
  virtual const std::string& name() const = 0;
  // True when this connection created the bank.
  virtual bool created() const = 0;
  // Null when the connection may act for every corporation.
  virtual const LoginScope* scope() const { return nullptr; }
  // False once the connection was lost; the next command opens a new one.
  virtual bool usable() const { return true; }

  // A prepared statement for sql ('?' marks the parameters), kept for the life of
  // the connection and handed out reset.
  virtual Statement& Prepare(const char* sql) = 0;
  // Rows changed by the last statement run; the id given to the last inserted row.
  virtual int ChangedRows() = 0;
  virtual std::int64_t LastInsertId() = 0;

  // A transaction: a reader sees one consistent state and never waits for a writer.
  // A writer names the records it checks and then changes, and queues behind every
  // other writer of any of them before its transaction (and its view of the bank)
  // starts, so that no two workstations can both pass a check; the embedded engine
  // queues every writer behind every other anyway.
  virtual void Begin(Access access, const std::vector<std::string>& records = {}) = 0;
  // The service login the next transaction (the next Begin only) acts for; a shared
  // bank holds the service's connection to that login's rows. The embedded bank has
  // no other users, so it ignores it.
  virtual void ActFor(const std::string& /*login*/) {}
  virtual void Commit() = 0;
  // Ends an open transaction, if any, undoing it; never throws.
  virtual void Rollback() noexcept = 0;
  virtual bool InTransaction() const = 0;

  virtual void Savepoint(const char* name) = 0;
  virtual void Release(const char* name) = 0;
  // Undoes everything since the savepoint and releases it; never throws.
  virtual void RollbackTo(const char* name) noexcept = 0;

  // Runs SQL without parameters or rows (several statements allowed); raises
  // ProcedureError or EngineError.
  virtual void Exec(const char* sql) = 0;
  // Ends every statement still stepping, so that no read outlives its transaction.
  virtual void ResetStatements() = 0;
};

// What a bank is filled with when it is created: the engine's schema, optionally
// data, and the schema version recorded for it.
struct DbSetup {
  void (*schema)(Db&) = nullptr;
  void (*data)(Db&) = nullptr;
  int version = 0;
  // Brings an older database (its version given) up to version inside the caller's
  // transaction; null: an older database is refused.
  void (*upgrade)(Db&, int from) = nullptr;
};

// The bank server's own schema, with or without the demonstration data.
inline DbSetup BankSetup(bool demoData = true) {
  return DbSetup{CreateSchema, demoData ? SeedDemoData : nullptr, kSchemaVersion, UpgradeSchema};
}

// Where the bank is: a file of the embedded engine or a PostgreSQL connection string.
struct BankLocation {
  Engine engine = Engine::kSqlite;
  std::string where;  // the path, or the libpq connection string
};

// The bank named by TAVRO_BANK_URL (a PostgreSQL server) when that is set and not
// empty, else the embedded file of DefaultDatabasePath().
BankLocation DefaultBankLocation();

// A location as an administrator writes it: a text beginning with postgresql:// or
// postgres:// names a PostgreSQL bank, anything else a file.
BankLocation ParseBankLocation(const std::string& text);

// Opens the bank, which must exist: banks are created by tavro-bank init (InitBank)
// only. Throws std::runtime_error with a clear text when it cannot be opened.
std::unique_ptr<Db> OpenBank(const BankLocation& location);

// The embedded bank named by TAVRO_BANK_DB, else $XDG_DATA_HOME/tavro/bank.db (or
// ~/.local/share/tavro/bank.db).
std::string DefaultDatabasePath();

}  // namespace host
