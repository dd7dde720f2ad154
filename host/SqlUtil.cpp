// The procedures' statements: bind in order, step, read, and reset at the end of
// scope, on whichever engine the bank runs.
#include "host/SqlUtil.h"

#include <vector>

#include "host/Database.h"
#include "host/Procedure.h"

namespace host {

Query::Query(Db& db, const char* sql) : stmt_(db.Prepare(sql)) {}

Query::~Query() {
  stmt_.Reset();
}

Query& Query::Bind(std::string_view text) {
  stmt_.Bind(next_++, text);
  return *this;
}

Query& Query::Bind(std::int64_t number) {
  stmt_.Bind(next_++, number);
  return *this;
}

Query& Query::BindNull() {
  stmt_.BindNull(next_++);
  return *this;
}

bool Query::Next() {
  return stmt_.Step();
}

void Query::Run() {
  while (Next()) {
  }
}

std::string Query::Text(int column) const {
  return stmt_.Text(column);
}

std::int64_t Query::Int(int column) const {
  return stmt_.Int(column);
}

bool Query::IsNull(int column) const {
  return stmt_.IsNull(column);
}

int ChangedRows(Db& db) {
  return db.ChangedRows();
}

std::int64_t LastInsertId(Db& db) {
  return db.LastInsertId();
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
