#include "host/Database.h"

#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace host {
namespace {

// How long a command waits for another process's write before it answers busy.
constexpr int kBusyTimeoutMs = 5000;

// Creates every missing folder on the way to path's parent, private to the user.
void CreateParentFolders(const std::string& path) {
  std::string::size_type slash = path.find('/', 1);
  while (slash != std::string::npos) {
    std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      throw std::runtime_error("cannot create folder " + folder + ": " + std::strerror(errno));
    }
    slash = path.find('/', slash + 1);
  }
}

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

Db::Db(const std::string& path, const DbSetup& setup) : path_(path) {
  if (path.empty()) {
    throw std::runtime_error("no database path");
  }
  CreateParentFolders(path);
  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
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

    // Creating the schema and reading the version happen under one write lock, so
    // two processes opening a new database at once create it exactly once.
    rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      throw std::runtime_error(OpenFailure(db_, path, rc));
    }
    try {
      int version = QueryInt(db_, "PRAGMA user_version", &rc);
      if (rc != SQLITE_OK) {
        throw std::runtime_error(OpenFailure(db_, path, rc));
      }
      int tables = QueryInt(db_, "SELECT count(*) FROM sqlite_master", &rc);
      if (rc != SQLITE_OK) {
        throw std::runtime_error(OpenFailure(db_, path, rc));
      }
      if (version == 0 && tables == 0) {
        if (setup.schema) {
          setup.schema(db_);
        }
        if (setup.data) {
          setup.data(db_);
        }
        Exec(("PRAGMA user_version=" + std::to_string(setup.version)).c_str());
        created_ = true;
      } else if (version == 0) {
        throw std::runtime_error(path + " is not a bank database (no schema version)");
      } else if (version != setup.version) {
        throw std::runtime_error(path + " has schema version " + std::to_string(version) +
                                 ", this host knows version " + std::to_string(setup.version));
      }
      Exec("COMMIT");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  } catch (...) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw;
  }
}

Db::~Db() {
  for (auto& entry : statements_) {
    sqlite3_finalize(entry.second);
  }
  sqlite3_close_v2(db_);
}

sqlite3_stmt* Db::Prepare(const char* sql) {
  auto found = statements_.find(std::string_view(sql));
  if (found != statements_.end()) {
    sqlite3_reset(found->second);
    sqlite3_clear_bindings(found->second);
    return found->second;
  }
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt);
    throw std::runtime_error(std::string("SQL error: ") + sqlite3_errmsg(db_));
  }
  statements_.emplace(sql, stmt);
  return stmt;
}

void Db::ResetStatements() {
  for (sqlite3_stmt* stmt = sqlite3_next_stmt(db_, nullptr); stmt;
       stmt = sqlite3_next_stmt(db_, stmt)) {
    if (sqlite3_stmt_busy(stmt)) {
      sqlite3_reset(stmt);
    }
  }
}

void Db::Exec(const char* sql) {
  char* message = nullptr;
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    throw std::runtime_error(std::string("SQL error: ") + text);
  }
}

std::string DefaultDatabasePath() {
  const char* named = std::getenv("TAVRO_BANK_DB");
  if (named && *named) {
    return named;
  }
  const char* data = std::getenv("XDG_DATA_HOME");
  // The XDG base-directory rules say a relative XDG_DATA_HOME is to be ignored.
  if (data && data[0] == '/') {
    return std::string(data) + "/tavro/bank.db";
  }
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const passwd* user = getpwuid(getuid()); user && user->pw_dir) {
    home = user->pw_dir;
  }
  return home + "/.local/share/tavro/bank.db";
}

bool IsBusy(sqlite3* db) {
  int rc = sqlite3_errcode(db);
  return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

}  // namespace host
