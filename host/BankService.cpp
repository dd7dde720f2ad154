// The HTTPS service over the bank: sign-in, sign-out and commands, each request on a
// connection of a small pool; the command's answer goes out in frames (D parts, one
// closing E with the wire status), so that a long answer streams through and a cut
// connection can be told from a finished answer.
#include "host/BankService.h"

#include <httplib.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "host/CommandParser.h"
#include "host/HostCall.h"
#include "host/Interpreter.h"
#include "host/ProcCommon.h"
#include "host/ScopedDb.h"
#include "host/ServiceLedger.h"
#include "host/ServiceLogins.h"
#include "host/SqlUtil.h"
#include "host/WireText.h"

namespace host {
namespace {

constexpr std::size_t kBodyMax = std::size_t{1} << 20;
constexpr int kInFlightMax = 8;
constexpr std::size_t kWorkersMin = 64;
constexpr int kFreeSignInFailures = 3;
constexpr std::int64_t kSignInPauseMaxSeconds = 300;
constexpr std::size_t kThrottleEntriesMax = 10000;

std::int64_t Now() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

// All of the pool's connections stayed busy for the whole wait: the request is
// refused before it has done anything.
struct PoolBusy : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Connections to the bank, one per request at a time, at most size open at once and
// kept open between requests, so that no burst of requests opens more connections than
// the bank's server allows. A request waits for a free one at most wait.
class Pool {
 public:
  Pool(BankLocation location, std::size_t size, std::chrono::milliseconds wait)
      : location_(std::move(location)), size_(size == 0 ? 1 : size), wait_(wait) {}
  std::unique_ptr<Db> Take() {
    std::unique_lock<std::mutex> guard(lock_);
    if (!freed_.wait_for(guard, wait_, [this] { return !idle_.empty() || open_ < size_; })) {
      throw PoolBusy("all " + std::to_string(size_) +
                     " connections to the bank stayed busy; nothing of the request was done, "
                     "send it again later");
    }
    if (!idle_.empty()) {
      std::unique_ptr<Db> db = std::move(idle_.back());
      idle_.pop_back();
      return db;
    }
    ++open_;
    guard.unlock();
    try {
      return OpenBank(location_);
    } catch (...) {
      Give(nullptr);
      throw;
    }
  }
  // Takes back a connection of Take (or none, for one that could not be opened); one
  // that is no longer usable is closed and frees its place.
  void Give(std::unique_ptr<Db> db) {
    std::unique_ptr<Db> closed;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (db && db->usable()) {
        idle_.push_back(std::move(db));
      } else {
        closed = std::move(db);
        --open_;
      }
    }
    freed_.notify_one();
  }
  // Counts in a connection opened before the pool served (the service's first).
  void Adopt(std::unique_ptr<Db> db) {
    std::lock_guard<std::mutex> guard(lock_);
    ++open_;
    idle_.push_back(std::move(db));
  }

 private:
  BankLocation location_;
  std::size_t size_;
  std::chrono::milliseconds wait_;
  std::mutex lock_;  // guards idle_ and open_
  std::condition_variable freed_;
  std::vector<std::unique_ptr<Db>> idle_;
  std::size_t open_ = 0;  // idle and taken
};

// A connection of the pool for one request.
class Lease {
 public:
  explicit Lease(Pool& pool) : pool_(pool), db_(pool.Take()) {}
  ~Lease() { pool_.Give(std::move(db_)); }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  Db& db() { return *db_; }

 private:
  Pool& pool_;
  std::unique_ptr<Db> db_;
};

std::string Hex8(std::size_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08zx", value);
  return text;
}

std::string PartFrame(std::string_view part) {
  return "D" + Hex8(part.size()) + std::string(part);
}

std::string EndFrame(Status status, const std::string& utf8Error) {
  char error[kErrorTextMax + 1] = {};
  if (status != Status::Ok) {
    WriteErrorText(utf8Error, error);
  }
  const std::string text(error);
  return "E" + std::to_string(static_cast<int>(status)) + Hex8(text.size()) + text;
}

// An id from the command for the access log: short and plain, else "?", so that no
// field value and nothing that could forge a log line gets in.
std::string LogId(const std::string& id) {
  if (id.empty()) {
    return "-";
  }
  if (id.size() > 24) {
    return "?";
  }
  for (const char c : id) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
          c == '-')) {
      return "?";
    }
  }
  return id;
}

// What the access log and the ledger need to know of a command before it runs.
struct CommandInfo {
  std::string proc = "-";
  std::string corp = "-";
  std::string op = "-";
  bool writes = false;
};

CommandInfo Describe(std::string_view command) {
  CommandInfo info;
  ParsedCommand parsed;
  std::string error;
  if (!ParseCommand(command, parsed, error)) {
    return info;
  }
  if (parsed.kind == CommandKind::Select) {
    info.proc = "select";
    return info;
  }
  for (std::size_t c = 0; c < parsed.calls.size(); ++c) {
    const Call& call = parsed.calls[c];
    const ProcedureSpec* proc = FindProcedure(call.name);
    if (proc == nullptr) {
      continue;
    }
    info.writes = info.writes || proc->access == Access::Writes;
    if (c != 0) {
      continue;
    }
    // A batch is named by its first statement's procedure and how many follow it.
    info.proc = proc->name;
    if (parsed.calls.size() > 1) {
      info.proc += "+" + std::to_string(parsed.calls.size() - 1);
    }
    const char* ids = proc->ids != nullptr ? proc->ids : "";
    for (std::size_t i = 0; ids[i] != '\0' && i < call.args.size(); ++i) {
      if (ids[i] == 'c' && info.corp == "-") {
        info.corp = LogId(Trim(call.args[i].text));
      } else if (ids[i] == 'o' && info.op == "-") {
        info.op = LogId(Trim(call.args[i].text));
      }
    }
  }
  return info;
}

// A request's command text, read once: its channel, the command and what it does, or
// why it cannot run. command points into body, so the record is never copied.
struct RequestText {
  explicit RequestText(std::string text) : body(std::move(text)) {
    std::string_view raw;
    readable = ReadCommandText(body.data(), static_cast<std::int32_t>(body.size()), raw, error) &&
               SplitChannel(raw, channel, command, error);
    if (readable) {
      info = Describe(command);
    }
  }
  RequestText(const RequestText&) = delete;
  RequestText& operator=(const RequestText&) = delete;

  const std::string body;
  bool readable = false;
  std::string error;
  Channel channel{};
  std::string_view command;
  CommandInfo info;  // the default's writes is false: an unreadable text writes nothing
};

// The procedures that find a record by its own key, without a corporation id the
// interpreter could check: the record's corporation is looked up first, and a login
// that does not hold it is refused as for a corporation id it does not hold.
struct KeyedRead {
  const char* proc;
  std::size_t arg;
  const char* corpsOfKey;  // the corporations the key's record belongs to
};
constexpr KeyedRead kKeyedReads[] = {
    {"MN_GetPropOfCustAc", 0, "SELECT corp_id FROM cust_account WHERE ac_id = ?"},
    {"MN_GetPropOfUser", 0, "SELECT corp_id FROM user_corp WHERE user_id = ?"},
    {"MN_GetUserCorpList", 1, "SELECT corp_id FROM user_corp WHERE user_id = ?"},
};

// Empty when the login holds the corporation of every record the command reads by
// its own key, else the refusal. A record that does not exist is left to the
// procedure, which says so.
std::string KeyedReadRefusal(Db& db, const LoginScope& scope, std::string_view command) {
  ParsedCommand parsed;
  std::string error;
  if (!ParseCommand(command, parsed, error)) {
    return {};
  }
  std::string refusal;
  db.Begin(Access::Reads);
  try {
    for (const Call& call : parsed.calls) {
      for (const KeyedRead& keyed : kKeyedReads) {
        if (call.name != keyed.proc || keyed.arg >= call.args.size()) {
          continue;
        }
        const Value& key = call.args[keyed.arg];
        Query q(db, keyed.corpsOfKey);
        if (key.isText) {
          q.Bind(Trim(key.text));
        } else {
          q.Bind(key.number);
        }
        bool held = false;
        std::string other;
        while (q.Next()) {
          held = held || scope.HoldsCorp(q.Text(0));
          other = q.Text(0);
        }
        if (!held && !other.empty() && refusal.empty()) {
          refusal = "login " + scope.login + " may not act for corporation " + other;
        }
      }
    }
  } catch (...) {
    db.Rollback();
    throw;
  }
  db.Commit();
  return refusal;
}

// Takes the command's answer: a read's answer into a file is handed to the client in
// parts as its rows are read; any other answer is held (a buffer's answer is bounded
// by the caller's capacity, a write's answer is small) until the command committed,
// and a write's answer is kept in the ledger before the commit.
class ServiceAnswer : public AnswerSink {
 public:
  ServiceAnswer(httplib::DataSink& out, bool streams, std::optional<std::size_t> capacity,
                const std::string& login, const std::string& requestId, const std::string& digest)
      : out_(out),
        streams_(streams),
        capacity_(capacity),
        login_(login),
        requestId_(requestId),
        digest_(digest) {}

  bool TakesParts() const override { return streams_; }
  Status Start(std::string& error) override {
    if (sent_) {
      error = "the answer was partly sent when the command had to run again; send it again";
      return Status::Busy;
    }
    held_.clear();
    return Status::Ok;
  }
  Status Take(std::string_view part, std::string& error) override {
    if (streams_) {
      sent_ = true;
      const std::string frame = PartFrame(part);
      if (!out_.write(frame.data(), frame.size())) {
        error = "the workstation went away";
        return Status::FileError;
      }
      return Status::Ok;
    }
    if (capacity_ && held_.size() + part.size() > *capacity_) {
      error = "the answer (" + std::to_string(held_.size() + part.size()) +
              " bytes) does not fit the buffer of " + std::to_string(*capacity_) + " bytes";
      return Status::NoRoom;
    }
    held_.append(part);
    return Status::Ok;
  }
  Status Settle(Db& db, Access access, std::string& /*error*/) override {
    if (access == Access::Writes) {
      KeepAnswer(db, login_, requestId_, LedgerEntry{0, held_, digest_}, Now());
    }
    return Status::Ok;
  }
  const std::string& held() const { return held_; }

 private:
  httplib::DataSink& out_;
  bool streams_;
  std::optional<std::size_t> capacity_;
  const std::string& login_;
  const std::string& requestId_;
  const std::string& digest_;
  std::string held_;
  bool sent_ = false;
};

bool GoodRequestId(const std::string& id) {
  if (id.size() < 16 || id.size() > 64) {
    return false;
  }
  for (const char c : id) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
          c == '-')) {
      return false;
    }
  }
  return true;
}

std::string BearerToken(const httplib::Request& req) {
  const std::string value = req.get_header_value("Authorization");
  constexpr std::string_view kBearer = "Bearer ";
  return value.rfind(kBearer, 0) == 0 ? value.substr(kBearer.size()) : std::string();
}

void Refuse(httplib::Response& res, int status, const std::string& text) {
  res.status = status;
  res.set_content(text + "\n", "text/plain");
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return when;
}

// A login name as anybody may send it, fit for one field of a log line: at most 64
// characters, anything but letters, digits and ._@- shown as '?', "-" for none.
std::string LoggedName(const std::string& login) {
  constexpr std::size_t kLoggedMax = 64;
  if (login.empty()) {
    return "-";
  }
  std::string shown = login.substr(0, kLoggedMax);
  for (char& c : shown) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                       c == '.' || c == '_' || c == '@' || c == '-';
    if (!plain) {
      c = '?';
    }
  }
  return shown;
}

}  // namespace

struct BankService::State {
  explicit State(const ServiceOptions& o)
      : options(o),
        pool(o.bank, o.connections, o.connectionWait),
        server(o.certFile.c_str(), o.keyFile.c_str()) {}

  ServiceOptions options;
  Pool pool;
  httplib::SSLServer server;
  int port = 0;
  std::string bankName;

  std::mutex lock;  // guards the two maps below
  std::map<std::string, int> inFlight;
  struct Failures {
    int count = 0;
    std::int64_t until = 0;
  };
  std::map<std::pair<std::string, std::string>, Failures> failures;

  bool SignInPaused(const std::pair<std::string, std::string>& key) {
    std::lock_guard<std::mutex> guard(lock);
    auto found = failures.find(key);
    return found != failures.end() && found->second.until > Now();
  }
  void SignInFailed(const std::pair<std::string, std::string>& key) {
    std::lock_guard<std::mutex> guard(lock);
    if (failures.size() >= kThrottleEntriesMax) {
      std::erase_if(failures, [](const auto& entry) { return entry.second.until <= Now(); });
    }
    Failures& f = failures[key];
    ++f.count;
    if (f.count >= kFreeSignInFailures) {
      const int shift = std::min(f.count - kFreeSignInFailures + 1, 9);
      f.until = Now() + std::min<std::int64_t>(std::int64_t{1} << shift, kSignInPauseMaxSeconds);
    }
  }
  void SignInSucceeded(const std::pair<std::string, std::string>& key) {
    std::lock_guard<std::mutex> guard(lock);
    failures.erase(key);
  }
  bool Enter(const std::string& login) {
    std::lock_guard<std::mutex> guard(lock);
    int& count = inFlight[login];
    if (count >= kInFlightMax) {
      return false;
    }
    ++count;
    return true;
  }
  void Leave(const std::string& login) {
    std::lock_guard<std::mutex> guard(lock);
    if (--inFlight[login] <= 0) {
      inFlight.erase(login);
    }
  }
  void Log(const std::string& login, const CommandInfo& info, Status status,
           std::chrono::steady_clock::time_point start) {
    if (options.accessLog == nullptr) {
      return;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    Write(UtcNow() + " login=" + login + " corp=" + info.corp + " operator=" + info.op +
          " proc=" + info.proc + " status=" + std::to_string(static_cast<int>(status)) +
          " ms=" + std::to_string(ms) + "\n");
  }
  // One line in one write: the log is often an unbuffered stderr, which would take a
  // system call per piece.
  void Write(const std::string& line) {
    std::lock_guard<std::mutex> guard(lock);
    options.accessLog->write(line.data(), static_cast<std::streamsize>(line.size()));
    options.accessLog->flush();
  }
  // A request refused before any command ran, in the same log, so that failed sign-ins
  // and refused sessions show: the login as sent (made harmless), the address, the HTTP
  // status and a word for why.
  void Refused(httplib::Response& res, const httplib::Request& req, const std::string& login,
               int status, const char* why, const std::string& text) {
    Refuse(res, status, text);
    if (options.accessLog == nullptr) {
      return;
    }
    Write(UtcNow() + " login=" + LoggedName(login) + " addr=" + req.remote_addr +
          " refused=" + std::to_string(status) + " why=" + why + "\n");
  }

  void SignIn(const httplib::Request& req, httplib::Response& res);
  void Command(const httplib::Request& req, httplib::Response& res);
  void SignOut(const httplib::Request& req, httplib::Response& res);
};

void BankService::State::SignIn(const httplib::Request& req, httplib::Response& res) {
  const std::size_t cut = req.body.find('\n');
  if (cut == std::string::npos) {
    return Refuse(res, 400, "the body is the login name, a line end and the password");
  }
  const std::string login = req.body.substr(0, cut);
  const std::pair<std::string, std::string> key{login, req.remote_addr};
  if (SignInPaused(key)) {
    return Refused(res, req, login, 429, "paused", "too many failed sign-ins; try again later");
  }
  Lease lease(pool);
  const std::optional<Session> session =
      host::SignIn(lease.db(), login, req.body.substr(cut + 1), Now());
  if (!session) {
    SignInFailed(key);
    return Refused(res, req, login, 401, "sign-in",
                   "sign-in refused: wrong login name or password");
  }
  SignInSucceeded(key);
  PruneLedger(lease.db(), Now());
  res.set_content(session->token + "\n" + std::to_string(session->expires) + "\n", "text/plain");
}

void BankService::State::SignOut(const httplib::Request& req, httplib::Response& res) {
  Lease lease(pool);
  if (!host::SignOut(lease.db(), BearerToken(req))) {
    return Refuse(res, 401, "no such session");
  }
  res.set_content("", "text/plain");
}

void BankService::State::Command(const httplib::Request& req, httplib::Response& res) {
  const auto start = std::chrono::steady_clock::now();
  const std::string requestId = req.get_header_value("Tavro-Request-Id");
  if (!GoodRequestId(requestId)) {
    return Refuse(res, 400, "Tavro-Request-Id must be 16 to 64 letters, digits, '-' or '_'");
  }
  std::optional<std::size_t> capacity;
  if (req.has_header("Tavro-Capacity")) {
    const std::string text = req.get_header_value("Tavro-Capacity");
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
      return Refuse(res, 400, "Tavro-Capacity must be a number of bytes");
    }
    capacity = static_cast<std::size_t>(std::stoull(text));
  }
  const std::string digest = CommandDigest(req.body);
  const auto request = std::make_shared<const RequestText>(req.body);
  // One connection for the whole request, taken before anything is done: a request
  // that finds none in time is refused whole (503).
  auto lease = std::make_shared<Lease>(pool);
  std::optional<LoginScope> scope;
  {
    scope = SessionScope(lease->db(), BearerToken(req), Now());
    if (!scope) {
      return Refused(res, req, "", 401, "session", "no session: sign in");
    }
    // A retry of a write that committed: the first answer, and nothing runs. Only a
    // write's answer is kept, so a read does not look for one.
    std::optional<LedgerEntry> kept;
    if (request->info.writes) {
      kept = FindAnswer(lease->db(), scope->login, requestId);
    }
    if (kept) {
      if (kept->command != digest) {
        return Refused(res, req, scope->login, 409, "request-id",
                       "request id " + requestId + " was used for another command");
      }
      CommandInfo replayed;
      replayed.proc = "answer-kept";
      Log(scope->login, replayed, Status::Ok, start);
      res.set_content(PartFrame(kept->answer) + EndFrame(static_cast<Status>(kept->status), {}),
                      "application/octet-stream");
      return;
    }
  }
  if (!Enter(scope->login)) {
    return Refused(res, req, scope->login, 429, "in-flight",
                   "too many commands of login " + scope->login + " at once");
  }
  const std::string login = scope->login;
  res.set_chunked_content_provider(
      "application/octet-stream",
      [this, lease, request, scope = std::move(*scope), requestId, digest, capacity, start](
          std::size_t /*offset*/, httplib::DataSink& out) mutable {
        Outcome outcome;
        CommandInfo info;
        std::string frames;
        try {
          if (!request->readable) {
            outcome.status = Status::Refused;
            outcome.error = request->error;
          } else {
            info = request->info;
            ScopedDb db(lease->db(), scope);
            ServiceAnswer answer(out, !capacity && !info.writes, capacity, scope.login, requestId,
                                 digest);
            const std::string refusal = KeyedReadRefusal(lease->db(), scope, request->command);
            if (!refusal.empty()) {
              outcome.status = Status::Failed;
              outcome.error = refusal;
            } else {
              outcome = RunCommand(db, BankServer(), request->channel, request->command, answer);
            }
            std::optional<LedgerEntry> kept;
            if (!outcome.ok() && info.writes) {
              // The same request committed meanwhile on another connection (a retry
              // that raced its first run): its answer, not a second run's failure.
              kept = FindAnswer(lease->db(), scope.login, requestId);
            }
            if (kept && kept->command != digest) {
              outcome.status = Status::Refused;
              outcome.error = "request id " + requestId + " was used for another command";
            } else if (kept) {
              outcome = Outcome{};
              frames = PartFrame(kept->answer);
            } else if (outcome.ok() && !answer.TakesParts()) {
              frames = PartFrame(answer.held());
            }
          }
        } catch (const std::exception& e) {
          outcome.status = Status::NoDatabase;
          outcome.error = e.what();
        }
        lease.reset();  // the connection is free before the last frame goes out
        frames += EndFrame(outcome.status, outcome.error);
        out.write(frames.data(), frames.size());
        out.done();
        Log(scope.login, info, outcome.status, start);
        return true;
      },
      [this, login](bool /*success*/) { Leave(login); });
}

BankService::BankService(const ServiceOptions& options) : state_(std::make_unique<State>(options)) {
  // A wrong bank is said at once, not at the first workstation's command.
  std::unique_ptr<Db> first = OpenBank(options.bank);
  state_->bankName = first->name();
  state_->pool.Adopt(std::move(first));
  httplib::SSLServer& server = state_->server;
  if (!server.is_valid()) {
    throw std::runtime_error("cannot use the certificate " + options.certFile + " and key " +
                             options.keyFile);
  }
  SSL_CTX_set_min_proto_version(server.ssl_context(), TLS1_2_VERSION);
  server.set_payload_max_length(kBodyMax);
  // The HTTP library refuses a request over the limit before any handler sees it, with
  // an empty answer: the workstation's operator is told why.
  server.set_error_handler(httplib::Server::HandlerWithResponse(
      [s = state_.get()](const httplib::Request& req, httplib::Response& res) {
        if (res.status != 413 || !res.body.empty()) {
          return httplib::Server::HandlerResponse::Unhandled;
        }
        s->Refused(res, req, "", 413, "size",
                   "the request is larger than the " + std::to_string(kBodyMax) +
                       " bytes the service takes; nothing of it was done");
        return httplib::Server::HandlerResponse::Handled;
      }));
  server.set_keep_alive_max_count(1000);
  // An idle workstation's connection is closed after 5 s (the client opens a new one);
  // a longer wait would also hold a stopping service up for as long.
  server.set_keep_alive_timeout(5);
  server.set_tcp_nodelay(true);
  // A worker serves one workstation's connection at a time, also while it idles kept
  // alive, and a command holds one while it runs: with the library's few workers, one
  // login's commands in flight took them all and every other login waited. Enough
  // workers for a full pool of connections, the idle ones and one login's limit more.
  const std::size_t workers = std::max<std::size_t>(
      kWorkersMin, 2 * state_->options.connections + static_cast<std::size_t>(kInFlightMax));
  server.new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
  State* state = state_.get();
  auto guarded = [](void (State::*handler)(const httplib::Request&, httplib::Response&), State* s) {
    return [handler, s](const httplib::Request& req, httplib::Response& res) {
      try {
        (s->*handler)(req, res);
      } catch (const std::exception& e) {
        s->Refused(res, req, "", 503, "unavailable",
                   std::string("the bank cannot serve: ") + e.what());
      }
    };
  };
  server.Post("/v1/signin", guarded(&State::SignIn, state));
  server.Post("/v1/command", guarded(&State::Command, state));
  server.Post("/v1/signout", guarded(&State::SignOut, state));
  if (options.port == 0) {
    state_->port = server.bind_to_any_port(options.host);
  } else if (server.bind_to_port(options.host, options.port)) {
    state_->port = options.port;
  }
  if (state_->port <= 0) {
    throw std::runtime_error("cannot listen on " + options.host + ":" +
                             std::to_string(options.port));
  }
}

BankService::~BankService() {
  Stop();
}

int BankService::port() const {
  return state_->port;
}

const std::string& BankService::bank() const {
  return state_->bankName;
}

bool BankService::Run() {
  return state_->server.listen_after_bind();
}

void BankService::Stop() {
  state_->server.stop();
}

}  // namespace host
