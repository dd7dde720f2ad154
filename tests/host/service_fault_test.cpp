// Faults around tavro-bank serve while workstation processes send the workload through
// it: the service killed, answers lost, a workstation killed mid-batch, the bank's
// server restarted. After each the bank and ledger hold what the workstations were told.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "LossyRelay.h"
#include "Workstations.h"
#include "host/PostgresDb.h"

namespace {

using hosttest::Sent;

class ServiceFaults : public hosttest::ServiceOnBank {};

int Ledger(host::Db& admin) {
  return std::stoi(hosttest::Scalar(admin, "SELECT count(*) FROM service_ledger"));
}

TEST_F(ServiceFaults, TheServiceKilledInTheMiddleAndStartedAgainLosesNothingAndDoublesNothing) {
  int atKill = 0;
  const std::vector<Sent> sent = hosttest::RunWorkstations(Url(), {6, 150, 21}, [&] {
    hosttest::WaitForAnswers(*Open(), 50);
    Kill();
    atKill = Ledger(*Open());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(Start());
  });
  const std::unique_ptr<host::Db> admin = Open();
  EXPECT_LT(atKill, Ledger(*admin)) << "the workstations went on after the kill";
  hosttest::CheckBank(*admin, sent, true, !pg_);
}

// Every 7th answer lost: sent again under its request id, a write is answered from the
// ledger.
TEST_F(ServiceFaults, AnswersLostOnTheWayLoseNothingAndDoubleNothing) {
  hosttest::LossyRelay relay(port_, 7);
  const std::vector<Sent> sent = hosttest::RunWorkstations(relay.Url(), {6, 150, 22});
  const std::unique_ptr<host::Db> admin = Open();
  EXPECT_GT(relay.lost(), 0);
  EXPECT_NE(Log().find(" proc=answer-kept "), std::string::npos) << "no write was answered again";
  hosttest::CheckBank(*admin, sent, true, !pg_);
}

// A private cluster's server stopped under load for a second, the service staying up.
TEST_F(ServiceFaults, TheBanksServerRestartedUnderLoadLosesNothingAndDoublesNothing) {
  if (!pg_) {
    GTEST_SKIP() << "a PostgreSQL bank's server";
  }
  hosttest::PrivateCluster cluster;
  ASSERT_TRUE(cluster.Start());
  const std::string url = cluster.Url("tavro_admin");
  Prepare(*std::make_unique<host::PostgresDb>(url, host::BankSetup()));
  Kill();
  serviceBank_ = cluster.Url("tavro_service");
  ASSERT_TRUE(Start()) << Log();
  const std::vector<Sent> sent = hosttest::RunWorkstations(Url(), {6, 300, 23}, [&] {
    hosttest::WaitForAnswers(*std::make_unique<host::PostgresDb>(url, host::BankSetup()), 50);
    EXPECT_TRUE(cluster.Stop());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(cluster.Start());
  });
  EXPECT_NE(Log().find(" status=4 "), std::string::npos) << "no command met the stopped server";
  host::PostgresDb admin(url, host::BankSetup());
  hosttest::CheckBank(admin, sent, true, true);
}

TEST_F(ServiceFaults, AWorkstationKilledInTheMiddleOfABatchLeavesNothingOfIt) {
  hosttest::KillMidBatch(*Open(), Url(), 4);
}

}  // namespace
