// TavroClient.dll as a client of the bank's service, loaded by name and called through
// its plain exports under Wine, against the Linux build's tavro-bank serve on 127.0.0.1
// that service_client_test.sh starts and describes in the environment:
//   TAVRO_TEST_SERVICE_URL       the service, signed by the CA in TAVRO_TEST_SERVICE_CA
//   TAVRO_TEST_SERVICE_LOGIN     a login of corporation 0012 as operator 000001
//   TAVRO_TEST_PASSWORD_FILE     its password file (mode 0600)
//   TAVRO_TEST_OPEN_PASSWORD_FILE  the same password in a file others may read
//   TAVRO_TEST_WRONG_CA          a CA that signed nothing of the service's
//   TAVRO_TEST_LISTENER_URL      a listener showing the service's certificate
//   TAVRO_TEST_CLOSED_URL        a port nothing listens on
// The library keeps one client per URL and reads its settings when it makes it, so each
// case names its service by a URL of its own (the path differs).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/BankAdmin.h"
#include "host/Database.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"
#include "sys/Win32Api.h"

namespace {

namespace fs = std::filesystem;
using sys::win32::Narrow;
using sys::win32::Widen;

using CommandCall = decltype(&qelCommand);
using FileGetCall = decltype(&qelFileGet);

struct Reply {
  int status = -1;
  std::string answer;
  std::string error;
};

std::string Given(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void SetVariable(const std::string& name, const std::string& value) {
  ASSERT_EQ(_wputenv_s(Widen(name).c_str(), Widen(value).c_str()), 0);
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ServiceClientWin32 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Loaded once: the library keeps its clients for the life of the process.
    library_ = ::LoadLibraryW(L"TavroClient.dll");
    if (library_ != nullptr) {
      command_ = reinterpret_cast<CommandCall>(
          reinterpret_cast<void*>(::GetProcAddress(library_, "qelCommand")));
      fileGet_ = reinterpret_cast<FileGetCall>(
          reinterpret_cast<void*>(::GetProcAddress(library_, "qelFileGet")));
    }
  }

  void SetUp() override {
    ASSERT_NE(command_, nullptr) << "TavroClient.dll: " << sys::win32::LastErrorText();
    ASSERT_NE(fileGet_, nullptr);
    ASSERT_FALSE(Given("TAVRO_TEST_SERVICE_URL").empty())
        << "run by service_client_test.sh, which starts the service";
    root_ = fs::temp_directory_path() /
            (L"tavro-service-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
             Widen(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    Service(Given("TAVRO_TEST_SERVICE_URL"), Given("TAVRO_TEST_SERVICE_CA"),
            Given("TAVRO_TEST_PASSWORD_FILE"));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  static void Service(const std::string& url, const std::string& ca, const std::string& password) {
    SetVariable("TAVRO_BANK_URL", url);
    SetVariable("TAVRO_SERVICE_LOGIN", Given("TAVRO_TEST_SERVICE_LOGIN"));
    SetVariable("TAVRO_SERVICE_PASSWORD_FILE", password);
    SetVariable("TAVRO_SERVICE_CA", ca);
  }

  static Reply Command(const std::string& command) {
    const std::string wire = "A01\x07" + sys::Utf8ToGbk(command);
    std::vector<char> result(65536, 'X');
    char error[128];
    std::memset(error, 'X', sizeof error);
    Reply reply;
    reply.status = command_(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                            static_cast<std::int32_t>(result.size() - 1), error, 2);
    reply.answer = result.data();
    if (reply.status != 0) {
      reply.error = std::string(error, strnlen(error, sizeof error));
    }
    return reply;
  }

  static Reply FileGet(const std::string& command, const fs::path& file) {
    const std::string wire = "A01\x07" + sys::Utf8ToGbk(command);
    const std::string name = Narrow(file.wstring());
    char error[128] = {};
    Reply reply;
    reply.status =
        fileGet_(0, wire.data(), static_cast<std::int32_t>(wire.size()), name.c_str(), error, 2);
    reply.answer = ReadAll(file);
    reply.error = error;
    return reply;
  }

  static inline HMODULE library_ = nullptr;
  static inline CommandCall command_ = nullptr;
  static inline FileGetCall fileGet_ = nullptr;
  fs::path root_;
};

// Reads, a refusal of the procedure and a file's answer through the service answer what
// a demonstration bank of the workstation's own answers, byte for byte.
TEST_F(ServiceClientWin32, CommandsAnswerAsTheEmbeddedBank) {
  const std::string bank = Narrow((root_ / L"bank.db").wstring());
  host::InitBank({host::Engine::kSqlite, bank}, true, false);
  const char* commands[] = {
      "MN_GetCustomerList '0012','000001'",
      "MN_GetCorpName '0012'",
      "MN_GetCurrencyCodeList",
      "MN_GetPropOfCustAc 'no-such-account'",
  };
  for (const char* command : commands) {
    SetVariable("TAVRO_BANK_URL", "");
    SetVariable("TAVRO_BANK_DB", bank);
    const Reply embedded = Command(command);
    Service(Given("TAVRO_TEST_SERVICE_URL"), Given("TAVRO_TEST_SERVICE_CA"),
            Given("TAVRO_TEST_PASSWORD_FILE"));
    const Reply served = Command(command);
    EXPECT_EQ(served.status, embedded.status) << command << ": " << served.error;
    EXPECT_EQ(served.answer, embedded.answer) << command;
    EXPECT_EQ(served.error, embedded.error) << command;
  }
  EXPECT_EQ(Command(commands[0]).answer.substr(0, 6), "C001\r\n");

  SetVariable("TAVRO_BANK_URL", "");
  const Reply embedded = FileGet(commands[0], root_ / L"embedded.txt");
  Service(Given("TAVRO_TEST_SERVICE_URL"), Given("TAVRO_TEST_SERVICE_CA"),
          Given("TAVRO_TEST_PASSWORD_FILE"));
  const Reply served = FileGet(commands[0], root_ / L"\u5ba2\u6237.txt");  // 客户.txt
  ASSERT_EQ(served.status, 0) << served.error;
  ASSERT_EQ(embedded.status, 0) << embedded.error;
  EXPECT_EQ(served.answer, embedded.answer);
  EXPECT_FALSE(served.answer.empty());
}

// Each fails the command before anything of it reaches a service, and says so.
TEST_F(ServiceClientWin32, ServicesThatCannotBeTrustedOrReachedStoreNothing) {
  const std::string nothing = "nothing of the command was stored: ";
  struct Case {
    const char* what;
    std::string url;
    std::string ca;
    std::string password;
    const char* says;
  } cases[] = {
      {"a CA that did not sign the service's certificate", Given("TAVRO_TEST_LISTENER_URL"),
       Given("TAVRO_TEST_WRONG_CA"), Given("TAVRO_TEST_PASSWORD_FILE"),
       "not signed by TAVRO_SERVICE_CA"},
      {"the system's roots, which do not hold the bank's CA",
       Given("TAVRO_TEST_LISTENER_URL") + "system", "", Given("TAVRO_TEST_PASSWORD_FILE"),
       "certificate is not trusted"},
      {"no service on the port", Given("TAVRO_TEST_CLOSED_URL"), Given("TAVRO_TEST_SERVICE_CA"),
       Given("TAVRO_TEST_PASSWORD_FILE"), "cannot connect"},
  };
  for (const Case& c : cases) {
    Service(c.url, c.ca, c.password);
    const Reply reply = Command("MN_GetCustomerList '0012','000001'");
    EXPECT_EQ(reply.status, 4) << c.what;
    EXPECT_EQ(reply.answer, "") << c.what;
    EXPECT_EQ(reply.error.rfind(nothing, 0), 0u) << c.what << ": " << reply.error;
    EXPECT_NE(reply.error.find(c.says), std::string::npos) << c.what << ": " << reply.error;
  }
}

// A password others may read is no password: refused before any connection, and the
// file the answer was to go to is not made.
TEST_F(ServiceClientWin32, APasswordFileOthersMayReadIsRefused) {
  Service(Given("TAVRO_TEST_SERVICE_URL") + "open", Given("TAVRO_TEST_SERVICE_CA"),
          Given("TAVRO_TEST_OPEN_PASSWORD_FILE"));
  const Reply reply = Command("MN_GetCorpName '0012'");
  EXPECT_EQ(reply.status, 4);
  EXPECT_NE(reply.error.find("readable by you only"), std::string::npos) << reply.error;
  const Reply file = FileGet("MN_GetCorpName '0012'", root_ / L"corp.txt");
  EXPECT_EQ(file.status, 4);
  EXPECT_FALSE(fs::exists(root_ / L"corp.txt"));
}

}  // namespace
