// Faults around tavro-bank serve running as a process of its own, with workstation
// processes sending the mixed workload through it: the service killed in the middle
// of commands and started again, answers lost between the service and the
// workstations, a workstation killed in the middle of a batch and, on PostgreSQL,
// the bank's server restarted under load. After each, the bank holds
// what the workstations were told: every write answered as done once, none answered
// "nothing stored", and the ledger of answers one entry per write the bank holds.
// On the embedded bank, and on PostgreSQL when the run asks for that engine.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "HostTestSupport.h"
#include "LossyRelay.h"
#include "PrivateCluster.h"
#include "ServiceProcess.h"
#include "Workstations.h"
#include "host/PostgresDb.h"

namespace {

using hosttest::Sent;

// The number of commands a workstation sends (TAVRO_TEST_COMMANDS overrides it).
int Commands(int wanted) {
  const char* text = std::getenv("TAVRO_TEST_COMMANDS");
  return text != nullptr ? std::atoi(text) : wanted;
}

// The bank, its service and the workstations' settings for it, as every test here
// wants them.
class ServiceFaults : public hosttest::ServiceOnBank {};

// A failed command's text says whether it may have been stored; one that says nothing
// was stored left nothing (its marker is its own: a name or an account number no
// other command writes), and the ledger holds one answer per write that committed.
void CheckTold(host::Db& admin, const std::vector<Sent>& sent) {
  int done = 0;
  int maybe = 0;
  for (const Sent& s : sent) {
    if (s.status == 0) {
      ++done;
      continue;
    }
    const bool mayHave = s.answer.find("may have been stored") != std::string::npos;
    const bool nothing = s.answer.find("nothing of the command was stored") != std::string::npos;
    if (s.kind == 'x' && !mayHave && !nothing) {
      continue;  // refused by design: the procedure's own text
    }
    EXPECT_TRUE(mayHave != nothing) << s.kind << " " << s.marker << ": " << s.answer;
    maybe += mayHave ? 1 : 0;
    if (nothing && s.kind == 'c') {
      EXPECT_EQ(
          hosttest::Scalar(admin, "SELECT count(*) FROM customer WHERE cust_name = ?", {s.marker}),
          "0")
          << s.answer;
    } else if (nothing && s.kind == 'i') {
      EXPECT_EQ(
          hosttest::Scalar(admin, "SELECT count(*) FROM cust_account WHERE ac_no = ?", {s.marker}),
          "0")
          << s.answer;
    }
  }
  const int kept = std::stoi(hosttest::Scalar(admin, "SELECT count(*) FROM service_ledger"));
  EXPECT_GE(kept, done);
  EXPECT_LE(kept, done + maybe);
}

TEST_F(ServiceFaults, TheServiceKilledInTheMiddleAndStartedAgainLosesNothingAndDoublesNothing) {
  int atKill = 0;
  const std::vector<Sent> sent =
      hosttest::RunWorkstations({service_->Url(), ""}, {6, Commands(150), 21}, [&] {
        WaitForAnswers(50);
        service_->Kill();
        atKill = std::stoi(hosttest::Scalar(*Open(), "SELECT count(*) FROM service_ledger"));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(service_->Start());
      });
  const std::unique_ptr<host::Db> admin = Open();
  // The kill landed while the workstations were sending: they went on after it.
  EXPECT_LT(atKill, std::stoi(hosttest::Scalar(*admin, "SELECT count(*) FROM service_ledger")));
  hosttest::CheckBank(*admin, sent, true, !pg_);
  CheckTold(*admin, sent);
}

// A relay between the workstations and the service loses the answer of every 7th
// request after passing it on: the workstations send those again under their request
// ids, the service answers a committed write from its ledger and runs it no more.
TEST_F(ServiceFaults, AnswersLostOnTheWayLoseNothingAndDoubleNothing) {
  hosttest::LossyRelay relay(service_->port(), 7);
  const std::vector<Sent> sent =
      hosttest::RunWorkstations({relay.Url(), ""}, {6, Commands(150), 22});
  const std::unique_ptr<host::Db> admin = Open();
  // Answers were lost, and some of them were of writes the service had committed.
  EXPECT_GT(relay.lost(), 0);
  RecordProperty("answers_lost", relay.lost());
  const std::string log = tavro_test::ReadFile(dir_.File("access.log"));
  EXPECT_NE(log.find(" proc=answer-kept "), std::string::npos) << "no write was answered again";
  hosttest::CheckBank(*admin, sent, true, !pg_);
  CheckTold(*admin, sent);
}

// The server of a private cluster (so that no other test loses its server) is
// stopped under load and started again a second later, the service staying up.
TEST_F(ServiceFaults, TheBanksServerRestartedUnderLoadLosesNothingAndDoublesNothing) {
  if (!pg_) {
    GTEST_SKIP() << "a PostgreSQL bank's server";
  }
  hosttest::PrivateCluster cluster;
  ASSERT_TRUE(cluster.Start());
  const std::string url = cluster.Url("tavro_admin");
  Prepare(*std::make_unique<host::PostgresDb>(url, host::BankSetup()));
  service_ = std::make_unique<hosttest::ServiceProcess>(cluster.Url("tavro_service"),
                                                        dir_.File("cert.pem"), dir_.File("key.pem"),
                                                        dir_.File("access.log"));
  ASSERT_TRUE(service_->Start()) << tavro_test::ReadFile(dir_.File("access.log"));
  const std::vector<Sent> sent =
      hosttest::RunWorkstations({service_->Url(), ""}, {6, Commands(300), 23}, [&] {
        {
          host::PostgresDb admin(url, host::BankSetup());
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
          while (std::chrono::steady_clock::now() < deadline &&
                 std::stoi(hosttest::Scalar(admin, "SELECT count(*) FROM service_ledger")) < 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
        }
        EXPECT_TRUE(cluster.Stop());
        std::this_thread::sleep_for(std::chrono::seconds(1));
        EXPECT_TRUE(cluster.Start());
      });
  // The stop met commands: the service answered some without the bank (status 4 in its
  // access log), whether or not their sending again then found the server back.
  const std::string log = tavro_test::ReadFile(dir_.File("access.log"));
  EXPECT_NE(log.find(" status=4 "), std::string::npos) << "no command met the stopped server";
  host::PostgresDb admin(url, host::BankSetup());
  hosttest::CheckBank(admin, sent, true, true);
  CheckTold(admin, sent);
}

TEST_F(ServiceFaults, AWorkstationKilledInTheMiddleOfABatchLeavesNothingOfIt) {
  hosttest::KillMidBatch(*Open(), {service_->Url(), ""}, 4);
}

}  // namespace
