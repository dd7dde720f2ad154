// TavroClient.dll under Wine as a client of the Linux build's tavro-bank serve, which
// service_client_test.sh starts and describes in TAVRO_TEST_* variables (the service, its
// CA and login, password files, a wrong CA, a listener and a closed port). The library
// keeps one client per URL and reads its settings when it makes it, so each case names
// its service by a URL of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "host/BankAdmin.h"
#include "host/Database.h"
#include "tests/windows/WinTest.h"

namespace {

namespace fs = std::filesystem;
using wintest::Reply;
using wintest::SetVariable;

std::string Given(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void Service(const std::string& url, const std::string& ca, const std::string& password) {
  SetVariable("TAVRO_BANK_URL", url);
  SetVariable("TAVRO_SERVICE_LOGIN", Given("TAVRO_TEST_SERVICE_LOGIN"));
  SetVariable("TAVRO_SERVICE_PASSWORD_FILE", password);
  SetVariable("TAVRO_SERVICE_CA", ca);
}

void TheService() {
  Service(Given("TAVRO_TEST_SERVICE_URL"), Given("TAVRO_TEST_SERVICE_CA"),
          Given("TAVRO_TEST_PASSWORD_FILE"));
}

class ServiceClientWin32 : public ::testing::Test {
 protected:
  // Loaded once: the library keeps its clients for the life of the process.
  static void SetUpTestSuite() { host_.emplace(); }

  void SetUp() override {
    ASSERT_TRUE(host_->Loaded()) << "TavroClient.dll: " << sys::win32::LastErrorText();
    ASSERT_FALSE(Given("TAVRO_TEST_SERVICE_URL").empty())
        << "run by service_client_test.sh, which starts the service";
    root_ = wintest::FreshFolder("tavro-service");
    TheService();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  static inline std::optional<wintest::HostLibrary> host_;
  fs::path root_;
};

// Reads, a refused procedure and an answer file through the service answer as a
// demonstration bank of the workstation's own does, byte for byte.
TEST_F(ServiceClientWin32, CommandsAnswerAsTheEmbeddedBank) {
  const std::string bank = sys::win32::Narrow((root_ / L"bank.db").wstring());
  host::InitBank({host::Engine::kSqlite, bank}, true, false);
  const char* commands[] = {"MN_GetCustomerList '0012','000001'", "MN_GetCorpName '0012'",
                            "MN_GetCurrencyCodeList", "MN_GetPropOfCustAc 'no-such-account'"};
  for (const char* command : commands) {
    SetVariable("TAVRO_BANK_URL", "");
    SetVariable("TAVRO_BANK_DB", bank);
    const Reply embedded = host_->Command(command);
    TheService();
    const Reply served = host_->Command(command);
    EXPECT_EQ(served.status, embedded.status) << command << ": " << served.error;
    EXPECT_EQ(served.answer, embedded.answer) << command;
    EXPECT_EQ(served.error, embedded.error) << command;
  }
  EXPECT_EQ(host_->Command(commands[0]).answer.substr(0, 6), "C001\r\n");

  SetVariable("TAVRO_BANK_URL", "");
  const Reply embedded = host_->FileGet(commands[0], root_ / L"embedded.txt");
  TheService();
  const Reply served = host_->FileGet(commands[0], root_ / L"\u5ba2\u6237.txt");  // 客户.txt
  ASSERT_EQ(served.status, 0) << served.error;
  ASSERT_EQ(embedded.status, 0) << embedded.error;
  EXPECT_EQ(served.answer, embedded.answer);
  EXPECT_FALSE(served.answer.empty());
}

// Each fails the command before anything of it reaches a service, and says so; a
// password others may read is refused too, and the answer file is not made.
TEST_F(ServiceClientWin32, ServicesThatCannotBeTrustedOrReachedStoreNothing) {
  struct Case {
    std::string url;
    std::string ca;
    std::string password;
    const char* says;
    bool stored;  // the refusal says that nothing was stored
  } cases[] = {
      {Given("TAVRO_TEST_LISTENER_URL"), Given("TAVRO_TEST_WRONG_CA"),
       Given("TAVRO_TEST_PASSWORD_FILE"), "not signed by TAVRO_SERVICE_CA", true},
      // The system's roots, which do not hold the bank's CA.
      {Given("TAVRO_TEST_LISTENER_URL") + "system", "", Given("TAVRO_TEST_PASSWORD_FILE"),
       "certificate is not trusted", true},
      {Given("TAVRO_TEST_CLOSED_URL"), Given("TAVRO_TEST_SERVICE_CA"),
       Given("TAVRO_TEST_PASSWORD_FILE"), "cannot connect", true},
      {Given("TAVRO_TEST_SERVICE_URL") + "open", Given("TAVRO_TEST_SERVICE_CA"),
       Given("TAVRO_TEST_OPEN_PASSWORD_FILE"), "readable by you only", false},
  };
  for (const Case& c : cases) {
    Service(c.url, c.ca, c.password);
    const Reply reply = host_->Command("MN_GetCustomerList '0012','000001'");
    EXPECT_EQ(reply.status, 4) << c.says;
    EXPECT_EQ(reply.answer, "") << c.says;
    EXPECT_NE(reply.error.find(c.says), std::string::npos) << reply.error;
    if (c.stored) {
      EXPECT_EQ(reply.error.rfind("nothing of the command was stored: ", 0), 0u) << reply.error;
    }
  }
  const Reply file = host_->FileGet("MN_GetCorpName '0012'", root_ / L"corp.txt");
  EXPECT_EQ(file.status, 4);
  EXPECT_FALSE(fs::exists(root_ / L"corp.txt"));
}

}  // namespace
