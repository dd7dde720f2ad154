// Faults around tavro-bank serve running as a process of its own, with workstation
// processes sending the mixed workload through it: the service killed in the middle
// of commands and started again, answers lost between the service and the
// workstations, a workstation killed in the middle of a batch and, on PostgreSQL,
// the bank's server restarted under load. After each, the bank holds
// what the workstations were told: every write answered as done once, none answered
// "nothing stored", and the ledger of answers one entry per write the bank holds.
// On the embedded bank, and on PostgreSQL when the run asks for that engine.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <list>
#include <memory>
#include <thread>

#include "HostTestSupport.h"
#include "LossyRelay.h"
#include "PrivateCluster.h"
#include "Workstations.h"
#include "host/PostgresDb.h"
#include "host/ServiceLogins.h"
#include "host/SqliteDb.h"

namespace {

using hosttest::Sent;
using hosttest::TempDir;

// The number of commands a workstation sends (TAVRO_TEST_COMMANDS overrides it).
int Commands(int wanted) {
  const char* text = std::getenv("TAVRO_TEST_COMMANDS");
  return text != nullptr ? std::atoi(text) : wanted;
}

// A port of 127.0.0.1 free a moment ago, so that the service can be started on it
// again after it was killed.
int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

bool Listening(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool open = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return open;
}

// tavro-bank serve as a child process; its access log goes to a file.
class ServiceProcess {
 public:
  ServiceProcess(std::string bank, std::string cert, std::string key, std::string log)
      : bank_(std::move(bank)),
        cert_(std::move(cert)),
        key_(std::move(key)),
        log_(std::move(log)),
        port_(FreePort()) {}
  ~ServiceProcess() { Kill(); }
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  // Starts it and waits until it listens; false when it did not within 10 s.
  bool Start() {
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
      if (Listening(port_)) {
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
  void Kill() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
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

// The demonstration bank prepared for the workload, a service login ws12 for its
// operators, the service as a process and the workstations' settings for it.
class ServiceFaults : public ::testing::Test {
 protected:
  void SetUp() override {
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

  static void Prepare(host::Db& admin) {
    hosttest::PrepareWorkload(admin);
    host::AddServiceLogin(admin, {"ws12", "0012", {"000001", "000002", "000003", "000004"}},
                          std::string("pw twelve"));
  }

  std::unique_ptr<host::Db> Open() const { return host::OpenBank(bank_); }

  // Waits (at most 30 s) until the ledger holds count answers: the fault then lands
  // while the workstations are sending, however fast the machine.
  void WaitForAnswers(int count) const {
    const std::unique_ptr<host::Db> admin = Open();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline &&
           std::stoi(hosttest::Scalar(*admin, "SELECT count(*) FROM service_ledger")) < count) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  TempDir dir_;
  std::unique_ptr<hosttest::PgDatabase> pg_;
  host::BankLocation bank_{host::Engine::kSqlite, dir_.File("bank.db")};
  std::string serviceBank_ = bank_.where;
  std::unique_ptr<ServiceProcess> service_;
  std::list<tavro_test::ScopedEnv> settings_;
};

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
  service_ = std::make_unique<ServiceProcess>(cluster.Url("tavro_service"), dir_.File("cert.pem"),
                                              dir_.File("key.pem"), dir_.File("access.log"));
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
