// Many workstations on one bank: eight processes sending 2,000 mixed commands each
// (creating, renaming and deleting customers with the same ids, saving the rights of
// the same user, importing) leave exactly what a serial run of their committed
// commands leaves; the server stopped and started again in the middle loses no
// command reported as done and stores each one in flight whole or not at all; a
// workstation killed in the middle of a batch leaves nothing of it. Against
// PostgreSQL, and the embedded bank for comparison.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

#include "HostTestSupport.h"
#include "PrivateCluster.h"
#include "Workstations.h"
#include "host/PostgresDb.h"
#include "host/SqliteDb.h"

namespace {

using hosttest::PgDatabase;
using hosttest::Sent;
using hosttest::Target;

// The number of commands a workstation sends (TAVRO_TEST_COMMANDS overrides it, for a
// quicker run by hand).
int Commands(int wanted) {
  const char* text = std::getenv("TAVRO_TEST_COMMANDS");
  return text != nullptr ? std::atoi(text) : wanted;
}

class SharedBank : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!hosttest::PostgresAvailable()) {
      GTEST_SKIP() << "no PostgreSQL test cluster";
    }
    bank_ = std::make_unique<PgDatabase>();
    admin_ = std::make_unique<host::PostgresDb>(bank_->Url(), host::BankSetup());
    hosttest::PrepareWorkload(*admin_);
  }
  std::unique_ptr<PgDatabase> bank_;
  std::unique_ptr<host::PostgresDb> admin_;
};

TEST_F(SharedBank, EightWorkstationsLeaveWhatASerialRunOfTheirCommittedCommandsLeaves) {
  const std::vector<Sent> sent =
      hosttest::RunWorkstations({bank_->Url(), ""}, {8, Commands(2000), 11});
  hosttest::CheckBank(*admin_, sent, false, false);
}

TEST_F(SharedBank, AWorkstationKilledInTheMiddleOfABatchLeavesNothingOfIt) {
  hosttest::KillMidBatch(*admin_, {bank_->Url(), ""}, 6);
}

TEST(EmbeddedBank, EightWorkstationsAndAKilledOneOnOneFile) {
  hosttest::TempDir dir;
  const std::string file = dir.File("bank.db");
  {
    host::SqliteDb admin(file, host::BankSetup());
    hosttest::PrepareWorkload(admin);
  }
  const std::vector<Sent> sent = hosttest::RunWorkstations({"", file}, {8, Commands(300), 12});
  host::SqliteDb admin(file, host::BankSetup());
  hosttest::CheckBank(admin, sent, false, true);
  hosttest::KillMidBatch(admin, {"", file}, 4);
}

// The server of a private cluster (so that no other test loses its server) is
// stopped while eight workstations work, and started again a second later.
TEST(SharedBankFaults, TheServerStoppedAndStartedInTheMiddleLosesNothingReportedDone) {
  if (!hosttest::PostgresAvailable()) {
    GTEST_SKIP() << "no PostgreSQL test cluster";
  }
  hosttest::PrivateCluster cluster;
  ASSERT_TRUE(cluster.Start());
  const std::string url = cluster.Url("tavro_admin");
  {
    host::PostgresDb admin(url, host::BankSetup());
    hosttest::PrepareWorkload(admin);
  }
  // The workload runs for several seconds on any machine the tests run on (2,000
  // commands a workstation, as the run without faults), so the server goes away while
  // the workstations are still sending.
  const std::vector<Sent> sent = hosttest::RunWorkstations({url, ""}, {8, Commands(2000), 13}, [&] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(cluster.Stop());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(cluster.Start());
  });
  int refused = 0;
  int done = 0;
  for (const Sent& s : sent) {
    refused += s.status == 4 ? 1 : 0;
    done += s.status == 0 ? 1 : 0;
  }
  EXPECT_GT(refused, 0) << "no command met the stopped server";
  EXPECT_GT(done, 0);
  {
    host::PostgresDb admin(url, host::BankSetup());
    hosttest::CheckBank(admin, sent, true, true);
  }
}

}  // namespace
