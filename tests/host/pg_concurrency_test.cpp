// Many workstations on one bank: eight processes sending mixed commands (creating,
// renaming and deleting customers with the same ids, saving one user's rights,
// importing) leave what a serial run of their committed commands leaves; the server
// restarted in the middle loses no command reported done and stores each one in flight
// whole or not at all; a workstation killed mid-batch leaves nothing of it. On
// PostgreSQL, and on the embedded bank for comparison.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "Workstations.h"
#include "host/PostgresDb.h"
#include "host/SqliteDb.h"

namespace {

using hosttest::Commands;
using hosttest::Sent;

class SharedBank : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!hosttest::PostgresAvailable()) {
      GTEST_SKIP() << "no PostgreSQL test cluster";
    }
    bank_ = std::make_unique<hosttest::PgDatabase>();
    admin_ = std::make_unique<host::PostgresDb>(bank_->Url(), host::BankSetup());
    hosttest::PrepareWorkload(*admin_);
  }
  std::unique_ptr<hosttest::PgDatabase> bank_;
  std::unique_ptr<host::PostgresDb> admin_;
};

TEST_F(SharedBank, EightWorkstationsLeaveWhatASerialRunOfTheirCommittedCommandsLeaves) {
  const std::vector<Sent> sent = hosttest::RunWorkstations(bank_->Url(), {8, Commands(2000), 11});
  hosttest::CheckBank(*admin_, sent, false, false);
}

TEST_F(SharedBank, AWorkstationKilledInTheMiddleOfABatchLeavesNothingOfIt) {
  hosttest::KillMidBatch(*admin_, bank_->Url(), 6);
}

TEST(EmbeddedBank, EightWorkstationsAndAKilledOneOnOneFile) {
  hosttest::TempDir dir;
  const std::string file = dir.File("bank.db");
  hosttest::PrepareWorkload(*std::make_unique<host::SqliteDb>(file, host::BankSetup()));
  const std::vector<Sent> sent = hosttest::RunWorkstations(file, {8, Commands(300), 12});
  host::SqliteDb admin(file, host::BankSetup());
  hosttest::CheckBank(admin, sent, false, true);
  hosttest::KillMidBatch(admin, file, 4);
}

// The server of a private cluster stopped while eight workstations work (2,000
// commands each take several seconds anywhere) and started a second later.
TEST(SharedBankFaults, TheServerStoppedAndStartedInTheMiddleLosesNothingReportedDone) {
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "no PostgreSQL test cluster";
  }
  hosttest::PrivateCluster cluster;
  ASSERT_TRUE(cluster.Start());
  const std::string url = cluster.Url("tavro_admin");
  hosttest::PrepareWorkload(*std::make_unique<host::PostgresDb>(url, host::BankSetup()));
  const std::vector<Sent> sent = hosttest::RunWorkstations(url, {8, Commands(2000), 13}, [&] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(cluster.Stop());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(cluster.Start());
  });
  EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const Sent& s) { return s.status == 4; }))
      << "no command met the stopped server";
  EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const Sent& s) { return s.status == 0; }));
  host::PostgresDb admin(url, host::BankSetup());
  hosttest::CheckBank(admin, sent, true, true);
}

}  // namespace
