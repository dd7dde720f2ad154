#include "host/SqlUtil.h"

#include <sqlite3.h>

#include <vector>

#include "host/Database.h"
#include "host/Procedure.h"

namespace host {

Query::Query(Db& db, const char* sql) : db_(db), stmt_(db.Prepare(sql)) {}

Query::~Query() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

Query& Query::Bind(std::string_view text) {
  sqlite3_bind_text(stmt_, next_++, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

Query& Query::Bind(std::int64_t number) {
  sqlite3_bind_int64(stmt_, next_++, number);
  return *this;
}

Query& Query::BindNull() {
  sqlite3_bind_null(stmt_, next_++);
  return *this;
}

// A failed step names SQLite's reason; constraint names come from the schema, so
// the operator learns which rule refused the change.
bool Query::Next() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) {
    return true;
  }
  if (rc == SQLITE_DONE) {
    return false;
  }
  std::string why = sqlite3_errmsg(db_.handle());
  sqlite3_reset(stmt_);
  throw ProcedureError(why);
}

void Query::Run() {
  while (Next()) {
  }
}

std::string Query::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  if (text == nullptr) {
    return std::string();
  }
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::int64_t Query::Int(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

bool Query::IsNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

int ChangedRows(Db& db) {
  return sqlite3_changes(db.handle());
}

std::int64_t LastInsertId(Db& db) {
  return sqlite3_last_insert_rowid(db.handle());
}

Answer TextRows(Query& q, int columns) {
  Answer out;
  while (q.Next()) {
    std::vector<std::string> row;
    row.reserve(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) {
      row.push_back(q.Text(i));
    }
    out.rows.push_back(std::move(row));
  }
  return out;
}

}  // namespace host
