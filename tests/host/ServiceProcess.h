// tavro-bank serve run as a process of its own over a fresh demonstration bank, for
// the tests that send workstation processes' commands through it: the process, which
// can be killed and started again on its port, and the fixture that readies the bank,
// a certificate, the service and the workstations' settings.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <list>
#include <memory>
#include <string>

#include "HostTestSupport.h"
#include "host/Database.h"

namespace hosttest {

// tavro-bank serve as a child process; its access log goes to a file.
class ServiceProcess {
 public:
  ServiceProcess(std::string bank, std::string cert, std::string key, std::string log);
  ~ServiceProcess() { Kill(); }
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  // Starts it and waits until it listens; false when it did not within 10 s.
  bool Start();
  void Kill();
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }
  int port() const { return port_; }

 private:
  std::string bank_;
  std::string cert_;
  std::string key_;
  std::string log_;
  int port_;
  pid_t pid_ = -1;
};

// The demonstration bank prepared for the workload, the service logins ws12 and ws13
// for its operators (password "pw twelve"), the service as a process and the
// workstations' settings for it (as ws12).
class ServiceOnBank : public ::testing::Test {
 protected:
  void SetUp() override;

  // Readies the bank for the workload and adds the two logins.
  static void Prepare(host::Db& admin);

  std::unique_ptr<host::Db> Open() const { return host::OpenBank(bank_); }

  // Waits (at most 30 s) until the ledger holds count answers: a fault then lands
  // while the workstations are sending, however fast the machine.
  void WaitForAnswers(int count) const;

  TempDir dir_;
  std::unique_ptr<hosttest::PgDatabase> pg_;
  host::BankLocation bank_{host::Engine::kSqlite, dir_.File("bank.db")};
  std::string serviceBank_ = bank_.where;
  std::unique_ptr<ServiceProcess> service_;
  std::list<tavro_test::ScopedEnv> settings_;
};

}  // namespace hosttest
