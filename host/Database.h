// One open connection to the bank database, with the prepared statements the
// procedures reuse from command to command.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "host/Procedure.h"

struct sqlite3;
struct sqlite3_stmt;

namespace host {

// What a database is filled with when it is created: its schema, optionally data,
// and the schema version recorded for it.
struct DbSetup {
  void (*schema)(sqlite3*) = nullptr;
  void (*data)(sqlite3*) = nullptr;
  int version = 0;
};

// The bank server's own schema, with or without the demonstration data.
inline DbSetup BankSetup(bool demoData = true) {
  return DbSetup{CreateSchema, demoData ? SeedDemoData : nullptr, kSchemaVersion};
}

class Db {
 public:
  // Opens (and on first use creates with the schema and demonstration data) the
  // database at path; throws std::runtime_error with a clear text on failure, on a
  // database of an unknown schema version, or on a file that is no database.
  explicit Db(const std::string& path) : Db(path, BankSetup()) {}
  // The same with the given setup for a database that does not exist yet; the
  // version of an existing database must equal setup.version.
  Db(const std::string& path, const DbSetup& setup);
  ~Db();
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  sqlite3* handle() const { return db_; }
  const std::string& path() const { return path_; }
  // True when this connection created the database.
  bool created() const { return created_; }

  // A prepared statement for sql, reset and with its bindings cleared; kept for the
  // life of the connection. Throws on an SQL error.
  sqlite3_stmt* Prepare(const char* sql);

  // Resets every statement that is still stepping, so that no read stays open past
  // the end of a transaction.
  void ResetStatements();

  // Runs sql (no bindings, no rows); throws std::runtime_error naming what failed.
  void Exec(const char* sql);

 private:
  // True when the file holds a database of setup's version, false when it is empty;
  // throws for anything else. locked: the caller holds the write lock.
  bool CheckVersion(const DbSetup& setup, bool locked);

  sqlite3* db_ = nullptr;
  std::string path_;
  bool created_ = false;
  std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
};

// The database named by TAVRO_BANK_DB, else $XDG_DATA_HOME/tavro/bank.db (or
// ~/.local/share/tavro/bank.db).
std::string DefaultDatabasePath();

// Empties the database at path in place, under its write lock, so that the next
// open creates it afresh. Throws std::runtime_error, changing nothing, when path
// cannot be opened or is no database.
void EmptyDatabase(const std::string& path);

// True when the last error on db was a lock held by another connection.
bool IsBusy(sqlite3* db);

}  // namespace host
