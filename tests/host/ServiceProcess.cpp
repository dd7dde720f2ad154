// The service as a child process and its fixture (see ServiceProcess.h).
#include "ServiceProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <utility>

#include "Workstations.h"
#include "host/ServiceLogins.h"
#include "host/SqliteDb.h"
#include "tests/support/LocalPort.h"

namespace hosttest {
namespace {}  // namespace

ServiceProcess::ServiceProcess(std::string bank, std::string cert, std::string key, std::string log)
    : bank_(std::move(bank)),
      cert_(std::move(cert)),
      key_(std::move(key)),
      log_(std::move(log)),
      port_(tavro_test::FreeLocalPort()) {}

bool ServiceProcess::Start() {
  const std::string listen = "127.0.0.1:" + std::to_string(port_);
  pid_ = fork();
  if (pid_ == 0) {
    const int out = open(log_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    dup2(out, 2);
    execl(TAVRO_BANK_TOOL, TAVRO_BANK_TOOL, "serve", "--bank", bank_.c_str(), "--listen",
          listen.c_str(), "--cert", cert_.c_str(), "--key", key_.c_str(), nullptr);
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (tavro_test::LocalPortListening(port_)) {
      return true;
    }
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void ServiceProcess::Kill() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

void ServiceOnBank::SetUp() {
  if (hosttest::PostgresWanted()) {
    if (!hosttest::PostgresAvailable()) {
      GTEST_SKIP() << "no PostgreSQL test cluster";
    }
    pg_ = std::make_unique<hosttest::PgDatabase>();
    bank_ = {host::Engine::kPostgres, pg_->Url()};
    serviceBank_ = pg_->Url("tavro_service");
  } else {
    host::SqliteDb db(bank_.where, host::BankSetup(true));
  }
  Prepare(*Open());
  const std::string command =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
      " -subj /CN=localhost -addext subjectAltName=IP:127.0.0.1 -keyout " +
      dir_.File("key.pem") + " -out " + dir_.File("cert.pem") + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  service_ = std::make_unique<ServiceProcess>(serviceBank_, dir_.File("cert.pem"),
                                              dir_.File("key.pem"), dir_.File("access.log"));
  ASSERT_TRUE(service_->Start()) << tavro_test::ReadFile(dir_.File("access.log"));
  tavro_test::WriteFile(dir_.File("password"), "pw twelve\n");
  chmod(dir_.File("password").c_str(), 0600);
  settings_.emplace_back("TAVRO_SERVICE_LOGIN", "ws12");
  settings_.emplace_back("TAVRO_SERVICE_PASSWORD_FILE", dir_.File("password").c_str());
  settings_.emplace_back("TAVRO_SERVICE_CA", dir_.File("cert.pem").c_str());
}

void ServiceOnBank::Prepare(host::Db& admin) {
  hosttest::PrepareWorkload(admin);
  for (const char* login : {"ws12", "ws13"}) {
    host::AddServiceLogin(admin, {login, "0012", {"000001", "000002", "000003", "000004"}},
                          std::string("pw twelve"));
  }
}

void ServiceOnBank::WaitForAnswers(int count) const {
  const std::unique_ptr<host::Db> admin = Open();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline &&
         std::stoi(hosttest::Scalar(*admin, "SELECT count(*) FROM service_ledger")) < count) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace hosttest
