// tavro-bank serve over a fresh demonstration bank (embedded or PostgreSQL), spoken to
// over HTTPS as a workstation does, and through the host library.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <thread>

#include "host/BankService.h"
#include "host/HostCall.h"
#include "host/ServiceLogins.h"
#include "host/SqliteDb.h"
#include "tests/host/LossyRelay.h"
#include "tests/host/Workstations.h"

namespace {

using hosttest::CallLibrary;
using hosttest::LibraryAnswer;

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

class ServiceTest : public hosttest::BankForService {
 protected:
  void SetUp() override {
    BankForService::SetUp();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    host::AddServiceLogin(*Open(), {"ws12", "0012", {"000001"}}, std::string("pw twelve"));
    host::AddServiceLogin(*Open(), {"ws20", "0020", {"200001"}}, std::string("pw twenty"));
    options_.bank = {bank_.engine, serviceBank_};
    options_.certFile = Cert();
    options_.keyFile = dir_.File("key.pem");
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

  // Sends a command (UTF-8) under a request id; without a capacity, a file's command.
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

  host::ServiceOptions options_;
  std::unique_ptr<host::BankService> service_;
  std::thread runner_;
};

// HTTPS only; three wrong passwords pause that login, not another; names of 1 to 64.
TEST_F(ServiceTest, SignInAnswersATokenOnlyForTheRightPasswordAndPausesGuesses) {
  httplib::Client plain("127.0.0.1", service_->port());
  plain.set_read_timeout(5);
  const auto unencrypted = plain.Post("/v1/signin", "ws12\npw twelve", "text/plain");
  EXPECT_TRUE(!unencrypted || unencrypted->status != 200);
  const std::string token = SignIn("ws12", "pw twelve");
  ASSERT_EQ(token.size(), 64u) << token;
  EXPECT_EQ(Command(token, "request-signin-0001", "MN_GetCorpName '0012'").status, 0);
  for (const auto& [login, password] :
       {std::pair{"nobody", "pw twelve"}, {"ws12", "pw twenty"}, {"ws12", ""}, {"ws12", "guess"}}) {
    EXPECT_EQ(SignIn(login, password), "401") << login << " / " << password;
  }
  EXPECT_EQ(SignIn("ws12", "pw twelve"), "429");
  EXPECT_EQ(SignIn("ws20", "pw twenty").size(), 64u);
  // Neither the tokens nor the passwords are kept in the bank.
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_session"), "2");
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_login WHERE login_name IN ('ws12', 'ws20')"
                   " AND password_hash LIKE '$argon2id$%'"),
            "2");
  host::AddServiceLogin(*Open(), {std::string(64, 'w'), "0012", {"000001"}}, std::string("pw"));
  EXPECT_THROW(
      host::AddServiceLogin(*Open(), {std::string(65, 'w'), "0012", {"000001"}}, std::string("pw")),
      std::runtime_error);
}

TEST_F(ServiceTest, OnlyALiveSessionsTokenRunsCommands) {
  const std::string live = SignIn("ws12", "pw twelve");
  std::string forged = live;
  forged[0] = forged[0] == 'a' ? 'b' : 'a';
  const std::string signedOut = SignIn("ws12", "pw twelve");
  ASSERT_EQ(Client()
                ->Post("/v1/signout", {{"Authorization", "Bearer " + signedOut}}, "", "text/plain")
                ->status,
            200);
  // Made last: a sign-in drops expired sessions.
  const std::string expired =
      host::SignIn(*Open(), "ws12", "pw twelve", std::time(nullptr) - host::kSessionSeconds - 1)
          ->token;
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

// With one connection, a request finding it taken past the wait is refused whole.
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

// Too large a request is refused with a text; an answer too large undoes the write.
TEST_F(ServiceTest, ARequestOrAnAnswerTooLargeStoresNothing) {
  const std::string token = SignIn("ws12", "pw twelve");
  const Reply reply = Command(
      token, "request-large-0001",
      "exec MN_UsageInsert '0012','000001','" + std::string(std::size_t{1} << 20, 'x') + "',9");
  EXPECT_EQ(reply.http, 413);
  EXPECT_NE(reply.body.find("larger than the 1048576 bytes the service takes"), std::string::npos)
      << reply.body;
  EXPECT_EQ(
      Command(token, "request-noroom-0001", "exec MN_UsageInsert '0012','000001','x',9", 1).status,
      5);
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE position = 9"), "0");
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_ledger"), "0");
}

// A login with the most commands in flight gets 429 for one more; another login's run.
TEST_F(ServiceTest, ALoginOverItsCommandsInFlightIsRefusedWhileOthersRun) {
  const std::string ws12 = SignIn("ws12", "pw twelve");
  const std::string ws20 = SignIn("ws20", "pw twenty");
  const std::unique_ptr<host::Db> holder = Open();  // holds the usage texts
  holder->Begin(host::Access::Writes, {});
  if (pg_) {
    holder->Exec("LOCK TABLE usage_text IN SHARE ROW EXCLUSIVE MODE");
  }
  constexpr int kInFlight = 8;
  std::vector<Reply> writes(kInFlight);
  std::vector<std::thread> writers;
  writers.reserve(kInFlight);
  for (int i = 0; i < kInFlight; ++i) {
    writers.emplace_back([&, i] {
      // A read below may hold the eighth place a moment: a refused write is sent again.
      const std::string n = std::to_string(i);
      std::string insert = "exec MN_UsageInsert '0012','000001','in flight " + n;
      insert.append("',4").append(n);
      Reply& write = writes[static_cast<std::size_t>(i)];
      while ((write = Command(ws12, "request-flight-w" + n + "0000", insert)).http == 429) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  // A read of the same login is served until the writes fill its places.
  bool refused = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  for (int n = 0; !refused && std::chrono::steady_clock::now() < deadline; ++n) {
    const Reply more =
        Command(ws12, "request-flight-r" + std::to_string(n) + "0000", "MN_GetCorpName '0012'");
    refused = more.http == 429;
    EXPECT_TRUE(refused || more.status == 0) << more.error;
  }
  const Reply other = Command(ws20, "request-flight-other", "MN_GetCorpName '0020'");
  holder->Rollback();
  for (std::thread& writer : writers) {
    writer.join();
  }
  EXPECT_TRUE(refused);
  EXPECT_EQ(other.status, 0) << other.error;
  for (const Reply& write : writes) {
    EXPECT_EQ(write.status, 0) << write.error;
  }
  EXPECT_EQ(Scalar("SELECT count(*) FROM usage_text WHERE usage LIKE 'in flight %'"),
            std::to_string(kInFlight));
  EXPECT_EQ(Scalar("SELECT count(*) FROM service_ledger"), std::to_string(kInFlight));
}

// A log line per command and refusal (the login made harmless), never a secret or value.
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
  std::istringstream in(text);
  for (std::string one; std::getline(in, one);) {
    lines.push_back(one);
  }
  const std::string at = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ login=)";
  const std::string ws12 = at + "ws12 corp=";
  const std::string expected[] = {
      at + R"(ws12\?forged\?1\?x addr=127\.0\.0\.1 refused=401 why=sign-in)",
      at + R"(- addr=127\.0\.0\.1 refused=401 why=session)",
      ws12 + R"(0012 operator=000001 proc=MN_UsageInsert status=0 ms=\d+)",
      ws12 + R"(0012 operator=000001 proc=MN_GetUsageList status=0 ms=\d+)",
      ws12 + R"(0020 operator=200001 proc=MN_UsageInsert status=2 ms=\d+)",
      ws12 + R"(- operator=- proc=answer-kept status=0 ms=\d+)",
  };
  ASSERT_EQ(lines.size(), std::size(expected)) << text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(std::regex_match(lines[i], std::regex(expected[i]))) << lines[i];
  }
  for (const std::string& secret : {std::string("pw wrong"), std::string("not-a-token"),
                                    std::string("Zebra"), std::string("pw twelve"), token}) {
    EXPECT_EQ(text.find(secret), std::string::npos) << secret;
  }
}

TEST_F(ServiceTest, ACommandForAnotherCorporationOrOperatorIsRefusedAndRunsNothing) {
  const std::string token = SignIn("ws12", "pw twelve");
  const std::string before = Scalar("SELECT count(*) FROM usage_text");
  const std::string account20 =
      Scalar("SELECT min(ac_id) FROM cust_account WHERE corp_id = '0020'");
  const std::string account12 =
      Scalar("SELECT min(ac_id) FROM cust_account WHERE corp_id = '0012'");
  // By key alone: PostgreSQL's row security hides the record; SQLite looks it up first.
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
      {"ST_GetBankSimple 1", false, 1 << 20},
      {"exec MN_UsageInsert '0012','000001','新用途',9", false, 1 << 20},
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

TEST_F(ServiceTest, TheHostLibrarySaysAWriteWhoseAnswersWereAllLostMayHaveBeenStored) {
  hosttest::LossyRelay relay(service_->port());
  const auto env = Library(relay.Url());
  ASSERT_EQ(CallLibrary("MN_GetCorpName '0012'").status, 0);  // signed in
  relay.cuts = 3;  // every try's answer lost (one lost answer: ServiceFaults)
  const LibraryAnswer lost = CallLibrary("exec MN_UsageInsert '0012','000001','never seen',8");
  EXPECT_EQ(lost.status, 4);
  EXPECT_NE(lost.error.find("may have been stored"), std::string::npos) << lost.error;
  EXPECT_EQ(relay.lost(), 3);
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
