// Small helpers with which the procedures bind, step and read their statements.
// Every value from a command is bound as a parameter; no text of a command ever
// becomes part of an SQL statement.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/Procedure.h"

namespace host {

class Db;
class Statement;

// One run of a prepared statement of the connection. Binds parameters in order and
// resets the statement when it goes out of scope, so no read outlives its procedure.
class Query {
 public:
  Query(Db& db, const char* sql);
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& Bind(std::string_view text);
  Query& Bind(std::int64_t number);
  Query& Bind(int number) { return Bind(static_cast<std::int64_t>(number)); }
  Query& BindNull();

  // Steps to the next row; false when there is none. Throws ProcedureError on an
  // SQL error, naming the constraint or the reason, and EngineError when the engine
  // fails (a lock held elsewhere, a conflict, a lost connection).
  bool Next();
  // Steps to the end, ignoring rows.
  void Run();

  std::string Text(int column) const;
  std::int64_t Int(int column) const;
  bool IsNull(int column) const;

 private:
  Statement& stmt_;
  int next_ = 1;
};

// The remaining rows of q as an answer: the first columns columns of each, as texts.
Answer TextRows(Query& q, int columns);

// The number of rows changed by the last statement on db.
int ChangedRows(Db& db);

// The id given to the last inserted row on db.
std::int64_t LastInsertId(Db& db);

// Binds each argument in order, runs the statement to its end and returns the
// number of rows it changed.
template <typename... A>
int Execute(Db& db, const char* sql, const A&... args) {
  Query q(db, sql);
  (q.Bind(args), ...);
  q.Run();
  return ChangedRows(db);
}

// The first column of the first row as an integer, or fallback without a row.
template <typename... A>
std::int64_t SelectInt(Db& db, const char* sql, std::int64_t fallback, const A&... args) {
  Query q(db, sql);
  (q.Bind(args), ...);
  return q.Next() ? q.Int(0) : fallback;
}

}  // namespace host
