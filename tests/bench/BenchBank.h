// The benchmarks' banks, made the one way a bank is made: tavro-bank init, the tool
// beside the benchmark program (the host refuses a bank that does not exist); and a bank
// served by tavro-bank serve, for the commands that go through the service.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "tests/support/LocalPort.h"

extern char** environ;

namespace bench {

// tavro-bank beside the benchmark program.
inline std::string BankTool() {
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) {
    throw std::runtime_error("cannot find the benchmark's own folder");
  }
  const std::string program(self, static_cast<std::size_t>(n));
  return program.substr(0, program.rfind('/') + 1) + "tavro-bank";
}

// Creates a demonstration bank at path; throws when tavro-bank cannot.
inline void InitDemoBank(const std::string& path) {
  std::string tool = BankTool();
  std::string init = "init";
  std::string demo = "--demo";
  std::string target = path;
  char* argv[] = {tool.data(), init.data(), demo.data(), target.data(), nullptr};
  // Its report of what it made would only clutter the benchmark's table.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = 0;
  const int spawned = posix_spawn(&pid, tool.c_str(), &quiet, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&quiet);
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    throw std::runtime_error(tool + " init --demo " + path + " failed");
  }
}

// tavro-bank serve over a bank file, on a free port of 127.0.0.1 with a throwaway
// certificate in folder, and the service login ws12 for operator 000001 of 0012. Use()
// points the host library of this process at it; Leave() back at the bank file.
class ServedBank {
 public:
  // bank: where the login is added (the administrator's URL of a PostgreSQL bank);
  // served: what the service opens, when that differs (the service role's URL).
  // logins: how many service logins to add (LoginOf(0) ... LoginOf(logins - 1)), all
  // acting for 0012 as 000001, so that each workstation process can sign in as its own.
  ServedBank(const std::string& bank, const std::string& folder, std::string served = {},
             int logins = 1)
      : folder_(folder) {
    if (served.empty()) {
      served = bank;
    }
    const std::string tool = BankTool();
    const std::string certs =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1"
        " -nodes -days 2 -subj /CN=localhost"
        " -addext subjectAltName=IP:127.0.0.1 -keyout " +
        folder + "/key.pem -out " + folder + "/cert.pem 2>/dev/null";
    {
      std::ofstream password(folder + "/password");
      password << "bench password\n";
    }
    chmod((folder + "/password").c_str(), 0600);
    if (std::system(certs.c_str()) != 0) {
      throw std::runtime_error("cannot make the service's certificate");
    }
    for (int w = 0; w < logins; ++w) {
      const std::string login = tool + " login add " + LoginOf(w) + " --bank '" + bank + "'" +
                                " --corp 0012 --operator 000001 --password-file " + folder +
                                "/password >/dev/null";
      if (std::system(login.c_str()) != 0) {
        throw std::runtime_error("cannot add the service's login " + LoginOf(w));
      }
    }
    port_ = tavro_test::FreeLocalPort();
    const std::string listen = "127.0.0.1:" + std::to_string(port_);
    pid_ = fork();
    if (pid_ == 0) {
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 2);  // the access log
      execl(tool.c_str(), tool.c_str(), "serve", "--bank", served.c_str(), "--listen",
            listen.c_str(), "--cert", (folder + "/cert.pem").c_str(), "--key",
            (folder + "/key.pem").c_str(), nullptr);
      _exit(127);
    }
    for (int tries = 0; tries < 500 && !Listening(); ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!Listening()) {
      Stop();
      throw std::runtime_error("tavro-bank serve did not start");
    }
  }
  ~ServedBank() { Stop(); }
  ServedBank(const ServedBank&) = delete;
  ServedBank& operator=(const ServedBank&) = delete;

  void Use() const {
    setenv("TAVRO_BANK_URL", ("https://127.0.0.1:" + std::to_string(port_) + "/").c_str(), 1);
    setenv("TAVRO_SERVICE_LOGIN", "ws12", 1);
    setenv("TAVRO_SERVICE_PASSWORD_FILE", (folder_ + "/password").c_str(), 1);
    setenv("TAVRO_SERVICE_CA", (folder_ + "/cert.pem").c_str(), 1);
  }
  static void Leave() { unsetenv("TAVRO_BANK_URL"); }
  static std::string LoginOf(int w) { return w == 0 ? "ws12" : "ws12-" + std::to_string(w); }
  // A workstation process signs in as login w (before its first command).
  static void SignInAs(int w) { setenv("TAVRO_SERVICE_LOGIN", LoginOf(w).c_str(), 1); }

  // The service process's peak resident memory so far, in KiB.
  long PeakKib() const {
    std::FILE* status = std::fopen(("/proc/" + std::to_string(pid_) + "/status").c_str(), "r");
    long peak = -1;
    if (status != nullptr) {
      char line[256];
      while (std::fgets(line, sizeof line, status) != nullptr &&
             std::sscanf(line, "VmHWM: %ld kB", &peak) != 1) {
      }
      std::fclose(status);
    }
    return peak;
  }

 private:
  bool Listening() const { return tavro_test::LocalPortListening(port_); }
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

  std::string folder_;
  int port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace bench
