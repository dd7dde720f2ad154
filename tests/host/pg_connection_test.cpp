// The connection to a shared bank: a server that does not answer is given up within
// the connect timeout; a server that went away fails the command in flight with the
// channel's status for a bank out of reach; the next command connects again, and a
// connection the server dropped while idle is replaced without the caller noticing.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "HostTestSupport.h"
#include "PrivateCluster.h"
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
  Told told;
  told.status = qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result,
                           static_cast<std::int32_t>(sizeof result - 1), error, 2);
  told.text = sys::GbkToUtf8(told.status == 0 ? result : error);
  return told;
}

// A server that takes the connection (the kernel completes it) and never says a
// word.
TEST(SharedBankConnection, AServerThatDoesNotAnswerIsGivenUpWithinTheConnectTimeout) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t length = sizeof address;
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string url =
      "postgresql://nobody@127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/tavro";
  tavro_test::ScopedEnv bank("TAVRO_BANK_URL", url.c_str());
  const auto start = std::chrono::steady_clock::now();
  const Told told = Send("MN_GetCorpName '0012'");
  const auto took = std::chrono::steady_clock::now() - start;
  close(listener);
  EXPECT_EQ(told.status, 4);
  EXPECT_NE(told.text.find("cannot reach the bank server"), std::string::npos) << told.text;
  EXPECT_LT(took, std::chrono::seconds(9));
  EXPECT_GE(took, std::chrono::seconds(4)) << "it did wait for the server";
}

TEST(SharedBankConnection, AfterTheServerWentAwayTheNextCommandConnectsAgain) {
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "no PostgreSQL test cluster";
  }
  hosttest::PrivateCluster cluster;
  ASSERT_TRUE(cluster.Start());
  tavro_test::ScopedEnv bank("TAVRO_BANK_URL", cluster.Url("tavro_0012").c_str());

  EXPECT_EQ(Send("MN_GetCorpName '0012'").text, "演示贸易有限公司\r\n");
  // Restarted while this workstation's connection lay idle: the next command is
  // served on a new connection, the caller sees nothing of it.
  ASSERT_TRUE(cluster.Stop());
  ASSERT_TRUE(cluster.Start());
  Told told = Send("MN_GetCorpName '0012'");
  EXPECT_EQ(told.status, 0) << told.text;

  // Down: the command fails with the status of a bank out of reach and says so;
  // nothing of a write is stored.
  ASSERT_TRUE(cluster.Stop());
  told = Send("MN_UpdateCustomerRec 201,'K1','0012','甲','','','','000001',1");
  EXPECT_EQ(told.status, 4);
  EXPECT_NE(told.text.find("bank server"), std::string::npos) << told.text;
  ASSERT_TRUE(cluster.Start());
  told = Send("MN_CustomerExists 'K1','0012'");
  EXPECT_EQ(told.status, 0) << told.text;
  EXPECT_EQ(told.text, "0\r\n");
  told = Send("MN_UpdateCustomerRec 201,'K1','0012','甲','','','','000001',1");
  EXPECT_EQ(told.status, 0) << told.text;
}

}  // namespace
