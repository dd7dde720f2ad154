// The shared engine: the bank on a PostgreSQL server, reached through libpq as a
// login of the bank. Readers run in a snapshot that never waits for writers; writers
// run serializable, so two workstations can never both pass a check and then write.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/Database.h"

struct pg_conn;
struct pg_result;

namespace host {

class PostgresStatement;

class PostgresDb : public Db {
 public:
  // Connects (within the connect timeout, 5 seconds unless the connection string
  // says otherwise) and checks the bank's schema version; a bank without a schema is
  // created with setup when setup.schema is given. Throws std::runtime_error with a
  // clear text (EngineError of kind kLost, with ConnectFailureText, when no
  // connection could be made).
  PostgresDb(const std::string& conninfo, const DbSetup& setup);
  ~PostgresDb() override;
  PostgresDb(const PostgresDb&) = delete;
  PostgresDb& operator=(const PostgresDb&) = delete;

  pg_conn* handle() const { return conn_; }
  // The login this connection signed in as.
  const std::string& login() const { return login_; }

  Engine engine() const override { return Engine::kPostgres; }
  const std::string& name() const override { return name_; }
  bool created() const override { return created_; }
  const LoginScope* scope() const override { return scope_ ? &*scope_ : nullptr; }
  bool usable() const override { return !lost_; }
  Statement& Prepare(const char* sql) override;
  int ChangedRows() override { return changed_; }
  std::int64_t LastInsertId() override;
  void Begin(Access access, const std::vector<std::string>& records = {}) override;
  void ActFor(const std::string& login) override { actFor_ = login; }
  void Commit() override;
  void Rollback() noexcept override;
  bool InTransaction() const override { return inTransaction_; }
  void Savepoint(const char* name) override;
  void Release(const char* name) override;
  void RollbackTo(const char* name) noexcept override;
  void Exec(const char* sql) override;
  void ResetStatements() override {}

  // Raises the error a failed result stands for (EngineError for a lost
  // connection, a serialization failure or a lock wait cut short, ProcedureError
  // otherwise), and marks the connection lost when it is.
  [[noreturn]] void RaiseFailure(const void* result, const std::string& what);
  void NoteChanged(int rows) { changed_ = rows; }
  // Runs a prepared statement (preparing it first unless prepared), sending a
  // transaction's BEGIN that is still on hold in the same round trip; returns the
  // statement's result or raises its failure.
  pg_result* ExecPrepared(const std::string& name, const std::string& sql, bool& prepared,
                          int count, const unsigned int* types, const char* const* values);
  // Reads the answer of a reader's commit that was sent without waiting; a lost
  // connection found there marks the connection lost. Called before anything else
  // is sent.
  void Drain() noexcept;
  int NextStatementNumber() { return ++statementCount_; }

 private:
  // Whether the connection's role owns the bank (created it with tavro-bank init).
  bool OwnsBank();
  // Runs the schema steps an older bank lacks, once, as its owner.
  void Upgrade(const DbSetup& setup);
  // Leaves the writers' queues this connection holds.
  void LeaveQueues() noexcept;
  // Runs a command without parameters and returns its command tag.
  std::string Command(const char* sql);

  pg_conn* conn_ = nullptr;
  std::string name_;
  std::string login_;
  bool created_ = false;
  bool lost_ = false;
  bool inTransaction_ = false;
  bool readOnly_ = false;       // the open transaction is a reader's
  bool commitPending_ = false;  // a reader's commit is on its way
  std::string beginPending_;    // a BEGIN sent with the transaction's first statement
  std::string actFor_;          // the login the next transaction acts for
  std::string actingPending_;   // tavro.login to set with the pending BEGIN
  bool untouched_ = false;      // the transaction's first round trip has not come back
  bool queued_ = false;         // holds the writers' queue of some records
  int changed_ = 0;
  int statementCount_ = 0;
  std::optional<LoginScope> scope_;
  std::map<std::string, std::unique_ptr<PostgresStatement>, std::less<>> statements_;
};

// The connection string without a password, for messages.
std::string RedactConnectionString(const std::string& conninfo);

// Why a connection could not be made, the reason first and the server after it:
// `password authentication failed for user "x" (server 127.0.0.1:5432)` for a login
// or database the server refused, `cannot reach the bank server: REASON (server ...)`
// when no server answered. Never holds a password.
std::string ConnectFailureText(pg_conn* conn);

}  // namespace host
