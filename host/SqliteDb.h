// The embedded engine: the bank as an SQLite file private to one workstation user.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/Database.h"

struct sqlite3;

namespace host {

class SqliteStatement;

class SqliteDb : public Db {
 public:
  // Opens the database at path, whose version must equal setup.version. A setup
  // with a schema creates a database that is missing or empty with it (the way
  // tavro-bank init makes a bank); without one, a missing or empty database is
  // refused (NoBankText). Throws std::runtime_error with a clear text on failure, on
  // a database of another schema version, or on a file that is no database.
  SqliteDb(const std::string& path, const DbSetup& setup);
  ~SqliteDb() override;
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  // The writers' connection (readers have one of their own, see Begin).
  sqlite3* handle() const { return db_; }
  const std::string& path() const { return path_; }

  Engine engine() const override { return Engine::kSqlite; }
  const std::string& name() const override { return path_; }
  bool created() const override { return created_; }
  Statement& Prepare(const char* sql) override;
  int ChangedRows() override;
  std::int64_t LastInsertId() override;
  void Begin(Access access, const std::vector<std::string>& records = {}) override;
  void Commit() override;
  void Rollback() noexcept override;
  bool InTransaction() const override;
  void Savepoint(const char* name) override;
  void Release(const char* name) override;
  void RollbackTo(const char* name) noexcept override;
  void Exec(const char* sql) override;
  void ResetStatements() override;

 private:
  // True when the file holds a database of setup's version, false when it is empty;
  // throws for anything else. locked: the caller holds the write lock.
  bool CheckVersion(const DbSetup& setup, bool locked);
  void UpgradeIfOlder(const DbSetup& setup);
  // Runs a kept transaction statement; raises EngineError for a lock held
  // elsewhere and ProcedureError otherwise.
  void Control(const char* sql);
  // Opens the readers' connection, writes switched off for its whole life.
  void OpenReader();
  // The connection of the open transaction: the readers' during a read.
  sqlite3* Current() const { return reading_ ? reader_ : db_; }

  using StatementMap = std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>>;

  sqlite3* db_ = nullptr;
  std::string path_;
  bool created_ = false;
  StatementMap statements_;
  // Readers run on a second connection to the same file whose query_only is set once:
  // switching it on and off for every read would expire every prepared statement of
  // the connection, and each command would compile its statements again.
  sqlite3* reader_ = nullptr;
  StatementMap readerStatements_;
  bool reading_ = false;
  // Statements stepped since the last ResetStatements, of either connection.
  std::vector<SqliteStatement*> stepped_;
};

// The refusal of a missing or empty bank: the path and the command that creates one,
// the path left out of the command when the whole would not fit the host's error text
// (tavro-bank init without a path makes the same file).
std::string NoBankText(const std::string& path);

// Empties the database at path in place, under its write lock, so that the next
// open creates it afresh. Throws std::runtime_error, changing nothing, when path
// cannot be opened or is no database.
void EmptyDatabase(const std::string& path);

}  // namespace host
