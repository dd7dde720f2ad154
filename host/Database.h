// One open connection to the bank database, with the prepared statements the
// procedures reuse from command to command.
#pragma once

#include <map>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace host {

class Db {
 public:
  // Opens (and on first use creates with the schema and demonstration data) the
  // database at path; throws std::runtime_error with a clear text on failure, on a
  // database of an unknown schema version, or on a file that is no database.
  explicit Db(const std::string& path);
  ~Db();
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  sqlite3* handle() const { return db_; }

  // A prepared statement for sql, reset and with its bindings cleared; kept for the
  // life of the connection. Throws on an SQL error.
  sqlite3_stmt* Prepare(const char* sql);

 private:
  sqlite3* db_ = nullptr;
  std::map<std::string, sqlite3_stmt*> statements_;
};

// The database named by TAVRO_BANK_DB, else $XDG_DATA_HOME/tavro/bank.db (or
// ~/.local/share/tavro/bank.db).
std::string DefaultDatabasePath();

}  // namespace host
