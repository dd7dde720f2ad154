// The two entry points and tavro-bank against the real bank server on a fresh
// demonstration database, and against banks that are missing or unusable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "host/BankAdmin.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"

namespace {

struct Reply {
  int status = -1;
  std::string answer;
  std::string error;
};

Reply Command(const std::string& wire, std::size_t bufferSize = 65536) {
  std::vector<char> result(bufferSize, 'X');
  char error[128];
  std::memset(error, 'X', sizeof error);
  Reply reply;
  reply.status = qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                            static_cast<std::int32_t>(bufferSize - 1), error, 2);
  reply.answer = result.data();
  if (reply.status != 0) {
    EXPECT_NE(std::memchr(error, '\0', sizeof error), nullptr);
    reply.error = error;
  }
  return reply;
}

std::string Main(const std::string& command) {
  return "A01\x07" + sys::Utf8ToGbk(command);
}

class WireClient : public ::testing::Test {
 protected:
  // The demonstration bank at the library's path, made as tavro-bank init makes it.
  void MakeBank() { host::InitBank({host::Engine::kSqlite, dir.File("bank.db")}, true, false); }

  hosttest::TempDir dir;
  tavro_test::ScopedEnv bank{"TAVRO_BANK_DB", dir.File("bank.db").c_str()};
};

TEST_F(WireClient, AnswersFromTheDemonstrationDatabase) {
  MakeBank();
  Reply customers = Command(Main("MN_GetCustomerList '0012','000001'"));
  ASSERT_EQ(customers.status, 0) << customers.error;
  EXPECT_EQ(customers.answer.substr(0, 6), "C001\r\n");

  Reply bank = Command("A03\x07ST_GetBankSimple 1");
  ASSERT_EQ(bank.status, 0) << bank.error;
  EXPECT_EQ(bank.answer.substr(0, 2), "1\x07");

  // The user report's select, the one select the bank serves.
  Reply report = Command(Main(
      "select UserId,UserName,UserRight,(case status when 2 then '启用' when 9 then '待激活' else "
      "'停用' end) Status,convert(char(10),CardDate,120) FromDate,convert(char(10),ExpiryDate,120) "
      "ExpiryDate,convert(char(10),CardDate,120) CardDate from tb_mn_login where CorpId='0020'"));
  ASSERT_EQ(report.status, 0) << report.error;
  EXPECT_EQ(sys::GbkToUtf8(report.answer.substr(0, report.answer.find("\r\n"))),
            "200001\x07孙伟\x07"
            "D\x07启用\x07"
            "2025-09-01\x07"
            "2028-09-01\x07"
            "2025-09-01");

  // The same rows through a file.
  std::string file = dir.File("rows");
  std::string wire = Main("MN_GetCustomerList '0012','000001'");
  char error[128] = {};
  ASSERT_EQ(
      qelFileGet(0, wire.data(), static_cast<std::int32_t>(wire.size()), file.c_str(), error, 2), 0)
      << error;
  EXPECT_EQ(tavro_test::ReadFile(file), customers.answer);
  // A second call to the same name finds the file there and refuses.
  EXPECT_NE(
      qelFileGet(0, wire.data(), static_cast<std::int32_t>(wire.size()), file.c_str(), error, 2),
      0);
  EXPECT_STREQ(error, "the answer file exists already");
}

TEST_F(WireClient, ErrorsAreBoundedZeroTerminatedTexts) {
  MakeBank();
  Reply longName = Command(Main("MN_" + std::string(300, 'x')));
  EXPECT_EQ(longName.status, 1);
  EXPECT_EQ(longName.error.size(), 127u);
  EXPECT_EQ(longName.error.substr(0, 19), "unknown command MN_");

  char error[128];
  EXPECT_EQ(qelCommand(0, nullptr, 5, nullptr, 0, error, 2), 1);
  EXPECT_STREQ(error, "no command");
  std::string wire = Main("MN_GetCurrencyCodeList");
  EXPECT_EQ(
      qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), nullptr, 10, error, 2), 1);
  EXPECT_STREQ(error, "no result buffer");
}

// Only tavro-bank init makes a bank: a mistyped path must not become a new, empty
// bank. A missing or empty one is refused with the command that makes it, and
// nothing is created; each command tries again, so the bank serves once it is made.
TEST_F(WireClient, ABankThatIsMissingEmptyOrNoDatabaseIsRefusedUntilMade) {
  const std::string path = dir.File("bank.db");
  const std::string noBank = "no bank at " + path + "; create one with tavro-bank init --demo";
  // A path of 70 bytes: too long for the command to repeat it within the 127 bytes of
  // the error text, short enough for the text without it.
  ASSERT_LT(dir.File("").size(), 60u);
  const std::string folder = dir.File(std::string(62 - dir.File("").size(), 'x'));
  const std::string longPath = folder + "/bank.db";
  ASSERT_EQ(longPath.size(), 70u);
  struct Case {
    std::string bank;
    std::string content;  // "-" for no file
    std::string error;
  } cases[] = {
      {path, "-", noBank + " " + path},
      {path, "", noBank + " " + path},
      {longPath, "-", "no bank at " + longPath + "; create one with tavro-bank init --demo"},
      {path, "plain text, " + std::string(1000, 'z'), path + " is not a database"},
  };
  for (const Case& c : cases) {
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
  struct stat info {};
  EXPECT_NE(stat(folder.c_str(), &info), 0) << "no folder was made on the way";
  std::remove(path.c_str());
  MakeBank();
  const Reply reply = Command(Main("MN_GetCurrencyCodeList"));
  EXPECT_EQ(reply.status, 0) << reply.error;
  EXPECT_FALSE(reply.answer.empty());
}

// Runs tavro-bank with the test's database; returns the exit status and the output.
int Tool(const std::string& args, std::string& out) {
  std::string command = std::string(TAVRO_BANK_TOOL) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    return -1;
  }
  out.clear();
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    out.append(buffer, n);
  }
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(WireClient, ToolCreatesSendsAndImports) {
  std::string out;
  std::string path = dir.File("bank.db");
  EXPECT_EQ(Tool("init --demo", out), 0) << out;
  EXPECT_EQ(out, "created " + path + " with demonstration data\n");
  EXPECT_EQ(Tool("init", out), 1);
  EXPECT_EQ(out, "tavro-bank: " + path +
                     " exists already; `tavro-bank init --force` replaces it, and everything in "
                     "it is lost\n");

  EXPECT_EQ(Tool("exec \"MN_GetCustomerList '0012','000001'\"", out), 0) << out;
  EXPECT_EQ(out.substr(0, 5), "C001\n");
  EXPECT_EQ(Tool("exec \"MN_GetPropOfUser '000001'\"", out), 0) << out;
  EXPECT_EQ(out.substr(0, 29), "000001 | 0012 | D | 王建国");
  EXPECT_EQ(Tool("exec \"MN_GetCorpName '0012\"", out), 1);
  EXPECT_EQ(out, "tavro-bank: MN_GetCorpName: argument 1: quoted text is not closed\n");

  std::string csv = dir.File("swift.csv");
  {
    std::ofstream(csv) << "code,name,addr1,addr2,addr3,addr4,city\n"
                          "WIRETSTAXXX,\"Wire Test Bank, Main\",1 Quote Road,,,,TESTCITY\n";
  }
  EXPECT_EQ(Tool("import-swift " + csv, out), 0) << out;
  EXPECT_EQ(Tool("exec \"MB_GetSwiftBankBySwfCode 'WIRETSTA'\"", out), 0) << out;
  EXPECT_NE(out.find("Wire Test Bank, Main"), std::string::npos) << out;

  EXPECT_NE(Tool("import-swift " + dir.File("missing.csv"), out), 0);
  { std::ofstream(csv) << "WIRETSTAXXX,Wire Test Bank,,,,,TESTCITY\nWIRETSTBXXX,\xD2\xF8,,,,,X\n"; }
  EXPECT_EQ(Tool("import-swift " + csv, out), 1);
  EXPECT_EQ(out, "tavro-bank: " + csv + ": line 2: is not UTF-8 text\n");
}

TEST_F(WireClient, ToolHelpsAndReplacesADatabaseOnlyWhenForced) {
  std::string out;
  EXPECT_EQ(Tool("--help", out), 0) << out;
  EXPECT_NE(out.find("TAVRO_BANK_DB"), std::string::npos) << out;
  std::string page;
  EXPECT_EQ(Tool("help", page), 0) << page;
  EXPECT_EQ(page, out);
  for (const char* verb : {"init", "exec", "import-swift"}) {
    EXPECT_EQ(Tool(std::string(verb) + " --help", out), 0) << verb;
    EXPECT_NE(out.find(std::string("tavro-bank ") + verb), std::string::npos) << out;
    EXPECT_EQ(Tool(std::string("help ") + verb, page), 0) << verb;
    EXPECT_EQ(page, out);
  }
  EXPECT_EQ(Tool("--version", out), 0);
  EXPECT_EQ(out, "tavro-bank " TAVRO_VERSION "\n");

  // A mistake names the program and the command, says what was wrong and where the
  // usage is.
  const struct {
    const char* args;
    const char* said;
  } mistakes[] = {
      {"frobnicate",
       "tavro-bank: unknown command \"frobnicate\"; the commands are init, exec, import-swift, "
       "login, serve, copy, upgrade, help\n(tavro-bank --help shows the usage)\n"},
      {"",
       "tavro-bank: a command is required: init, exec, import-swift, login, serve, copy, "
       "upgrade, help\n"},
      {"exec", "tavro-bank exec: COMMAND is required\n"},
      {"exec --bogus", "tavro-bank exec: unknown option --bogus\n"},
      {"login frob",
       "tavro-bank login: unknown command \"frob\"; the commands are add, remove, list, "
       "password\n"},
  };
  for (const auto& m : mistakes) {
    EXPECT_EQ(Tool(m.args, out), 1) << m.args;
    EXPECT_EQ(out.rfind(m.said, 0), 0u) << m.args << "\n" << out;
  }

  // An existing file is refused, and the message says how to replace it.
  std::string path = dir.File("other.db");
  ASSERT_EQ(Tool("init --demo " + path, out), 0) << out;
  EXPECT_EQ(Tool("init --demo " + path, out), 1);
  EXPECT_EQ(out, "tavro-bank: " + path + " exists already; `tavro-bank init --demo --force " +
                     path + "` replaces it, and everything in it is lost\n");

  // The library's database, changed, is set up anew with --force.
  ASSERT_EQ(Tool("init --demo", out), 0) << out;
  ASSERT_EQ(Tool("exec \"MN_CustomerDelete 'C003','0012'\"", out), 0) << out;
  EXPECT_EQ(Tool("exec \"MN_CustomerExists 'C003','0012'\"", out), 0);
  EXPECT_EQ(out, "0\n");
  EXPECT_EQ(Tool("init --demo --force", out), 0) << out;
  EXPECT_EQ(out, "replaced " + dir.File("bank.db") + " with demonstration data\n");
  EXPECT_EQ(Tool("exec \"MN_CustomerExists 'C003','0012'\"", out), 0);
  EXPECT_EQ(out, "1\n");
  struct stat info {};
  ASSERT_EQ(stat(dir.File("bank.db").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // A file that is no database is never replaced.
  std::string notes = dir.File("notes.txt");
  { std::ofstream(notes) << "my notes"; }
  EXPECT_EQ(Tool("init --force " + notes, out), 1);
  EXPECT_EQ(out, "tavro-bank: " + notes + " is not a database; it was left alone\n");
  EXPECT_EQ(tavro_test::ReadFile(notes), "my notes");
}

}  // namespace
