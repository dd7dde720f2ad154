// The two entry points and tavro-bank against the real bank server on a fresh
// demonstration database.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "HostTestSupport.h"
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
  hosttest::TempDir dir;
  tavro_test::ScopedEnv bank{"TAVRO_BANK_DB", dir.File("bank.db").c_str()};
};

TEST_F(WireClient, AnswersFromTheDemonstrationDatabase) {
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

TEST_F(WireClient, UnusableDatabaseIsReportedAndRetried) {
  std::string path = dir.File("bank.db");
  { std::ofstream(path) << "plain text, " << std::string(1000, 'z'); }
  Reply reply = Command(Main("MN_GetCurrencyCodeList"));
  EXPECT_EQ(reply.status, 4);
  EXPECT_EQ(reply.error, path + " is not a database");
  // Once the file is gone the next command creates the database.
  std::remove(path.c_str());
  reply = Command(Main("MN_GetCurrencyCodeList"));
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
  EXPECT_NE(Tool("frobnicate", out), 0);

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
  for (const char* verb : {"init", "exec", "import-swift"}) {
    EXPECT_EQ(Tool(std::string(verb) + " --help", out), 0) << verb;
    EXPECT_NE(out.find(std::string("tavro-bank ") + verb), std::string::npos) << out;
  }
  EXPECT_EQ(Tool("", out), 1);
  EXPECT_EQ(Tool("exec", out), 1);
  EXPECT_EQ(Tool("init --frobnicate", out), 1);

  // An existing file is refused, and the message says how to replace it.
  std::string path = dir.File("other.db");
  ASSERT_EQ(Tool("init --demo " + path, out), 0) << out;
  EXPECT_EQ(Tool("init --demo " + path, out), 1);
  EXPECT_EQ(out, "tavro-bank: " + path + " exists already; `tavro-bank init --demo --force " +
                     path + "` replaces it, and everything in it is lost\n");

  // The library's database, changed, is set up anew with --force.
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
