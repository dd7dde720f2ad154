// Workstation processes sending a mixed workload to one bank through qelCommand, the
// checks of the bank they leave, and what the fault tests run them against. A serial
// run of the committed commands has one outcome whatever their order: pool A (A00..A11)
// created by 000003 (who may add, not change: "1" is a new row), renamed and deleted;
// pool B (B00..B07) imported, each with an account of its own; rights of 000002 on
// nodes 12, 13 and 104 saved by one batch; refused commands, whose texts never appear.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "host/Database.h"

namespace hosttest {

// One command and what its workstation was told.
struct Sent {
  char kind = 0;       // c create, r rename, d delete, i import, s rights, x refused
  std::string marker;  // the name, account number or mask it writes
  int status = -1;     // qelCommand's
  std::string answer;  // the answer's first field (UTF-8)
  double ms = 0;
};

struct Workload {
  int workers = 8;
  int commands = 2000;  // each workstation's, or the most it sends within seconds
  unsigned seed = 1;
  int seconds = 0;                    // above 0: each sends for this long
  std::vector<std::string> logins{};  // workstation w signs in as logins[w % size]
};

// What qelCommand (capacity) or qelFileGet (into file) answered, in GBK; the bank
// channel's commands go on A03.
struct LibraryAnswer {
  int status = -1;
  std::string error;
  std::string answer;
};
LibraryAnswer CallLibrary(const std::string& utf8, bool intoFile = false,
                          const std::string& file = "", std::int32_t capacity = 1 << 20);

// Readies the demonstration bank for the workload (as its owner).
void PrepareWorkload(host::Db& admin);

// Runs the workstations on bank (a URL or an embedded bank's file) and during meanwhile;
// returns every command each one sent.
std::vector<Sent> RunWorkstations(const std::string& bank, const Workload& workload,
                                  const std::function<void()>& during = {});

// The bank and the service's ledger against what the workstations were told. With faults
// a failed command is stored whole or not at all; without, it stored nothing, and only
// busyAllowed lets one answer busy (the embedded bank's 5 s write-lock wait).
void CheckBank(host::Db& admin, const std::vector<Sent>& sent, bool faults, bool busyAllowed);

// Kills a process saving rights of 000002 on every node mid-batch, rounds times; each
// batch must stay all or nothing.
void KillMidBatch(host::Db& admin, const std::string& bank, int rounds);

// Waits (at most 30 s) for count answers in the service's ledger, so that a fault lands
// while the workstations send.
void WaitForAnswers(host::Db& admin, int count);

// A cluster of one test's own, for tests that stop its server; PGPASSFILE names its
// passwords file while it lives.
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

// A fresh demonstration bank on the engine the run asks for (skipped without a cluster),
// as the service opens it, and a certificate for 127.0.0.1 in dir_.
class BankForService : public ::testing::Test {
 protected:
  void SetUp() override;
  std::unique_ptr<host::Db> Open() const { return host::OpenBank(bank_); }
  std::string Cert() const { return dir_.File("cert.pem"); }
  // The host library's settings for the service at url as ws12 ("pw twelve"), its
  // password file of mode; trusted: with the service's certificate.
  std::list<tavro_test::ScopedEnv> Library(const std::string& url, unsigned mode = 0600,
                                           bool trusted = true) const;

  TempDir dir_;
  std::unique_ptr<PgDatabase> pg_;
  host::BankLocation bank_{host::Engine::kSqlite, dir_.File("bank.db")};
  std::string serviceBank_ = bank_.where;  // PostgreSQL: as the service's role
};

// The workload's bank with service logins ws12 and ws13 ("pw twelve") and tavro-bank serve
// over it as a child process, killed and started again on its port (its log in a file).
class ServiceOnBank : public BankForService {
 protected:
  void SetUp() override;
  void TearDown() override { Kill(); }
  static void Prepare(host::Db& admin);
  // Serves serviceBank_; false when the service did not listen within 10 s.
  bool Start();
  void Kill();
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::string Log() const { return tavro_test::ReadFile(dir_.File("access.log")); }

  int port_ = 0;
  pid_t pid_ = -1;
  std::list<tavro_test::ScopedEnv> settings_;
};

}  // namespace hosttest
