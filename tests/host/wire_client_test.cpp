// The two entry points and tavro-bank against the real bank server on a fresh
// demonstration database and against banks missing or unusable; the workstation's
// side of the service protocol against a scripted transport.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "host/BankAdmin.h"
#include "host/ServiceExchange.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"

namespace {

struct Reply {
  int status = -1;
  std::string answer;
  std::string error;
};

Reply Command(const std::string& wire) {
  std::vector<char> result(65536, 'X');
  char error[128];
  std::memset(error, 'X', sizeof error);
  Reply reply;
  reply.status = qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                            static_cast<std::int32_t>(result.size() - 1), error, 2);
  reply.answer = result.data();
  if (reply.status != 0) {
    EXPECT_NE(std::memchr(error, '\0', sizeof error), nullptr);
    reply.error = error;
  }
  return reply;
}

std::string Main(const std::string& command) {
  return "A01\a" + sys::Utf8ToGbk(command);
}

mode_t ModeOf(const std::string& file) {
  struct stat info {};
  return stat(file.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

class WireClient : public ::testing::Test {
 protected:
  // The demonstration bank at the library's path, made as tavro-bank init makes it.
  void MakeBank() { host::InitBank({host::Engine::kSqlite, dir.File("bank.db")}, true, false); }
  hosttest::TempDir dir;
  tavro_test::ScopedEnv bank{"TAVRO_BANK_DB", dir.File("bank.db").c_str()};
};

TEST_F(WireClient, AnswersFromTheDemonstrationDatabaseAndBoundsItsErrors) {
  MakeBank();
  const std::string wire = Main("MN_GetCustomerList '0012','000001'");
  Reply customers = Command(wire);
  ASSERT_EQ(customers.status, 0) << customers.error;
  EXPECT_EQ(customers.answer.substr(0, 6), "C001\r\n");
  Reply bank = Command("A03\aST_GetBankSimple 1");
  ASSERT_EQ(bank.status, 0) << bank.error;
  EXPECT_EQ(bank.answer.substr(0, 2), "1\a");
  // The user report's select, the one select the bank serves.
  Reply report = Command(Main(
      "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' else "
      "'停用' end) Status,convert(char(10),CardDate,120) FromDate,convert(char(10),ExpiryDate,120) "
      "ExpiryDate,convert(char(10),CardDate,120) CardDate from tb_mn_login where CorpId='0020'"));
  ASSERT_EQ(report.status, 0) << report.error;
  EXPECT_EQ(sys::GbkToUtf8(report.answer.substr(0, report.answer.find("\r\n"))),
            "200001\a孙伟\aD\a启用\a2025-09-01\a2028-09-01\a2025-09-01");
  // The same rows through a file.
  const std::string file = dir.File("rows");
  const auto length = static_cast<std::int32_t>(wire.size());
  char error[128] = {};
  ASSERT_EQ(qelFileGet(0, wire.data(), length, file.c_str(), error, 2), 0) << error;
  EXPECT_EQ(tavro_test::ReadFile(file), customers.answer);
  Reply longName = Command(Main("MN_" + std::string(300, 'x')));
  EXPECT_EQ(longName.status, 1);
  EXPECT_EQ(longName.error.size(), 127u);
  EXPECT_EQ(longName.error.substr(0, 19), "unknown command MN_");
  EXPECT_EQ(qelCommand(0, nullptr, 5, nullptr, 0, error, 2), 1);
  EXPECT_STREQ(error, "no command");
  EXPECT_EQ(qelCommand(0, wire.data(), length, nullptr, 10, error, 2), 1);
  EXPECT_STREQ(error, "no result buffer");
}

// Only tavro-bank init makes a bank: a missing or empty one is refused with the command
// that makes it, nothing is created, and the bank serves once it is made.
TEST_F(WireClient, ABankThatIsMissingEmptyOrNoDatabaseIsRefusedUntilMade) {
  const std::string path = dir.File("bank.db");
  const std::string noBank = "no bank at " + path + "; create one with tavro-bank init --demo";
  // A path of 70 bytes: too long to be repeated within the 127 bytes of the error.
  ASSERT_LT(dir.File("").size(), 60u);
  const std::string folder = dir.File(std::string(62 - dir.File("").size(), 'x'));
  const std::string longPath = folder + "/bank.db";
  ASSERT_EQ(longPath.size(), 70u);
  const struct {
    std::string bank;
    std::string content;  // "-" for no file
    std::string error;
  } cases[] = {
      {path, "-", noBank + " " + path},
      {path, "", noBank + " " + path},
      {longPath, "-", "no bank at " + longPath + "; create one with tavro-bank init --demo"},
      {path, "plain text, " + std::string(1000, 'z'), path + " is not a database"},
  };
  for (const auto& c : cases) {
    std::remove(path.c_str());
    if (c.content != "-") {
      std::ofstream(c.bank) << c.content;
    }
    tavro_test::ScopedEnv bank("TAVRO_BANK_DB", c.bank.c_str());
    const Reply reply = Command(Main("MN_GetCurrencyCodeList"));
    EXPECT_EQ(reply.status, 4) << c.bank;
    EXPECT_EQ(reply.error, c.error);
    struct stat info {};
    const bool there = stat(c.bank.c_str(), &info) == 0;
    EXPECT_EQ(there, c.content != "-") << "the refusal made no file: " << c.bank;
    if (there) {
      EXPECT_EQ(info.st_size, static_cast<off_t>(c.content.size())) << "left as it was";
    }
  }
  EXPECT_EQ(ModeOf(folder), 0u) << "no folder was made on the way";
  std::remove(path.c_str());
  MakeBank();
  const Reply reply = Command(Main("MN_GetCurrencyCodeList"));
  EXPECT_EQ(reply.status, 0) << reply.error;
  EXPECT_FALSE(reply.answer.empty());
}

// Runs tavro-bank with the test's database; returns the exit status and the output.
int Tool(const std::string& args, std::string& out) {
  const std::string command = std::string(TAVRO_BANK_TOOL) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    return -1;
  }
  out.clear();
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, n);
  }
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Steps in order: exit status and output, whole or its beginning. A mistake names the
// program and the command, says what was wrong and where the usage is.
TEST_F(WireClient, ToolCreatesSendsImportsHelpsAndReplacesOnlyWhenForced) {
  const std::string path = dir.File("bank.db");
  const std::string other = dir.File("other.db");
  const std::string csv = dir.File("swift.csv");
  const std::string notes = dir.File("notes.txt");
  const std::string replaces = "` replaces it, and everything in it is lost\n";
  const struct {
    std::string args;
    int status;
    std::string out;
    bool whole = true;  // else the output's beginning
  } steps[] = {
      {"init --demo", 0, "created " + path + " with demonstration data\n"},
      {"init", 1, "tavro-bank: " + path + " exists already; `tavro-bank init --force" + replaces},
      {"exec \"MN_GetPropOfUser '000001'\"", 0, "000001 | 0012 | D | 王建国", false},
      {"exec \"MN_GetCorpName '0012\"", 1,
       "tavro-bank: MN_GetCorpName: argument 1: quoted text is not closed\n"},
      {"frobnicate", 1,
       "tavro-bank: unknown command \"frobnicate\"; the commands are init, exec, import-swift, "
       "login, serve, copy, upgrade, help\n(tavro-bank --help shows the usage)\n",
       false},
      {"", 1,
       "tavro-bank: a command is required: init, exec, import-swift, login, serve, copy, "
       "upgrade, help\n",
       false},
      {"exec", 1, "tavro-bank exec: COMMAND is required\n", false},
      {"exec --bogus", 1, "tavro-bank exec: unknown option --bogus\n", false},
      {"login frob", 1,
       "tavro-bank login: unknown command \"frob\"; the commands are add, remove, list, "
       "password\n",
       false},
      {"--version", 0, "tavro-bank " TAVRO_VERSION "\n"},
      {"init --demo " + other, 0, "created " + other + " with demonstration data\n"},
      {"init --demo " + other, 1,
       "tavro-bank: " + other + " exists already; `tavro-bank init --demo --force " + other +
           replaces},
      // The library's database, changed, is set up anew with --force.
      {"exec \"MN_CustomerDelete 'C003','0012'\"", 0, "1", false},
      {"exec \"MN_CustomerExists 'C003','0012'\"", 0, "0\n"},
      {"init --demo --force", 0, "replaced " + path + " with demonstration data\n"},
      {"exec \"MN_CustomerExists 'C003','0012'\"", 0, "1\n"},
      {"init --force " + notes, 1,
       "tavro-bank: " + notes + " is not a database; it was left alone\n"},
      {"import-swift " + csv, 0, "", false},
      {"exec \"MB_GetSwiftBankBySwfCode 'WIRETSTA'\"", 0, "WIRETSTAAXXX Wire Test Bank, Main",
       false},
  };
  { std::ofstream(notes) << "my notes"; }
  std::ofstream(csv) << "code,name,addr1,addr2,addr3,addr4,city\n"
                        "WIRETSTAXXX,\"Wire Test Bank, Main\",1 Quote Road,,,,TESTCITY\n";
  std::string out;
  for (const auto& step : steps) {
    EXPECT_EQ(Tool(step.args, out), step.status) << step.args << "\n" << out;
    EXPECT_EQ(step.whole ? out : out.substr(0, step.out.size()), step.out) << step.args;
  }
  EXPECT_EQ(tavro_test::ReadFile(notes), "my notes");
  EXPECT_EQ(ModeOf(path), 0600u);
  EXPECT_NE(Tool("import-swift " + dir.File("missing.csv"), out), 0);
  { std::ofstream(csv) << "WIRETSTAXXX,Wire Test Bank,,,,,TESTCITY\nWIRETSTBXXX,\xD2\xF8,,,,,X\n"; }
  EXPECT_EQ(Tool("import-swift " + csv, out), 1);
  EXPECT_EQ(out, "tavro-bank: " + csv + ": line 2: is not UTF-8 text\n");
  std::string page;
  for (const std::string verb : {"", "init", "exec", "import-swift"}) {
    EXPECT_EQ(Tool(verb.empty() ? "--help" : verb + " --help", out), 0) << verb;
    EXPECT_NE(out.find(verb.empty() ? "TAVRO_BANK_DB" : "tavro-bank " + verb), std::string::npos)
        << out;
    EXPECT_EQ(Tool("help " + verb, page), 0) << verb;
    EXPECT_EQ(page, out);
  }
}

// Commands of every shape: calls, a batch with each separator, the bank channel.
std::vector<std::string> Seeds() {
  const char* const utf8[] = {
      "A01\x07MN_GetPropOfUser '000001'",
      "A01\x07MN_UpdateCustomerRec 203,'C900','0012','测试客户','地址\x0E第二行','',"
      "'a@b.example','000001',1",
      "A01\x07set nocount on\r\nexec MN_UsageDelete '0012'\r\nexec MN_UsageInsert "
      "'0012','货款',1\x1e"
      "exec MN_UsageInsert '0012','O''Neil',2\n",
      "A01\x07MB_GetSwiftBankByAny '银行',''",
      "A03\x07ST_GetBankSimple 7",
  };
  std::vector<std::string> seeds;
  for (const char* s : utf8) {
    seeds.push_back(sys::Utf8ToGbk(s));
  }
  return seeds;
}

// Random damage, favouring the bytes that quoting, framing and GBK give a meaning to.
std::string Damage(std::string text, std::mt19937& random) {
  static const char kSpecial[] = {'\'', ',',    ' ',    '\r',   '\n',   '\x07', '\x0E', '\x1E',
                                  '\0', '\x81', '\xFE', '\x5C', '\x7F', '-',    '9'};
  std::uniform_int_distribution<int> kind(0, 5);
  const int rounds = 1 + static_cast<int>(random() % 3);
  for (int r = 0; r < rounds; ++r) {
    const std::size_t at = text.empty() ? 0 : random() % text.size();
    const char special = kSpecial[random() % sizeof kSpecial];
    const int how = kind(random);
    if (how == 2) {
      text.insert(at, 1, special);
    } else if (how == 3) {
      text.resize(at);
    } else if (how == 5) {
      text.insert(at, text.substr(at, random() % 16));
    } else if (!text.empty() && how == 4) {
      text.erase(at, 1 + random() % 8);
    } else if (!text.empty()) {
      text[at] = how == 0 ? static_cast<char>(random()) : special;
    }
  }
  return text;
}

// Damaged commands against the whole host: whatever arrives, it answers a known status,
// keeps its answer inside the buffer and a zero-terminated error inside its 128 bytes.
TEST_F(WireClient, TheHostAnswersEveryDamagedCommandWithinItsBuffers) {
  MakeBank();
  std::mt19937 random(61202026);
  const std::vector<std::string> seeds = Seeds();
  constexpr std::size_t kCapacity = 512;
  int succeeded = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string wire = Damage(seeds[random() % seeds.size()], random);
    // Guard bytes after the buffer and the error text show any overrun.
    std::vector<char> result(kCapacity + 1 + 16, 'G');
    std::vector<char> error(128 + 16, 'G');
    const std::int32_t status =
        qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                   static_cast<std::int32_t>(kCapacity), error.data(), 2);
    EXPECT_GE(status, 0) << wire;
    EXPECT_LE(status, 6) << wire;
    EXPECT_NE(std::memchr(result.data(), '\0', kCapacity + 1), nullptr) << wire;
    EXPECT_EQ(std::string(result.data() + kCapacity + 1, 16), std::string(16, 'G')) << wire;
    EXPECT_EQ(std::string(error.data() + 128, 16), std::string(16, 'G')) << wire;
    if (status == 0) {
      ++succeeded;
    } else {
      EXPECT_NE(std::memchr(error.data(), '\0', 128), nullptr) << wire;
      EXPECT_GT(std::strlen(error.data()), 0U) << wire;
    }
  }
  // Some damage leaves a command intact (a changed text, a cut number): those run.
  EXPECT_GT(succeeded, 0);
  // And the database still answers as before.
  const Reply after = Command(Main("MN_GetCorpName '0012'"));
  EXPECT_EQ(after.status, 0) << after.error;
}

// One reply the scripted service gives, in the order the requests come.
struct Scripted {
  bool complete;
  int status;
  std::string body;
  bool unsent = false;
};

class ScriptedTransport : public host::ServiceTransport {
 public:
  explicit ScriptedTransport(std::deque<Scripted> replies) : replies_(std::move(replies)) {}
  host::ServiceReply Post(const host::ServiceRequest& request,
                          const host::ServiceBodyReader& body) override {
    paths.push_back(request.path);
    if (replies_.empty()) {
      ADD_FAILURE() << "a request the script does not expect: " << request.path;
      return host::ServiceReply{false, 0, true, "no more replies"};
    }
    const Scripted next = replies_.front();
    replies_.pop_front();
    if (!next.body.empty()) {
      body(next.status, next.body);
    }
    return host::ServiceReply{next.complete, next.complete ? next.status : 0, next.unsent,
                              next.complete ? "" : "the connection was reset"};
  }
  void Random(std::span<unsigned char, 16> bytes) override { std::memset(bytes.data(), 7, 16); }
  std::vector<std::string> paths;

 private:
  std::deque<Scripted> replies_;
};

// A command's answer as the service frames it: one part, then the end with status 0.
const Scripted kAnswered{true, 200, "D00000005helloE000000000"};
const Scripted kToken{true, 200, std::string(64, 'a') + "\n"};
const Scripted kLost{false, 0, ""};
const Scripted kRefused{true, 401, "wrong login or password\n"};
const Scripted kNoService{false, 0, "", true};

TEST(ServiceExchange, ASignInWhoseAnswerIsLostIsSentAgainAndOnlyARefusalEndsTheCommand) {
  struct Case {
    const char* what;
    std::deque<Scripted> replies;
    int status;
    const char* says;  // in the error; empty when the command is answered
    std::vector<std::string> paths;
  } const cases[] = {
      {"sign-in answer lost once",
       {kLost, kToken, kAnswered},
       0,
       "",
       {"/v1/signin", "/v1/signin", "/v1/command"}},
      {"sign-in refused",
       {kRefused},
       4,
       "nothing of the command was stored: the bank service 127.0.0.1:4433 refused the "
       "sign-in of login ws12 (wrong login or password)",
       {"/v1/signin"}},
      {"service never reached",
       {kNoService, kNoService, kNoService},
       4,
       "nothing of the command was stored: cannot reach the bank service 127.0.0.1:4433",
       {"/v1/signin", "/v1/signin", "/v1/signin"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedTransport transport(c.replies);
    host::ServiceSession session;
    session.settings.where = "127.0.0.1:4433";
    session.settings.login = "ws12";
    session.password = "pw twelve";
    char result[64] = {};
    const host::Outcome outcome =
        host::CommandIntoBuffer(transport, session, "A01\x07MN_GetCorpName '0012'", result,
                                static_cast<std::int32_t>(sizeof result));
    EXPECT_EQ(static_cast<int>(outcome.status), c.status) << outcome.error;
    if (c.status == 0) {
      EXPECT_STREQ(result, "hello");
    } else {
      EXPECT_EQ(outcome.error.rfind(c.says, 0), 0u) << outcome.error;
    }
    EXPECT_EQ(transport.paths, c.paths);
  }
}

}  // namespace
