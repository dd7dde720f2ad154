// The contract between the command interpreter and the bank server's procedures.
//
// The interpreter parses a command ("NAME args" or a batch of "exec NAME args"),
// converts its text arguments from GBK to UTF-8, checks them against the procedure's
// signature, runs the procedure inside the command's transaction and turns its answer
// back into wire text (fields joined by 0x07, rows ended by CR LF, GBK). Procedures see
// only UTF-8 and bound SQL parameters.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace host {

class Db;

// One argument of a command: a quoted text or a decimal integer.
struct Value {
  bool isText = true;
  std::string text;         // UTF-8, when isText
  std::int64_t number = 0;  // when !isText
};
using Args = std::vector<Value>;

// A procedure's answer: rows of fields, UTF-8. A field's line breaks (CR LF) travel
// as 0x0E on the wire; the interpreter encodes them.
struct Answer {
  std::vector<std::vector<std::string>> rows;
};

// Raised by a procedure to fail the command (and roll back its batch); the message
// becomes the host's error text.
class ProcedureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A procedure runs inside a transaction that the interpreter opened on db.
using ProcedureFn = Answer (*)(Db& db, const Args& args);

// Takes a procedure's rows one at a time as it reads them, so that a long answer is
// never held whole. Row may raise to stop the procedure (the answer cannot be taken).
class RowSink {
 public:
  virtual ~RowSink() = default;
  virtual void Row(const std::vector<std::string>& fields) = 0;
};

// A procedure whose answer can be handed over row by row; its ProcedureFn answers
// the same rows at once.
using StreamFn = void (*)(Db& db, const Args& args, RowSink& rows);

// Whether a procedure may change the database. A reader runs in a plain read
// transaction, so readers never queue behind one another; a writer takes the write
// lock before it starts, so it never fails half-way while upgrading a read lock.
enum class Access { Writes, Reads };

struct ProcedureSpec {
  const char* name;       // exact command name, e.g. "MN_GetPropOfUser"
  const char* signature;  // one letter per argument: 't' text, 'i' integer
  ProcedureFn run;
  Access access;  // a reader must leave the database as it found it
  // One letter per argument naming the ids a signed-in login must hold: 'c' the
  // corporation the command works on, 'o' the operator acting in it; and the record
  // a writer checks and then changes: 'k' a customer id, 'p' a payee id (writers of
  // one record queue behind each other, a writer without one behind the other writers
  // of its corporation's such commands); '.' anything else (a user who is only the
  // subject of the command is no operator).
  const char* ids = nullptr;
  // Set for a procedure that may answer more rows than are to be held at once: a
  // caller that takes the answer in parts (an answer file) gets it row by row.
  StreamFn stream = nullptr;
};

// Every procedure of the server, looked up by exact name.
const ProcedureSpec* FindProcedure(const std::string& name);

// Every procedure, in name order.
std::span<const ProcedureSpec> AllProcedures();

// The plain select of the user report, recognised by its exact template: returns the
// corporation id it names, or false when the text is not that select.
bool MatchUserReportSelect(const std::string& utf8Sql, std::string& corpId);
Answer RunUserReport(Db& db, const std::string& corpId);

// Schema and demonstration data of a new database (run inside one transaction by the
// code that creates the database).
inline constexpr int kSchemaVersion = 6;
// The schema is the engine's own (one per engine, one version for both).
void CreateSchema(Db& db);
// Runs the schema steps an older bank lacks, up to kSchemaVersion (host/Schema.h).
void UpgradeSchema(Db& db, int from);
void SeedDemoData(Db& db);

}  // namespace host
