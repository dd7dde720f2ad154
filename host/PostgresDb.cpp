// The shared engine through libpq: statements prepared once per connection with
// their '?' turned into PostgreSQL's numbered parameters, results read as text,
// snapshot readers and serializable writers, and failures sorted into SQL errors,
// serialization conflicts, lock waits cut short and lost connections.
#include "host/PostgresDb.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace host {
namespace {

// PostgreSQL's type number of bigint, given to integer parameters so that a large
// number is never read as a 32-bit one.
constexpr Oid kInt8Oid = 20;

// A bank server that does not answer the connection within this many seconds is
// reported as unreachable, unless the connection string names its own timeout.
constexpr const char* kConnectTimeoutSeconds = "5";

// The role the bank's service connects as (made by the schema).
constexpr const char* kServiceRole = "tavro_service";

// How long a writer waits for a row another workstation is changing before it
// answers busy, as the embedded bank waits for its write lock.
// Names the service login a transaction acts for (tavro.login, read by the bank's row
// security and operator stamp), sent right after its BEGIN.
constexpr const char* kActAs = "SELECT set_config('tavro.login', $1, true)";

// No statement runs longer than a minute, and a transaction left idle for as long is
// ended by the server (the service's role has the same limits of its own).
constexpr const char* kSessionSetup =
    "SET lock_timeout = '5s'; SET statement_timeout = '60s';"
    " SET idle_in_transaction_session_timeout = '60s'";

// The statement with each '?' outside quotes numbered as $1, $2, ...
std::string NumberParameters(const char* sql, int& count) {
  std::string out;
  count = 0;
  char quote = 0;
  for (const char* p = sql; *p != '\0'; ++p) {
    if (quote != 0) {
      if (*p == quote) {
        quote = 0;
      }
      out += *p;
    } else if (*p == '\'' || *p == '"') {
      quote = *p;
      out += *p;
    } else if (*p == '?') {
      out += '$' + std::to_string(++count);
    } else {
      out += *p;
    }
  }
  return out;
}

std::string ErrorField(const PGresult* result, int field) {
  const char* text = result != nullptr ? PQresultErrorField(result, field) : nullptr;
  return text != nullptr ? text : "";
}

// The server's notices (a role that is a member already, objects dropped with a
// schema) are no concern of the operator's.
void IgnoreNotice(void* /*unused*/, const char* /*message*/) {}

// libpq's messages end with a line break.
std::string Chomp(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

// The server a connection attempt went to, as libpq names it.
std::string ServerOf(const PGconn* conn) {
  const char* host = PQhost(conn);
  const char* port = PQport(conn);
  const std::string h = host != nullptr ? host : "";
  const std::string p = port != nullptr && *port != '\0' ? port : "5432";
  if (h.empty() || h[0] == '/' || h[0] == '@') {
    return "socket " + (h.empty() ? std::string("/var/run/postgresql") : h) + "/.s.PGSQL." + p;
  }
  return h + ":" + p;
}

// The seconds a connection attempt waits, as the connection string leaves them.
std::string ConnectTimeout(PGconn* conn) {
  std::string seconds;
  PQconninfoOption* options = PQconninfo(conn);
  for (PQconninfoOption* o = options; o != nullptr && o->keyword != nullptr; ++o) {
    if (std::strcmp(o->keyword, "connect_timeout") == 0 && o->val != nullptr) {
      seconds = o->val;
    }
  }
  PQconninfoFree(options);
  return seconds;
}

}  // namespace

std::string ConnectFailureText(pg_conn* conn) {
  if (conn == nullptr) {
    return "cannot reach the bank server: out of memory";
  }
  // libpq writes one line per attempt, "connection to server at ... failed: REASON",
  // followed by hint lines that start with a tab; a server's refusal carries its
  // severity. The server's word (a login or database refused) says more than a
  // socket's, and of the sockets' the last attempt's.
  const std::string message = PQerrorMessage(conn);
  std::string reason;
  bool fromServer = false;
  std::string::size_type start = 0;
  while (start < message.size()) {
    std::string::size_type end = message.find('\n', start);
    if (end == std::string::npos) {
      end = message.size();
    }
    std::string line = message.substr(start, end - start);
    start = end + 1;
    if (line.empty() || line[0] == '\t' || line[0] == ' ') {
      continue;
    }
    if (const auto lead = line.find(" failed: ");
        line.rfind("connection to server", 0) == 0 && lead != std::string::npos) {
      line.erase(0, lead + 9);
    }
    bool severe = false;
    for (const char* severity : {"FATAL:", "ERROR:"}) {
      if (line.rfind(severity, 0) == 0) {
        line.erase(0, std::strlen(severity));
        line.erase(0, line.find_first_not_of(' '));
        severe = true;
      }
    }
    if (!fromServer) {
      reason = Chomp(line);
      fromServer = severe;
    }
  }
  const std::string server = " (server " + ServerOf(conn) + ")";
  if (fromServer) {
    return reason + server;
  }
  if (reason == "fe_sendauth: no password supplied") {
    const char* user = PQuser(conn);
    return std::string("no password for login ") + (user != nullptr ? user : "") +
           ": neither PGPASSFILE nor the URL gives one" + server;
  }
  if (reason == "timeout expired") {
    const std::string seconds = ConnectTimeout(conn);
    reason = "no answer within " + (seconds.empty() ? std::string("the timeout") : seconds + " s");
  } else if (reason == "No such file or directory" && ServerOf(conn).rfind("socket ", 0) == 0) {
    reason = "no server listens on that socket";
  }
  return "cannot reach the bank server: " + reason + server;
}

// A prepared statement of a PostgreSQL connection. The parameter types are fixed by
// the first run (integers as bigint, texts and nulls left to the server to infer).
class PostgresStatement : public Statement {
 public:
  PostgresStatement(PostgresDb& db, const char* sql)
      : db_(db), name_("s" + std::to_string(db.NextStatementNumber())) {
    int count = 0;
    sql_ = NumberParameters(sql, count);
    values_.resize(static_cast<std::size_t>(count));
    types_.assign(static_cast<std::size_t>(count), 0);
  }
  ~PostgresStatement() override { PQclear(result_); }
  PostgresStatement(const PostgresStatement&) = delete;
  PostgresStatement& operator=(const PostgresStatement&) = delete;

  void Bind(int index, std::string_view text) override { Set(index, std::string(text), 0); }
  void Bind(int index, std::int64_t number) override {
    Set(index, std::to_string(number), kInt8Oid);
  }
  void BindNull(int index) override { Set(index, std::nullopt, 0); }

  bool Step() override {
    if (result_ == nullptr) {
      Run();
    }
    return ++row_ < PQntuples(result_);
  }
  int Columns() const override { return result_ != nullptr ? PQnfields(result_) : 0; }
  std::string ColumnName(int column) const override {
    const char* name = result_ != nullptr ? PQfname(result_, column) : nullptr;
    return name != nullptr ? name : "";
  }
  std::string Text(int column) const override {
    if (!Valid(column)) {
      return std::string();
    }
    return std::string(PQgetvalue(result_, row_, column),
                       static_cast<std::size_t>(PQgetlength(result_, row_, column)));
  }
  std::int64_t Int(int column) const override {
    if (!Valid(column)) {
      return 0;
    }
    const char* text = PQgetvalue(result_, row_, column);
    if (text[0] == 't' || text[0] == 'f') {  // a boolean
      return text[0] == 't' ? 1 : 0;
    }
    return std::strtoll(text, nullptr, 10);
  }
  bool IsNull(int column) const override {
    return !Valid(column) || PQgetisnull(result_, row_, column) != 0;
  }
  void Reset() override {
    PQclear(result_);
    result_ = nullptr;
    row_ = -1;
    for (auto& value : values_) {
      value.reset();
    }
  }

 private:
  void Set(int index, std::optional<std::string> value, Oid type) {
    if (index < 1 || static_cast<std::size_t>(index) > values_.size()) {
      throw ProcedureError("SQL error: parameter " + std::to_string(index) + " of " +
                           std::to_string(values_.size()) + " bound");
    }
    values_[static_cast<std::size_t>(index - 1)] = std::move(value);
    if (!prepared_) {
      types_[static_cast<std::size_t>(index - 1)] = type;
    }
  }

  bool Valid(int column) const {
    return result_ != nullptr && row_ >= 0 && row_ < PQntuples(result_) && column >= 0 &&
           column < PQnfields(result_);
  }

  void Run() {
    db_.Drain();
    const int count = static_cast<int>(values_.size());
    std::vector<const char*> values;
    values.reserve(values_.size());
    for (const auto& value : values_) {
      values.push_back(value ? value->c_str() : nullptr);
    }
    PGresult* result =
        db_.ExecPrepared(name_, sql_, prepared_, count, types_.data(), values.data());
    result_ = result;
    row_ = -1;
    if (PQresultStatus(result) == PGRES_COMMAND_OK) {
      db_.NoteChanged(std::atoi(PQcmdTuples(result)));
    }
  }

  PostgresDb& db_;
  std::string name_;
  std::string sql_;
  bool prepared_ = false;
  std::vector<std::optional<std::string>> values_;
  std::vector<Oid> types_;
  PGresult* result_ = nullptr;
  int row_ = -1;
};

std::string RedactConnectionString(const std::string& conninfo) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
  if (options == nullptr) {
    PQfreemem(error);
    return "(a connection string that libpq cannot read)";
  }
  std::string out;
  for (PQconninfoOption* o = options; o->keyword != nullptr; ++o) {
    if (o->val == nullptr || *o->val == '\0' || std::strcmp(o->keyword, "password") == 0) {
      continue;
    }
    out += (out.empty() ? "" : " ") + std::string(o->keyword) + "=" + o->val;
  }
  PQconninfoFree(options);
  return out;
}

PostgresDb::PostgresDb(const std::string& conninfo, const DbSetup& setup)
    : name_(RedactConnectionString(conninfo)) {
  const char* keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
  const char* values[] = {kConnectTimeoutSeconds, "tavro", conninfo.c_str(), nullptr};
  conn_ = PQconnectdbParams(keys, values, 1);
  if (conn_ == nullptr || PQstatus(conn_) != CONNECTION_OK) {
    std::string why = ConnectFailureText(conn_);
    PQfinish(conn_);
    conn_ = nullptr;
    throw EngineError(EngineError::Kind::kLost, why);
  }
  PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
  try {
    if (PQsetClientEncoding(conn_, "UTF8") != 0) {
      throw std::runtime_error("the bank server cannot speak UTF-8");
    }
    Exec(kSessionSetup);
    {
      Statement& who = Prepare("SELECT session_user, to_regclass('schema_version') IS NOT NULL");
      who.Step();
      login_ = who.Text(0);
      const bool hasSchema = who.Int(1) != 0;
      who.Reset();
      if (!hasSchema) {
        if (setup.schema == nullptr) {
          throw std::runtime_error(
              "no bank in this database; an administrator creates one with `tavro-bank init "
              "URL` (" +
              name_ + ")");
        }
        // The first of two programs creating the same bank waits for the other.
        Begin(Access::Writes);
        try {
          Exec("SELECT pg_advisory_xact_lock(7261)");
          Statement& again = Prepare("SELECT to_regclass('schema_version') IS NOT NULL");
          again.Step();
          const bool made = again.Int(0) != 0;
          again.Reset();
          if (!made) {
            setup.schema(*this);
            if (setup.data != nullptr) {
              setup.data(*this);
            }
            Statement& version = Prepare("INSERT INTO schema_version(version) VALUES (?)");
            version.Bind(1, static_cast<std::int64_t>(setup.version));
            version.Step();
            version.Reset();
            created_ = true;
          }
          Commit();
        } catch (...) {
          Rollback();
          throw;
        }
      }
    }
    {
      Statement& version = Prepare("SELECT max(version) FROM schema_version");
      version.Step();
      const std::int64_t found = version.Int(0);
      version.Reset();
      if (found < setup.version && setup.upgrade != nullptr && OwnsBank()) {
        Upgrade(setup);
      } else if (found < setup.version) {
        throw std::runtime_error("the bank has schema version " + std::to_string(found) +
                                 ", this host knows version " + std::to_string(setup.version) +
                                 "; its administrator upgrades it with `tavro-bank upgrade "
                                 "URL` (" +
                                 name_ + ")");
      } else if (found != setup.version) {
        throw std::runtime_error("the bank has schema version " + std::to_string(found) +
                                 ", this host knows version " + std::to_string(setup.version) +
                                 " (" + name_ + ")");
      }
    }
    // The bank's owner (and a role that bypasses row security) acts for everybody: the
    // administrator's tools. The service's role acts for the login it names per
    // transaction, through the service's scope, and for nobody without one. No other
    // role opens the bank: a workstation signs in to the service.
    Statement& bypass = Prepare(
        "SELECT coalesce((SELECT rolsuper OR rolbypassrls FROM pg_roles"
        " WHERE rolname = session_user), false)");
    bypass.Step();
    const bool bypasses = bypass.Int(0) != 0;
    bypass.Reset();
    if (!bypasses && !OwnsBank()) {
      if (login_ != kServiceRole) {
        throw std::runtime_error("the role " + login_ +
                                 " neither owns the bank nor is its service's; a workstation "
                                 "signs in to the bank's service (TAVRO_BANK_URL=https://...) (" +
                                 name_ + ")");
      }
      scope_.emplace();
      scope_->login = login_;
    }
  } catch (...) {
    statements_.clear();
    PQfinish(conn_);
    conn_ = nullptr;
    throw;
  }
}

bool PostgresDb::OwnsBank() {
  Statement& owner = Prepare(
      "SELECT EXISTS (SELECT 1 FROM pg_tables WHERE schemaname = current_schema()"
      " AND tablename = 'schema_version' AND tableowner = session_user)");
  owner.Step();
  const bool owns = owner.Int(0) != 0;
  owner.Reset();
  return owns;
}

// Under the lock of the bank's creation, so that two owners' programs opening an older
// bank at once upgrade it once.
void PostgresDb::Upgrade(const DbSetup& setup) {
  Begin(Access::Writes);
  try {
    Exec("SELECT pg_advisory_xact_lock(7261)");
    Statement& again = Prepare("SELECT max(version) FROM schema_version");
    again.Step();
    const std::int64_t found = again.Int(0);
    again.Reset();
    if (found < setup.version) {
      setup.upgrade(*this, static_cast<int>(found));
      Statement& version = Prepare("INSERT INTO schema_version(version) VALUES (?)");
      version.Bind(1, static_cast<std::int64_t>(setup.version));
      version.Step();
      version.Reset();
    }
    Commit();
  } catch (...) {
    Rollback();
    throw;
  }
}

PostgresDb::~PostgresDb() {
  statements_.clear();
  PQfinish(conn_);
}

void PostgresDb::RaiseFailure(const void* resultPtr, const std::string& what) {
  auto* result = static_cast<PGresult*>(const_cast<void*>(resultPtr));
  const std::string state = ErrorField(result, PG_DIAG_SQLSTATE);
  std::string message = ErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  if (message.empty()) {
    message = Chomp(PQerrorMessage(conn_));
  }
  PQclear(result);
  const bool lost = PQstatus(conn_) != CONNECTION_OK || state.rfind("08", 0) == 0 ||
                    state == "57P01" || state == "57P02" || state == "57P03";
  if (lost) {
    lost_ = true;
    inTransaction_ = false;
    throw EngineError(EngineError::Kind::kLost,
                      "the connection to the bank server was lost (" + message +
                          "); nothing of the command was stored, the next command connects "
                          "again",
                      untouched_);
  }
  if (state == "40001" || state == "40P01") {
    throw EngineError(EngineError::Kind::kConflict, message);
  }
  if (state == "55P03" || state == "57014") {
    throw EngineError(EngineError::Kind::kBusy, message);
  }
  throw ProcedureError(what.empty() ? message : what + ": " + message);
}

void PostgresDb::Drain() noexcept {
  if (!commitPending_) {
    return;
  }
  commitPending_ = false;
  for (PGresult* result = PQgetResult(conn_); result != nullptr; result = PQgetResult(conn_)) {
    PQclear(result);
  }
  if (PQstatus(conn_) != CONNECTION_OK) {
    lost_ = true;
  }
}

PGresult* PostgresDb::ExecPrepared(const std::string& name, const std::string& sql, bool& prepared,
                                   int count, const unsigned int* types,
                                   const char* const* values) {
  if (lost_) {
    throw EngineError(EngineError::Kind::kLost, "the connection to the bank server was lost",
                      untouched_);
  }
  if (beginPending_.empty()) {
    if (!prepared) {
      PGresult* made = PQprepare(conn_, name.c_str(), sql.c_str(), count, types);
      if (PQresultStatus(made) != PGRES_COMMAND_OK) {
        RaiseFailure(made, "SQL error");
      }
      PQclear(made);
      prepared = true;
    }
    PGresult* result = PQexecPrepared(conn_, name.c_str(), count, values, nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
      RaiseFailure(result, "");
    }
    untouched_ = false;
    return result;
  }
  // The transaction's BEGIN, the statement's preparation and the statement go out
  // together: one round trip instead of two or three.
  const std::string begin = std::move(beginPending_);
  beginPending_.clear();
  bool sent = PQenterPipelineMode(conn_) == 1;
  const bool inPipeline = sent;
  sent = sent &&
         PQsendQueryParams(conn_, begin.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
  const std::string acting = std::move(actingPending_);
  actingPending_.clear();
  if (sent && !acting.empty()) {
    const char* login[] = {acting.c_str()};
    sent = PQsendQueryParams(conn_, kActAs, 1, nullptr, login, nullptr, nullptr, 0) == 1;
  }
  if (sent && !prepared) {
    sent = PQsendPrepare(conn_, name.c_str(), sql.c_str(), count, types) == 1;
  }
  sent = sent && PQsendQueryPrepared(conn_, name.c_str(), count, values, nullptr, nullptr, 0) == 1;
  sent = sent && PQpipelineSync(conn_) == 1;
  PGresult* answer = nullptr;
  PGresult* failure = nullptr;
  bool beginFailed = false;
  bool prepareFailed = false;
  const int first = acting.empty() ? 1 : 2;  // the statements before the preparation
  const int steps = first + (prepared ? 1 : 2);
  for (int step = 0; sent && step < steps; ++step) {
    PGresult* result = PQgetResult(conn_);
    if (result == nullptr) {
      sent = false;
      break;
    }
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok && failure == nullptr && status != PGRES_PIPELINE_ABORTED) {
      failure = result;
      beginFailed = step < first;
      prepareFailed = step == first && !prepared;
    } else if (ok && step == steps - 1) {
      answer = result;
    } else {
      PQclear(result);
    }
    PGresult* end = PQgetResult(conn_);  // the end of this step's results
    PQclear(end);
  }
  if (sent) {
    PQclear(PQgetResult(conn_));  // the pipeline's synchronisation point
  }
  if (inPipeline && PQexitPipelineMode(conn_) != 1) {
    sent = false;
  }
  if (!sent || (answer == nullptr && failure == nullptr)) {
    PQclear(answer);
    PQclear(failure);
    if (PQstatus(conn_) == CONNECTION_OK) {
      // A pipeline left half read cannot carry the next command.
      lost_ = true;
      inTransaction_ = false;
      throw EngineError(EngineError::Kind::kLost,
                        "the connection to the bank server failed; the next command connects "
                        "again",
                        untouched_);
    }
    RaiseFailure(nullptr, "");
  }
  untouched_ = false;
  if (failure != nullptr) {
    PQclear(answer);
    if (beginFailed) {
      inTransaction_ = false;
    }
    RaiseFailure(failure, prepareFailed ? "SQL error" : "");
  }
  if (!prepared) {
    prepared = true;
  }
  return answer;
}

std::string PostgresDb::Command(const char* sql) {
  Drain();
  if (!beginPending_.empty()) {
    // The transaction's BEGIN goes out with its first command.
    std::string both = beginPending_ + "; ";
    if (!actingPending_.empty()) {
      char* login = PQescapeLiteral(conn_, actingPending_.data(), actingPending_.size());
      if (login == nullptr) {
        RaiseFailure(nullptr, "");
      }
      both += std::string("SELECT set_config('tavro.login', ") + login + ", true); ";
      PQfreemem(login);
    }
    both += sql;
    beginPending_.clear();
    actingPending_.clear();
    return Command(both.c_str());
  }
  if (lost_) {
    throw EngineError(EngineError::Kind::kLost, "the connection to the bank server was lost",
                      untouched_);
  }
  PGresult* result = PQexec(conn_, sql);
  ExecStatusType status = PQresultStatus(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    RaiseFailure(result, "");
  }
  untouched_ = false;
  std::string tag = PQcmdStatus(result);
  PQclear(result);
  return tag;
}

Statement& PostgresDb::Prepare(const char* sql) {
  if (lost_) {
    throw EngineError(EngineError::Kind::kLost, "the connection to the bank server was lost",
                      untouched_);
  }
  auto found = statements_.find(std::string_view(sql));
  if (found != statements_.end()) {
    found->second->Reset();
    return *found->second;
  }
  auto made = std::make_unique<PostgresStatement>(*this, sql);
  PostgresStatement& out = *made;
  statements_.emplace(sql, std::move(made));
  return out;
}

std::int64_t PostgresDb::LastInsertId() {
  Statement& last = Prepare("SELECT lastval()");
  last.Step();
  const std::int64_t id = last.Int(0);
  last.Reset();
  return id;
}

// A reader works on one snapshot (repeatable read, read only: it never waits and is
// never refused for a conflict). A writer first queues behind the other writers of
// the records it checks and then changes (a session lock per record, taken in one
// order by every writer, so no two wait for each other), and only then starts its
// transaction, on a snapshot (repeatable read) that shows everything its predecessors
// committed: two workstations can never both pass a check. Serializable transactions
// would do the same without the queue, but on the bank's small tables their
// page-wide read locks make writers of different records fail each other most of
// the time; a conflict the queue does not cover is still refused by repeatable read
// and run again.
void PostgresDb::Begin(Access access, const std::vector<std::string>& records) {
  Drain();
  untouched_ = true;
  if (lost_) {
    throw EngineError(EngineError::Kind::kLost, "the connection to the bank server was lost", true);
  }
  readOnly_ = access == Access::Reads;
  // Row security and the operator stamp follow this login for the whole transaction
  // and no further: the setting is the transaction's own.
  actingPending_ = std::move(actFor_);
  actFor_.clear();
  if (access == Access::Writes && !records.empty()) {
    std::vector<std::string> keys(records);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    queued_ = true;
    try {
      for (const std::string& key : keys) {
        Statement& queue = Prepare("SELECT pg_advisory_lock(7262, hashtext(?))");
        queue.Bind(1, key);
        queue.Step();
        queue.Reset();
      }
    } catch (...) {
      LeaveQueues();
      throw;
    }
  }
  // Sent with the transaction's first statement; until its answer, a connection
  // found lost leaves the command untouched.
  untouched_ = true;
  beginPending_ = access == Access::Reads ? "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"
                                          : "BEGIN ISOLATION LEVEL REPEATABLE READ";
  inTransaction_ = true;
}

void PostgresDb::LeaveQueues() noexcept {
  Drain();
  if (queued_ && !lost_) {
    PQclear(PQexec(conn_, "SELECT pg_advisory_unlock_all()"));
  }
  queued_ = false;
}

void PostgresDb::Commit() {
  Drain();
  if (!beginPending_.empty()) {
    // Nothing ran: there is no transaction at the server to end.
    beginPending_.clear();
    actingPending_.clear();
    inTransaction_ = false;
    readOnly_ = false;
    LeaveQueues();
    return;
  }
  if (lost_) {
    throw EngineError(EngineError::Kind::kLost, "the connection to the bank server was lost");
  }
  // A reader has changed nothing and its answer is delivered: its commit only ends
  // the snapshot, so it is sent without waiting, and its answer is read before the
  // next command (a round trip less for every read).
  if (readOnly_ && !queued_) {
    inTransaction_ = false;
    readOnly_ = false;
    if (PQsendQuery(conn_, "COMMIT") == 0) {
      lost_ = PQstatus(conn_) != CONNECTION_OK;
      return;
    }
    commitPending_ = true;
    return;
  }
  // A writer leaves its queues in the same round trip; an error stops the second
  // statement, and the queues are then left below.
  const char* sql = queued_ ? "COMMIT; SELECT pg_advisory_unlock_all()" : "COMMIT";
  inTransaction_ = false;
  if (PQsendQuery(conn_, sql) == 0) {
    LeaveQueues();
    RaiseFailure(nullptr, "commit failed");
  }
  PGresult* commit = PQgetResult(conn_);
  for (PGresult* rest = PQgetResult(conn_); rest != nullptr; rest = PQgetResult(conn_)) {
    PQclear(rest);
  }
  if (PQresultStatus(commit) != PGRES_COMMAND_OK) {
    LeaveQueues();
    RaiseFailure(commit, "commit failed");
  }
  queued_ = false;
  const std::string tag = PQcmdStatus(commit);
  PQclear(commit);
  // A transaction that met an error commits as a rollback; that must not pass for
  // a success.
  if (tag != "COMMIT") {
    throw ProcedureError("the bank server undid the command (" + tag + ")");
  }
}

void PostgresDb::Rollback() noexcept {
  Drain();
  if (!beginPending_.empty()) {
    beginPending_.clear();
    actingPending_.clear();
    inTransaction_ = false;
  }
  readOnly_ = false;
  for (auto& entry : statements_) {
    entry.second->Reset();
  }
  if (inTransaction_ && !lost_) {
    PQclear(PQexec(conn_, "ROLLBACK"));
  }
  inTransaction_ = false;
  LeaveQueues();
}

void PostgresDb::Savepoint(const char* name) {
  Command((std::string("SAVEPOINT ") + name).c_str());
}

void PostgresDb::Release(const char* name) {
  Command((std::string("RELEASE SAVEPOINT ") + name).c_str());
}

void PostgresDb::RollbackTo(const char* name) noexcept {
  Drain();
  if (lost_) {
    return;
  }
  const std::string sql =
      std::string("ROLLBACK TO SAVEPOINT ") + name + "; RELEASE SAVEPOINT " + name;
  PQclear(PQexec(conn_, sql.c_str()));
}

void PostgresDb::Exec(const char* sql) {
  Command(sql);
}

}  // namespace host
