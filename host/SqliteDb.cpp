// The embedded engine: opening the bank file (the pragmas, the schema version; for
// tavro-bank init its folders, its private file and the new database, created under
// the write lock), its statements and transactions, and the reset for tavro-bank.
#include "host/SqliteDb.h"

#include <sqlite3.h>

#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "host/BankFile.h"
#include "host/Database.h"
#include "host/SqliteFileLocks.h"
#include "host/WireText.h"

namespace host {
namespace {

// How long a command waits for another process's write before it answers busy.
constexpr int kBusyTimeoutMs = 5000;

// One integer read by a pragma or query.
int QueryInt(sqlite3* db, const char* sql, int* rc) {
  sqlite3_stmt* stmt = nullptr;
  int value = 0;
  *rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (*rc == SQLITE_OK) {
    *rc = sqlite3_step(stmt);
    if (*rc == SQLITE_ROW) {
      value = sqlite3_column_int(stmt, 0);
      *rc = SQLITE_OK;
    } else if (*rc == SQLITE_DONE) {
      *rc = SQLITE_OK;
    }
  }
  sqlite3_finalize(stmt);
  return value;
}

std::string OpenFailure(sqlite3* db, const std::string& path, int rc) {
  if (rc == SQLITE_NOTADB) {
    return path + " is not a database";
  }
  if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
    return path + " is busy in another process";
  }
  return "cannot open " + path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

}  // namespace

// A prepared statement of the embedded engine.
class SqliteStatement : public Statement {
 public:
  // stepped: where the statement notes itself when a run starts, so that
  // ResetStatements finds every run still open without going through them all.
  SqliteStatement(sqlite3* db, sqlite3_stmt* stmt, std::vector<SqliteStatement*>& stepped)
      : db_(db), stmt_(stmt), stepped_(stepped) {}
  ~SqliteStatement() override { sqlite3_finalize(stmt_); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  void Bind(int index, std::string_view text) override {
    used_ = true;
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  void Bind(int index, std::int64_t number) override {
    used_ = true;
    sqlite3_bind_int64(stmt_, index, number);
  }
  void BindNull(int index) override {
    used_ = true;
    sqlite3_bind_null(stmt_, index);
  }

  // A failed step names SQLite's reason; constraint names come from the schema, so
  // the operator learns which rule refused the change. A lock held elsewhere is the
  // engine's failure, not the statement's.
  bool Step() override {
    used_ = true;
    if (!listed_) {
      stepped_.push_back(this);
      listed_ = true;
    }
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
      return true;
    }
    if (rc == SQLITE_DONE) {
      return false;
    }
    std::string why = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
      throw EngineError(EngineError::Kind::kBusy, why);
    }
    throw ProcedureError(why);
  }
  int Columns() const override { return sqlite3_column_count(stmt_); }
  std::string ColumnName(int column) const override {
    const char* name = sqlite3_column_name(stmt_, column);
    return name != nullptr ? name : "";
  }
  std::string Text(int column) const override {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (text == nullptr) {
      return std::string();
    }
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
  }
  std::int64_t Int(int column) const override { return sqlite3_column_int64(stmt_, column); }
  bool IsNull(int column) const override {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
  }
  // A statement is handed out reset and reset again after its run; one neither bound
  // nor stepped since has nothing to undo.
  void Reset() override {
    if (used_) {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
      used_ = false;
    }
  }
  // Ends a run left open; called for the statements noted since the last time.
  void EndRun() {
    if (sqlite3_stmt_busy(stmt_)) {
      sqlite3_reset(stmt_);
    }
    listed_ = false;
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  std::vector<SqliteStatement*>& stepped_;
  bool listed_ = false;
  bool used_ = false;
};

SqliteDb::SqliteDb(const std::string& path, const DbSetup& setup) : path_(path) {
  if (path.empty()) {
    throw std::runtime_error("no database path");
  }
  // Only the bank's creation makes a file: a mistyped path must not quietly become a
  // new bank that the operator then works in.
  const bool creates = setup.schema != nullptr;
  if (creates) {
    CreateParentFolders(path);
    CreatePrivateFile(path);
  } else if (NothingAt(path)) {
    throw std::runtime_error(NoBankText(path));
  }
  UseDescriptionLocks();
  int rc = sqlite3_open_v2(path.c_str(), &db_,
                           SQLITE_OPEN_READWRITE | (creates ? SQLITE_OPEN_CREATE : 0), nullptr);
  try {
    if (rc != SQLITE_OK) {
      throw std::runtime_error(OpenFailure(db_, path, rc));
    }
    sqlite3_extended_result_codes(db_, 0);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // Reading the version first tells a file that is no database from one that is.
    QueryInt(db_, "PRAGMA user_version", &rc);
    if (rc != SQLITE_OK) {
      throw std::runtime_error(OpenFailure(db_, path, rc));
    }
    // An empty file is refused before the journal mode is set, which would write to it.
    if (!creates && !CheckVersion(setup, false)) {
      throw std::runtime_error(NoBankText(path));
    }

    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db_, "PRAGMA journal_mode=WAL", -1, &stmt, nullptr);
    std::string mode;
    if (rc == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      if (text) {
        mode = reinterpret_cast<const char*>(text);
      }
    }
    rc = sqlite3_errcode(db_);
    sqlite3_finalize(stmt);
    if (mode != "wal") {
      if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
        throw std::runtime_error(OpenFailure(db_, path, rc));
      }
      throw std::runtime_error(path + ": write-ahead logging is not available");
    }
    Exec("PRAGMA synchronous=FULL");
    Exec("PRAGMA foreign_keys=ON");

    // A current database is opened with a plain read, so that a process's first
    // command never queues behind another process's write. Only a new (empty) file
    // takes the write lock, and reads the version again under it, so that two
    // processes opening a new database at once create it exactly once.
    if (creates && !CheckVersion(setup, false)) {
      rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
      if (rc != SQLITE_OK) {
        throw std::runtime_error(OpenFailure(db_, path, rc));
      }
      try {
        if (!CheckVersion(setup, true)) {
          setup.schema(*this);
          if (setup.data) {
            setup.data(*this);
          }
          Exec(("PRAGMA user_version=" + std::to_string(setup.version)).c_str());
          created_ = true;
        }
        Exec("COMMIT");
      } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
      }
    }
    UpgradeIfOlder(setup);
  } catch (...) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw;
  }
}

bool SqliteDb::CheckVersion(const DbSetup& setup, bool locked) {
  // Outside the write lock the two reads share one read transaction, so they see the
  // same state of the file.
  if (!locked) {
    Exec("BEGIN");
  }
  int rc = SQLITE_OK;
  int version = QueryInt(db_, "PRAGMA user_version", &rc);
  int tables = rc == SQLITE_OK ? QueryInt(db_, "SELECT count(*) FROM sqlite_master", &rc) : 0;
  if (!locked) {
    sqlite3_exec(db_, rc == SQLITE_OK ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) {
    throw std::runtime_error(OpenFailure(db_, path_, rc));
  }
  if (version == 0 && tables == 0) {
    return false;
  }
  if (version == 0) {
    throw std::runtime_error(path_ + " is not a bank database (no schema version)");
  }
  if (version > setup.version || (version < setup.version && setup.upgrade == nullptr)) {
    throw std::runtime_error(path_ + " has schema version " + std::to_string(version) +
                             ", this host knows version " + std::to_string(setup.version));
  }
  return true;
}

// A bank of an earlier version gets the steps it lacks under the write lock, once: a
// second process opening it at the same time finds it upgraded.
void SqliteDb::UpgradeIfOlder(const DbSetup& setup) {
  int rc = SQLITE_OK;
  if (QueryInt(db_, "PRAGMA user_version", &rc) >= setup.version || rc != SQLITE_OK) {
    return;
  }
  rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    throw std::runtime_error(OpenFailure(db_, path_, rc));
  }
  try {
    const int version = QueryInt(db_, "PRAGMA user_version", &rc);
    if (rc != SQLITE_OK) {
      throw std::runtime_error(OpenFailure(db_, path_, rc));
    }
    if (version < setup.version) {
      setup.upgrade(*this, version);
      Exec(("PRAGMA user_version=" + std::to_string(setup.version)).c_str());
    }
    Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

SqliteDb::~SqliteDb() {
  stepped_.clear();
  readerStatements_.clear();
  statements_.clear();
  sqlite3_close_v2(reader_);
  sqlite3_close_v2(db_);
}

Statement& SqliteDb::Prepare(const char* sql) {
  StatementMap& statements = reading_ ? readerStatements_ : statements_;
  auto found = statements.find(std::string_view(sql));
  if (found != statements.end()) {
    found->second->Reset();
    return *found->second;
  }
  sqlite3* db = Current();
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt);
    throw ProcedureError(std::string("SQL error: ") + sqlite3_errmsg(db));
  }
  auto made = std::make_unique<SqliteStatement>(db, stmt, stepped_);
  SqliteStatement& out = *made;
  statements.emplace(sql, std::move(made));
  return out;
}

int SqliteDb::ChangedRows() {
  return sqlite3_changes(Current());
}

std::int64_t SqliteDb::LastInsertId() {
  return sqlite3_last_insert_rowid(Current());
}

void SqliteDb::OpenReader() {
  // The connection's own mutex is left out: like the writers' connection it is used
  // by one command at a time, under the lock the host library holds for the command.
  int rc = sqlite3_open_v2(path_.c_str(), &reader_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_extended_result_codes(reader_, 0);
    sqlite3_busy_timeout(reader_, kBusyTimeoutMs);
    rc = sqlite3_exec(reader_, "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) {
    const std::string why = OpenFailure(reader_, path_, rc);
    sqlite3_close_v2(reader_);
    reader_ = nullptr;
    throw EngineError(rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? EngineError::Kind::kBusy
                                                               : EngineError::Kind::kLost,
                      why, true);
  }
}

void SqliteDb::Control(const char* sql) {
  Statement& stmt = Prepare(sql);
  stmt.Step();
  stmt.Reset();
}

// A reader runs on the readers' connection, whose writes are switched off, so a
// procedure marked as a reader can never change the bank; a writer takes the write
// lock before it starts, so it never fails half-way while upgrading a read lock.
void SqliteDb::Begin(Access access, const std::vector<std::string>& /*records*/) {
  if (access == Access::Reads) {
    if (reader_ == nullptr) {
      OpenReader();
    }
    reading_ = true;
    try {
      Control("BEGIN");
    } catch (...) {
      Rollback();
      throw;
    }
  } else {
    Control("BEGIN IMMEDIATE");
  }
}

void SqliteDb::Commit() {
  ResetStatements();
  try {
    Control("COMMIT");
  } catch (const ProcedureError& e) {
    throw ProcedureError(std::string("commit failed: ") + e.what());
  }
  reading_ = false;
}

void SqliteDb::Rollback() noexcept {
  ResetStatements();
  sqlite3* db = Current();
  if (db != nullptr && !sqlite3_get_autocommit(db)) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  reading_ = false;
}

bool SqliteDb::InTransaction() const {
  return !sqlite3_get_autocommit(Current());
}

void SqliteDb::Savepoint(const char* name) {
  Exec((std::string("SAVEPOINT ") + name).c_str());
}

void SqliteDb::Release(const char* name) {
  Exec((std::string("RELEASE ") + name).c_str());
}

void SqliteDb::RollbackTo(const char* name) noexcept {
  const std::string sql = std::string("ROLLBACK TO ") + name + "; RELEASE " + name;
  sqlite3_exec(Current(), sql.c_str(), nullptr, nullptr, nullptr);
}

void SqliteDb::ResetStatements() {
  for (SqliteStatement* stmt : stepped_) {
    stmt->EndRun();
  }
  stepped_.clear();
}

void SqliteDb::Exec(const char* sql) {
  char* message = nullptr;
  int rc = sqlite3_exec(Current(), sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
      throw EngineError(EngineError::Kind::kBusy, text);
    }
    throw ProcedureError(std::string("SQL error: ") + text);
  }
}

std::string NoBankText(const std::string& path) {
  // A path the shell would split is quoted for it, so that the command can be pasted.
  std::string shown = path;
  if (path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
                             "/._-+,:@%=") != std::string::npos) {
    shown = "'";
    for (const char c : path) {
      shown += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    shown += "'";
  }
  std::string text = "no bank at " + path + "; create one with tavro-bank init --demo";
  // GBK takes no more bytes than UTF-8 for any character, so this bound holds on the wire.
  if (text.size() + 1 + shown.size() <= kErrorTextMax) {
    return text + " " + shown;
  }
  return text;
}

void EmptyDatabase(const std::string& path) {
  UseDescriptionLocks();
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  try {
    if (rc != SQLITE_OK) {
      throw std::runtime_error(OpenFailure(db, path, rc));
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Anything that is no database (a file typed by mistake) is left alone.
    QueryInt(db, "PRAGMA user_version", &rc);
    if (rc != SQLITE_OK) {
      throw std::runtime_error(OpenFailure(db, path, rc) + "; it was left alone");
    }
    // SQLite's own reset: one write transaction, so other connections see the old
    // database or an empty one, and the write-ahead log stays consistent with it.
    sqlite3_db_config(db, SQLITE_DBCONFIG_RESET_DATABASE, 1, nullptr);
    rc = sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_RESET_DATABASE, 0, nullptr);
    if (rc != SQLITE_OK) {
      throw std::runtime_error(OpenFailure(db, path, rc));
    }
  } catch (...) {
    sqlite3_close_v2(db);
    throw;
  }
  sqlite3_close_v2(db);
}

}  // namespace host
