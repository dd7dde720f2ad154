// tavro-bank serve over a fresh demonstration bank (embedded, or on the PostgreSQL test
// cluster), spoken to over HTTPS as a workstation does, and through the host library.
#include <gtest/gtest.h>
#include <httplib.h>

#include <sys/stat.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <regex>
#include <sstream>
#include <thread>

#include "host/BankService.h"
#include "host/HostCall.h"
#include "host/ServiceLogins.h"
#include "host/SqliteDb.h"
#include "host/TavroClient.h"
#include "tests/host/HostTestSupport.h"
#include "tests/host/LossyRelay.h"

namespace {

using hosttest::TempDir;

// A command's outcome as the frames carried it.
struct Reply {
  int http = 0;
  std::string body;    // as it came
  bool ended = false;  // the closing frame came
  int status = -1;
  std::string answer;  // the parts joined
  std::string error;
  int parts = 0;
};

// What qelCommand or qelFileGet answered: status, error text and answer (GBK).
struct LibraryAnswer {
  int status = -1;
  std::string error;
  std::string answer;
};

LibraryAnswer CallLibrary(const std::string& utf8, bool intoFile = false,
                          const std::string& file = "", std::int32_t capacity = 1 << 20) {
  const std::string gbk = tavro_test::Gbk(utf8);
  const std::string wire =
      std::string(gbk.rfind("ST_GetBankSimple", 0) == 0 ? "A03" : "A01") + '\x07' + gbk;
  const auto size = static_cast<std::int32_t>(wire.size());
  char error[128] = {};
  LibraryAnswer out;
  if (intoFile) {
    out.status = qelFileGet(0, wire.data(), size, file.c_str(), error, 0);
    out.answer = tavro_test::ReadFile(file);
    std::remove(file.c_str());
  } else {
    std::vector<char> result(static_cast<std::size_t>(capacity) + 1);
    out.status = qelCommand(0, wire.data(), size, result.data(), capacity, error, 0);
    out.answer = result.data();
  }
  out.error = error;
  return out;
}

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (hosttest::PostgresWanted()) {
      if (!hosttest::PostgresAvailable()) {
        GTEST_SKIP() << "no PostgreSQL test cluster";
      }
      pg_ = std::make_unique<hosttest::PgDatabase>();
      bank_ = {host::Engine::kPostgres, pg_->Url()};
    } else {
      host::SqliteDb db(bank_.where, host::BankSetup(true));
    }
    host::AddServiceLogin(*Open(), {"ws12", "0012", {"000001"}}, std::string("pw twelve"));
    host::AddServiceLogin(*Open(), {"ws20", "0020", {"200001"}}, std::string("pw twenty"));
    options_.bank = bank_;
    if (pg_) {
      options_.bank.where = pg_->Url("tavro_service");  // its own role, never the owner
    }
    options_.certFile = dir_.File("cert.pem");
    options_.keyFile = dir_.File("key.pem");
    const std::string openssl =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
        " -subj /CN=localhost -addext subjectAltName=IP:127.0.0.1 -keyout " +
        options_.keyFile + " -out " + options_.certFile + " 2>/dev/null";
    ASSERT_EQ(std::system(openssl.c_str()), 0);
    RestartService();
  }
  void TearDown() override { StopService(); }

  void StopService() {
    if (service_) {
      (void)Client()->Get("/");  // a stop before the service's loop runs would be lost
      service_->Stop();
      runner_.join();
      service_.reset();
    }
  }
  // Serves (again) with options_ as they are now.
  void RestartService() {
    StopService();
    service_ = std::make_unique<host::BankService>(options_);
    runner_ = std::thread([this] { service_->Run(); });
  }

  std::unique_ptr<host::Db> Open() const { return host::OpenBank(bank_); }
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(service_->port()) + "/"; }

  std::unique_ptr<httplib::SSLClient> Client() const {
    auto client = std::make_unique<httplib::SSLClient>("127.0.0.1", service_->port());
    client->set_ca_cert_path(options_.certFile.c_str());
    client->enable_server_certificate_verification(true);
    client->set_read_timeout(120);  // as the host library waits
    return client;
  }

  // The token of a sign-in, or the HTTP status as text when it was refused.
  std::string SignIn(const std::string& login, const std::string& password) const {
    auto result = Client()->Post("/v1/signin", login + "\n" + password, "text/plain");
    if (!result) {
      return "no answer";
    }
    return result->status != 200 ? std::to_string(result->status)
                                 : result->body.substr(0, result->body.find('\n'));
  }

  // Sends a command (UTF-8, sent as GBK) under a request id; a capacity makes it a
  // buffer's command, none a file's.
  Reply Command(const std::string& token, const std::string& requestId, const std::string& utf8,
                std::optional<std::size_t> capacity = 4096) const {
    httplib::Headers headers{{"Authorization", "Bearer " + token}, {"Tavro-Request-Id", requestId}};
    if (capacity) {
      headers.emplace("Tavro-Capacity", std::to_string(*capacity));
    }
    auto result =
        Client()->Post("/v1/command", headers, std::string("A01\x07") + tavro_test::Gbk(utf8),
                       "application/octet-stream");
    Reply reply;
    if (!result) {
      return reply;
    }
    reply.http = result->status;
    const std::string& body = reply.body = result->body;
    // Frames: D + 8 hex digits + bytes, then E + status digit + 8 hex digits + text.
    std::size_t at = 0;
    while (at + 9 <= body.size() && body[at] == 'D') {
      const std::size_t size = std::stoul(body.substr(at + 1, 8), nullptr, 16);
      reply.answer += body.substr(at + 9, size);
      ++reply.parts;
      at += 9 + size;
    }
    if (at + 10 <= body.size() && body[at] == 'E') {
      reply.status = body[at + 1] - '0';
      const std::size_t size = std::stoul(body.substr(at + 2, 8), nullptr, 16);
      reply.error = body.substr(at + 10, size);
      reply.ended = at + 10 + size == body.size();
    }
    return reply;
  }

  std::string Scalar(const char* sql) const { return hosttest::Scalar(*Open(), sql); }

  // The host library's settings for the service at url as ws12, whose password file
  // has mode; trusted: with the service's certificate.
  std::list<tavro_test::ScopedEnv> Library(const std::string& url, unsigned mode = 0600,
                                           bool trusted = true) const {
    const std::string password = dir_.File("password");
    tavro_test::WriteFile(password, "pw twelve\n");
    chmod(password.c_str(), mode);
    std::list<tavro_test::ScopedEnv> env;
    env.emplace_back("TAVRO_BANK_URL", url.c_str());
    env.emplace_back("TAVRO_SERVICE_LOGIN", "ws12");
    env.emplace_back("TAVRO_SERVICE_PASSWORD_FILE", password.c_str());
    env.emplace_back("TAVRO_SERVICE_CA", trusted ? options_.certFile.c_str() : nullptr);
    return env;
  }

  TempDir dir_;
  std::unique_ptr<hosttest::PgDatabase> pg_;
  host::BankLocation bank_{host::Engine::kSqlite, dir_.File("bank.db")};
  host::ServiceOptions options_;
  std::unique_ptr<host::BankService> service_;
  std::thread runner_;
};

TEST_F(ServiceTest, SignInAnswersATokenOnlyForTheRightPassword) {
  const struct {
    const char* login;
    const char* password;
    bool signedIn;
  } cases[] = {
      {"ws12", "pw twelve", true},
      {"ws12", "pw twenty", false},
      {"nobody", "pw twelve", false},
      {"ws12", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.login) + " / " + c.password);
    const std::string answer = SignIn(c.login, c.password);
    if (c.signedIn) {
      EXPECT_EQ(answer.size(), 64u) << answer;
      EXPECT_EQ(Command(answer, "request-signin-0001", "MN_GetCorpName '0012'").status, 0);
    } else {
      EXPECT_EQ(answer, "401");
    }
  }
  // Neither the token nor the password is kept in the bank.
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_session"), "1");
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_login WHERE login_name IN ('ws12', 'ws20')"
                   " AND password_hash LIKE '$argon2id$%'"),
            "2");
}

TEST_F(ServiceTest, FailedSignInsPauseTheLoginFromThatAddressOnly) {
  for (const char* guess : {"guess 1", "guess 2", "guess 3"}) {
    EXPECT_EQ(SignIn("ws12", guess), "401");
  }
  EXPECT_EQ(SignIn("ws12", "pw twelve"), "429");
  EXPECT_EQ(SignIn("ws20", "pw twenty").size(), 64u);
}

TEST_F(ServiceTest, OnlyALiveSessionsTokenRunsCommands) {
  const std::string expired =
      host::SignIn(*Open(), "ws12", "pw twelve", std::time(nullptr) - host::kSessionSeconds - 1)
          ->token;
  const std::string live = SignIn("ws12", "pw twelve");
  std::string forged = live;
  forged[0] = forged[0] == 'a' ? 'b' : 'a';
  const std::string signedOut = SignIn("ws12", "pw twelve");
  ASSERT_EQ(Client()
                ->Post("/v1/signout", {{"Authorization", "Bearer " + signedOut}}, "", "text/plain")
                ->status,
            200);
  const struct {
    const char* what;
    std::string token;
    int http;
  } cases[] = {
      {"live", live, 200}, {"forged", forged, 401},        {"expired", expired, 401},
      {"none", "", 401},   {"signed out", signedOut, 401},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Command(c.token, "request-token-00001", "MN_GetCorpName '0012'").http, c.http);
  }
}

// With one connection, a request finding it taken past the wait is refused whole (503,
// a clear text) while the one holding it is served; the connection then serves again.
TEST_F(ServiceTest, ARequestFindingNoFreeConnectionInTimeIsRefusedWhole) {
  ASSERT_EQ(SignIn("ws12", "pw twelve").size(), 64u);  // served before any stop
  if (pg_) {
    GTEST_SKIP() << "the slow request waits for the embedded bank's write lock";
  }
  options_.connections = 1;
  options_.connectionWait = std::chrono::milliseconds(300);
  RestartService();
  const std::string token = SignIn("ws12", "pw twelve");
  ASSERT_EQ(token.size(), 64u) << token;
  const std::unique_ptr<host::Db> holder = Open();
  holder->Begin(host::Access::Writes, {});
  Reply first;
  std::thread slow([&] {
    first = Command(token, "request-pool-0001",
                    "MN_UpdateCustomerRec 201,'K1','0012','甲','','','','000001',1");
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  const Reply refused = Command(token, "request-pool-0002",
                                "MN_UpdateCustomerRec 201,'K2','0012','乙','','','','000001',1");
  holder->Rollback();
  slow.join();
  EXPECT_EQ(refused.http, 503);
  EXPECT_NE(refused.body.find("connections to the bank stayed busy; nothing of the request "
                              "was done"),
            std::string::npos)
      << refused.body;
  EXPECT_EQ(first.status, 0) << first.error;
  EXPECT_EQ(Scalar("SELECT count(*) FROM customer WHERE cust_id IN ('K1', 'K2')"), "1");
  EXPECT_EQ(Command(token, "request-pool-0003", "MN_GetCorpName '0012'").status, 0);
}

TEST_F(ServiceTest, ARequestOverTheSizeLimitIsRefusedWithATextAndRunsNothing) {
  const Reply reply = Command(
      SignIn("ws12", "pw twelve"), "request-large-0001",
      "exec MN_UsageInsert '0012','000001','" + std::string(std::size_t{1} << 20, 'x') + "',9");
  EXPECT_EQ(reply.http, 413);
  EXPECT_NE(reply.body.find("larger than the 1048576 bytes the service takes"), std::string::npos)
      << reply.body;
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE position = 9"), "0");
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_ledger"), "0");
  // The refusal's own text only fills an empty answer: a 4xx of the service keeps its own.
  EXPECT_EQ(Command("", "request-large-0002", "MN_GetCorpName '0012'").http, 401);
}

// A login with the most commands in flight gets 429 for one more while another login's
// run; the waiting commands then all finish, each once.
TEST_F(ServiceTest, ALoginOverItsCommandsInFlightIsRefusedWhileOthersRun) {
  const std::string ws12 = SignIn("ws12", "pw twelve");
  const std::string ws20 = SignIn("ws20", "pw twenty");
  // The writes wait behind a write of the administrator's that holds the usage texts.
  const std::unique_ptr<host::Db> holder = Open();
  holder->Begin(host::Access::Writes, {});
  if (pg_) {
    holder->Exec("LOCK TABLE usage_text IN SHARE ROW EXCLUSIVE MODE");
  }
  constexpr int kInFlight = 8;
  std::atomic<int> finished{0};
  std::vector<Reply> writes(kInFlight);
  std::vector<std::thread> writers;
  writers.reserve(kInFlight);
  for (int i = 0; i < kInFlight; ++i) {
    writers.emplace_back([&, i] {
      // A read below may hold the eighth place for a moment: a refused write is sent
      // again, as a workstation would, until it waits in the service.
      const std::string n = std::to_string(i);
      const std::string id = "request-flight-w" + n + "0000";
      std::string insert = "exec MN_UsageInsert '0012','000001','in flight " + n;
      insert.append("',4").append(n);
      Reply& write = writes[static_cast<std::size_t>(i)];
      while ((write = Command(ws12, id, insert)).http == 429) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      ++finished;
    });
  }
  // A read of the same login is served until the writes fill its places.
  int refused = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  for (int n = 0; refused == 0 && std::chrono::steady_clock::now() < deadline; ++n) {
    const Reply more =
        Command(ws12, "request-flight-r" + std::to_string(n) + "0000", "MN_GetCorpName '0012'");
    if (more.http == 429) {
      ++refused;
    } else {
      EXPECT_EQ(more.status, 0) << more.error;
    }
  }
  const Reply other = Command(ws20, "request-flight-other", "MN_GetCorpName '0020'");
  const int finishedMeanwhile = finished;
  holder->Rollback();
  for (std::thread& writer : writers) {
    writer.join();
  }
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(other.status, 0) << other.error;
  EXPECT_EQ(finishedMeanwhile, 0);
  for (const Reply& write : writes) {
    EXPECT_EQ(write.status, 0) << write.error;
  }
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE usage LIKE 'in flight %'"),
            std::to_string(kInFlight));
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_ledger"), std::to_string(kInFlight));
}

// One access-log line per command (time, login, corporation, operator, procedure,
// status, duration) and per refused request (the login as sent, made harmless); never a
// password, a token nor a field's value.
TEST_F(ServiceTest, TheAccessLogHasALinePerCommandAndNoValue) {
  std::ostringstream log;
  options_.accessLog = &log;
  RestartService();
  EXPECT_EQ(SignIn("ws12 forged=1\rx", "pw wrong"), "401");
  EXPECT_EQ(Command("not-a-token", "request-log-000000", "MN_GetCorpName '0012'").http, 401);
  const std::string token = SignIn("ws12", "pw twelve");
  const struct {
    const char* id;
    const char* command;
    int status;
  } commands[] = {
      {"1", "exec MN_UsageInsert '0012','000001','Zebra-4711 用途',31", 0},
      {"2", "MN_GetUsageList '0012','000001'", 0},
      {"3", "exec MN_UsageInsert '0020','200001','Zebra-4711 other',32", 2},
      {"1", "exec MN_UsageInsert '0012','000001','Zebra-4711 用途',31", 0},
  };
  for (const auto& c : commands) {
    EXPECT_EQ(Command(token, std::string("request-log-00000") + c.id, c.command).status, c.status)
        << c.command;
  }
  StopService();
  const std::string text = log.str();
  std::vector<std::string> lines;
  std::vector<std::string> refusals;
  std::istringstream in(text);
  for (std::string one; std::getline(in, one);) {
    (one.find(" refused=") != std::string::npos ? refusals : lines).push_back(one);
  }
  ASSERT_EQ(refusals.size(), 2u) << text;
  EXPECT_TRUE(std::regex_match(
      refusals[0],
      std::regex(R"(\S+Z login=ws12\?forged\?1\?x addr=127\.0\.0\.1 refused=401 why=sign-in)")))
      << refusals[0];
  EXPECT_TRUE(std::regex_match(
      refusals[1], std::regex(R"(\S+Z login=- addr=127\.0\.0\.1 refused=401 why=session)")))
      << refusals[1];
  const std::regex line(
      R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ login=ws12 corp=(\S+) operator=(\S+) proc=(\S+) )"
      R"(status=(\d) ms=\d+)");
  const char* const expected[][4] = {
      {"0012", "000001", "MN_UsageInsert", "0"},
      {"0012", "000001", "MN_GetUsageList", "0"},
      {"0020", "200001", "MN_UsageInsert", "2"},
      {"-", "-", "answer-kept", "0"},
  };
  ASSERT_EQ(lines.size(), std::size(expected)) << text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(lines[i], parts, line));
    for (std::size_t field = 0; field < 4; ++field) {
      EXPECT_EQ(parts[field + 1].str(), expected[i][field]);
    }
  }
  for (const std::string& secret : {std::string("pw wrong"), std::string("not-a-token"),
                                    std::string("Zebra"), std::string("pw twelve"), token}) {
    EXPECT_EQ(text.find(secret), std::string::npos) << secret;
  }
}

TEST_F(ServiceTest, PlainHttpIsNotServed) {
  httplib::Client plain("127.0.0.1", service_->port());
  plain.set_read_timeout(5);
  auto result = plain.Post("/v1/signin", "ws12\npw twelve", "text/plain");
  EXPECT_TRUE(!result || result->status != 200);
}

TEST_F(ServiceTest, ACommandForAnotherCorporationOrOperatorIsRefusedAndRunsNothing) {
  const std::string token = SignIn("ws12", "pw twelve");
  const std::string before = Scalar("SELECT count(*) FROM usage_text");
  const std::string account20 =
      Scalar("SELECT min(ac_id) FROM cust_account WHERE corp_id = '0020'");
  const std::string account12 =
      Scalar("SELECT min(ac_id) FROM cust_account WHERE corp_id = '0012'");
  // Read by its own key alone: the service's role acting for the login does not even
  // see another corporation's record; a bank without roles looks it up first.
  const auto keyed = [this](const std::string& what) {
    return pg_ ? what + " does not exist" : "login ws12 may not act for corporation 0020";
  };
  const struct {
    std::string command;
    std::string error;  // empty: served
  } cases[] = {
      {"exec MN_UsageInsert '0020','200001','other corp',9",
       "login ws12 may not act for corporation 0020"},
      {"exec MN_UsageInsert '0012','000002','other operator',9",
       "login ws12 may not act as user 000002 of corporation 0012"},
      {"MN_GetCustomerList '0020','000001'", "login ws12 may not act for corporation 0020"},
      {"MN_GetPropOfCustAc " + account20, keyed("customer account " + account20)},
      {"MN_GetPropOfUser '200001'", keyed("user 200001")},
      {"MN_GetPropOfCustAc " + account12, ""},
      {"MN_GetPropOfUser '000002'", ""},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const Reply reply = Command(token, "request-refused-" + std::to_string(n++) + "000", c.command);
    EXPECT_EQ(reply.status, c.error.empty() ? 0 : 2);
    EXPECT_EQ(reply.error, c.error);
    EXPECT_EQ(reply.answer.empty(), !c.error.empty());
  }
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text"), before);
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_ledger"), "0");
}

TEST_F(ServiceTest, ARetryWithTheSameRequestIdGetsTheFirstAnswerAndWritesOnce) {
  const std::string token = SignIn("ws12", "pw twelve");
  const std::string write = "exec MN_UsageInsert '0012','000001','once only',9";
  const Reply first = Command(token, "request-retry-00001", write);
  ASSERT_EQ(first.status, 0) << first.error;
  EXPECT_EQ(first.answer, "1\r\n");
  // The answer was lost: the same request again, on a new session too.
  const Reply again = Command(SignIn("ws12", "pw twelve"), "request-retry-00001", write);
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.answer, first.answer);
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE usage = 'once only'"), "1");
  // The same id with another command is no retry: refused, nothing runs.
  EXPECT_EQ(
      Command(token, "request-retry-00001", "exec MN_UsageInsert '0012','000001','not a retry',8")
          .http,
      409);
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE usage = 'not a retry'"), "0");
  // Another request id runs it again, and the taken position refuses it.
  EXPECT_EQ(Command(token, "request-retry-00002", write).status, 2);
  // A request id is the login's own: another login's same id runs its own command.
  const Reply other = Command(SignIn("ws20", "pw twenty"), "request-retry-00001",
                              "exec MN_UsageInsert '0020','200001','theirs',9");
  EXPECT_EQ(other.status, 0) << other.error;
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE usage = 'theirs'"), "1");
}

TEST_F(ServiceTest, AFileAnswerStreamsInPartsAndEqualsTheEmbeddedBanksFile) {
  Open()->Exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
      " INSERT INTO customer(corp_id, cust_id, cust_name, name_addr, operator)"
      " SELECT '0012', 'C' || (10000 + i), '客户' || i, 'Road ' || i, '000001' FROM n;"
      " INSERT INTO cust_account(corp_id, cust_id, currency, ac_no, cny_bank, operator)"
      " SELECT corp_id, cust_id, 'CNY', '6222' || cust_id, '中国银行', operator FROM customer"
      " WHERE cust_id LIKE 'C1____'");
  const std::string file = dir_.File("export.txt");
  const std::string raw = std::string("A01\x07") + "MN_CustExport '0012',0";
  ASSERT_TRUE(host::CallIntoFile(*Open(), host::BankServer(), raw, file.c_str()).ok());
  const Reply reply = Command(SignIn("ws12", "pw twelve"), "request-export-0001",
                              "MN_CustExport '0012',0", std::nullopt);
  ASSERT_TRUE(reply.ended);
  EXPECT_EQ(reply.status, 0) << reply.error;
  EXPECT_GT(reply.parts, 1);
  EXPECT_EQ(reply.answer, tavro_test::ReadFile(file));
}

TEST_F(ServiceTest, ABufferTooSmallForTheAnswerUndoesTheWrite) {
  const Reply reply = Command(SignIn("ws12", "pw twelve"), "request-noroom-0001",
                              "exec MN_UsageInsert '0012','000001','no room',9", 1);
  EXPECT_EQ(reply.status, 5);
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE usage = 'no room'"), "0");
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_ledger"), "0");
}

TEST_F(ServiceTest, TheHostLibraryThroughTheServiceAnswersAsTheEmbeddedBank) {
  const std::string embedded = dir_.File("embedded.db");
  { host::SqliteDb db(embedded, host::BankSetup(true)); }
  const std::string file = dir_.File("answer.txt");
  const struct {
    const char* command;
    bool intoFile;
    std::int32_t capacity;
  } cases[] = {
      {"MN_GetCorpName '0012'", false, 1 << 20},
      {"MN_GetCustomerList '0012','000001'", false, 1 << 20},
      {"ST_GetBankSimple 1", false, 1 << 20},
      {"exec MN_UsageInsert '0012','000001','新用途',9", false, 1 << 20},
      {"MN_GetUsageList '0012','000001'", false, 1 << 20},
      {"MN_GetUsageList '0012','000001'", false, 8},
      {"exec MN_UsageInsert '0012','000001','again',9", false, 1 << 20},
      {"MN_NoSuchThing '0012'", false, 1 << 20},
      {"MN_CustExport '0012',1", true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    LibraryAnswer local;
    {
      tavro_test::ScopedEnv bank("TAVRO_BANK_DB", embedded.c_str());
      tavro_test::ScopedEnv noService("TAVRO_BANK_URL", nullptr);
      local = CallLibrary(c.command, c.intoFile, file, c.capacity);
    }
    const auto env = Library(Url());
    const LibraryAnswer remote = CallLibrary(c.command, c.intoFile, file, c.capacity);
    EXPECT_EQ(remote.status, local.status) << remote.error;
    EXPECT_EQ(remote.error, local.error);
    EXPECT_EQ(remote.answer, local.answer);
  }
}

TEST_F(ServiceTest, TheHostLibrarySendsACommandWhoseAnswerWasLostAgainAndItIsDoneOnce) {
  hosttest::LossyRelay relay(service_->port());
  const auto env = Library(relay.Url());
  ASSERT_EQ(CallLibrary("MN_GetCorpName '0012'").status, 0);
  relay.cuts = 1;
  const LibraryAnswer written = CallLibrary("exec MN_UsageInsert '0012','000001','lost answer',9");
  EXPECT_EQ(relay.lost(), 1);
  EXPECT_EQ(written.status, 0) << written.error;
  EXPECT_EQ(written.answer, "1\r\n");
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE usage = 'lost answer'"), "1");
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_ledger"), "1");
  // Every answer lost: the text says that the write may have been stored.
  relay.cuts = 3;
  const LibraryAnswer lost = CallLibrary("exec MN_UsageInsert '0012','000001','never seen',8");
  EXPECT_EQ(lost.status, 4);
  EXPECT_NE(lost.error.find("may have been stored"), std::string::npos) << lost.error;
  EXPECT_EQ(relay.lost(), 4);
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE usage = 'never seen'"), "1");
}

TEST_F(ServiceTest, TheHostLibraryRefusesAPasswordFileOthersCanReadAndAnUntrustedService) {
  const struct {
    unsigned mode;
    bool trusted;
    const char* says;
  } cases[] = {
      {0644, true, "readable by you only (chmod 600)"},
      {0600, false, "its certificate is not trusted"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const auto env = Library(Url(), c.mode, c.trusted);
    const LibraryAnswer answer = CallLibrary("MN_GetCorpName '0012'");
    EXPECT_EQ(answer.status, 4);
    EXPECT_NE(answer.error.find(c.says), std::string::npos) << answer.error;
  }
  // Neither sent the password: no sign-in reached the service, so none made a session.
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_session"), "0");
}

}  // namespace
