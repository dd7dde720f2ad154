// Workstation processes sending a mixed workload to one bank through qelCommand, the
// checks of the bank against what they were told, and what the fault tests run them
// against: tavro-bank serve as a process and a PostgreSQL cluster of a test's own.
//
// A serial run of the committed commands has one outcome whatever their order:
//   - pool A (customers A00..A11): created by an operator who may add but not change
//     (so "1" means a new row), renamed within the pool and deleted;
//   - pool B (customers B00..B07): imports, each with an account number of its own;
//   - rights of user 000002 on nodes 12, 13 and 104, saved by one batch;
//   - commands refused by design, whose texts must never be found.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "host/Database.h"

namespace hosttest {

// What one command was and what its workstation was told.
struct Sent {
  char kind = 0;       // c create, r rename, d delete, i import, s rights, x refused
  std::string marker;  // the name, account number or mask it writes
  int status = -1;     // qelCommand's status
  std::string answer;  // the first field of the answer (UTF-8)
  double ms = 0;       // how long qelCommand took
};

struct Workload {
  int workers = 8;
  int commands = 2000;  // each workstation's, or the most it sends within seconds
  unsigned seed = 1;
  int seconds = 0;  // above 0: each workstation sends for this long
  // Through a service: workstation w signs in as logins[w % size].
  std::vector<std::string> logins{};
};

// wanted, or TAVRO_TEST_COMMANDS for a quicker run by hand.
int Commands(int wanted);

// Readies the demonstration bank for the workload (as its owner).
void PrepareWorkload(host::Db& admin);

// Runs the workstation processes on bank (a URL, or an embedded bank's file), and during
// in this process while they work; returns every command each one sent, in its order.
std::vector<Sent> RunWorkstations(const std::string& bank, const Workload& workload,
                                  const std::function<void()>& during = {});

// With faults, a failed command may be stored whole or not at all; without, it stored
// nothing, and only busyAllowed lets a command answer busy (the embedded bank's writers
// wait at most 5 s for its write lock).
void CheckBank(host::Db& admin, const std::vector<Sent>& sent, bool faults, bool busyAllowed);

// Kills a process sending large batches (rights of 000002 on every node) in the middle,
// rounds times, checking that each batch stayed all or nothing.
void KillMidBatch(host::Db& admin, const std::string& bank, int rounds);

// Waits (at most 30 s) for count answers in the service's ledger: a fault then lands
// while the workstations send, however fast the machine.
void WaitForAnswers(host::Db& admin, int count);

// A cluster of one test's own (scripts/bank-postgres.sh), for tests that stop its
// server: the shared one serves the other tests. PGPASSFILE names its passwords file
// while it lives.
class PrivateCluster {
 public:
  PrivateCluster();
  ~PrivateCluster() { (void)Run("stop"); }
  PrivateCluster(const PrivateCluster&) = delete;
  PrivateCluster& operator=(const PrivateCluster&) = delete;
  bool Start() { return Run("start"); }
  bool Stop() { return Run("stop"); }
  std::string Url(const std::string& login) const;

 private:
  bool Run(const std::string& action) const;

  TempDir dir_;
  std::string folder_ = dir_.File("cluster");
  std::optional<tavro_test::ScopedEnv> passwords_;
};

// The bank readied for the workload with service logins ws12 and ws13 (password
// "pw twelve"), tavro-bank serve over it as a child process that can be killed and
// started again on its port (its access log in a file), and the workstations' settings
// (as ws12).
class ServiceOnBank : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override { Kill(); }
  static void Prepare(host::Db& admin);
  std::unique_ptr<host::Db> Open() const { return host::OpenBank(bank_); }
  // Serves serviceBank_; false when the service did not listen within 10 s.
  bool Start();
  void Kill();
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::string Log() const { return tavro_test::ReadFile(dir_.File("access.log")); }

  TempDir dir_;
  std::unique_ptr<PgDatabase> pg_;
  host::BankLocation bank_{host::Engine::kSqlite, dir_.File("bank.db")};
  std::string serviceBank_ = bank_.where;
  int port_ = 0;
  pid_t pid_ = -1;
  std::list<tavro_test::ScopedEnv> settings_;
};

}  // namespace hosttest
