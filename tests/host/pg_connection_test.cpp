// The connection to a shared bank: a failed one says why first and is given up within
// the connect timeout; a server that went away fails the command in flight with the
// status of a bank out of reach, the next command connects again, and a connection
// dropped while idle is replaced unseen.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "Workstations.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"

namespace {

struct Told {
  int status = -1;
  std::string text;  // the answer, or the error text
};

Told Send(const std::string& command) {
  const std::string wire = "A01\x07" + sys::Utf8ToGbk(command);
  char result[4096];
  char error[128] = {};
  const int status = qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result,
                                static_cast<std::int32_t>(sizeof result - 1), error, 2);
  return {status, sys::GbkToUtf8(status == 0 ? result : error)};
}

// A port of 127.0.0.1 held by the test: listening (the kernel completes the connection
// and nobody says a word), or not (the connection is refused).
class HeldPort {
 public:
  explicit HeldPort(bool listening) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        (!listening || listen(fd_, 4) == 0) &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = std::to_string(ntohs(address.sin_port));
    }
  }
  ~HeldPort() { close(fd_); }
  HeldPort(const HeldPort&) = delete;
  HeldPort& operator=(const HeldPort&) = delete;
  std::string port;

 private:
  int fd_ = socket(AF_INET, SOCK_STREAM, 0);
};

// Why first, the server after: a login or database the server refused is not "cannot
// reach", and no text holds the password.
TEST(SharedBankConnection, AFailedConnectionSaysWhyFirstAndNeverThePassword) {
  const HeldPort silent(true);
  const HeldPort refusing(false);
  ASSERT_FALSE(silent.port.empty());
  ASSERT_FALSE(refusing.port.empty());
  const char* port = std::getenv("TAVRO_TEST_PG_PORT");
  const std::string cluster = port != nullptr ? port : "";
  const std::string server = "127.0.0.1:";
  const struct {
    bool needsCluster;
    bool waits;  // for the connect timeout
    std::string url;
    std::string text;
  } cases[] = {
      {true, false, "postgresql://tavro_admin:wrong-secret@" + server + cluster + "/tavro",
       "password authentication failed for user \"tavro_admin\" (server " + server + cluster + ")"},
      {true, false, "postgresql://tavro_admin@" + server + cluster + "/tavro_no_such_bank",
       "database \"tavro_no_such_bank\" does not exist (server " + server + cluster + ")"},
      {false, false, "postgresql://nobody:wrong-secret@" + server + refusing.port + "/tavro",
       "cannot reach the bank server: Connection refused (server " + server + refusing.port + ")"},
      {false, true, "postgresql://nobody:wrong-secret@" + server + silent.port + "/tavro",
       "cannot reach the bank server: no answer within 5 s (server " + server + silent.port + ")"},
  };
  for (const auto& c : cases) {
    if (c.needsCluster && !hosttest::PostgresAvailable()) {
      continue;
    }
    SCOPED_TRACE(c.url);
    tavro_test::ScopedEnv bank("TAVRO_BANK_URL", c.url.c_str());
    const auto start = std::chrono::steady_clock::now();
    const Told told = Send("MN_GetCorpName '0012'");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(told.status, 4);
    EXPECT_EQ(told.text, c.text);
    EXPECT_EQ(told.text.find("wrong-secret"), std::string::npos);
    EXPECT_LT(took, std::chrono::seconds(9));
    if (c.waits) {
      EXPECT_GE(took, std::chrono::seconds(4)) << "it did wait for the server";
    }
  }
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "the server's refusals need the PostgreSQL test cluster";
  }
}

TEST(SharedBankConnection, AfterTheServerWentAwayTheNextCommandConnectsAgain) {
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "no PostgreSQL test cluster";
  }
  hosttest::PrivateCluster cluster;
  ASSERT_TRUE(cluster.Start());
  tavro_test::ScopedEnv bank("TAVRO_BANK_URL", cluster.Url("tavro_admin").c_str());
  const std::string write = "MN_UpdateCustomerRec 201,'K1','0012','甲','','','','000001',1";
  EXPECT_EQ(Send("MN_GetCorpName '0012'").text, "演示贸易有限公司\r\n");
  // Restarted while the connection lay idle: the caller sees nothing of it.
  ASSERT_TRUE(cluster.Stop());
  ASSERT_TRUE(cluster.Start());
  Told told = Send("MN_GetCorpName '0012'");
  EXPECT_EQ(told.status, 0) << told.text;
  // Down: the status of a bank out of reach, and nothing of a write stored.
  ASSERT_TRUE(cluster.Stop());
  told = Send(write);
  EXPECT_EQ(told.status, 4);
  EXPECT_NE(told.text.find("bank server"), std::string::npos) << told.text;
  ASSERT_TRUE(cluster.Start());
  told = Send("MN_CustomerExists 'K1','0012'");
  EXPECT_EQ(told.status, 0) << told.text;
  EXPECT_EQ(told.text, "0\r\n");
  told = Send(write);
  EXPECT_EQ(told.status, 0) << told.text;
}

}  // namespace
