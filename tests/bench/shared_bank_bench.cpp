// Many workstations on one bank: 1, 4 and 16 workstation processes sending a mixed
// workload (80% reads, 20% writes) through qelCommand, against the embedded SQLite
// bank and a PostgreSQL bank in the same run. Prints, per engine and number of
// processes, the commands per second (all, and writes alone) and the 50th and 99th
// percentile of a command's time, for reads and for writes.
//
// Each engine also behind the bank's service (tavro-bank serve on 127.0.0.1, each
// workstation signed in as a service login of its own), as "service-sqlite" and
// "service-pg".
//
// PostgreSQL is a cluster of scripts/bank-postgres.sh, named as scripts/test.sh names
// it (TAVRO_TEST_PG_HOST, TAVRO_TEST_PG_PORT, PGPASSFILE: the PGHOST, PGPORT and
// PGPASSFILE of `scripts/bank-postgres.sh admin`); each run gets a fresh copy of the
// demonstration bank. Without a cluster only SQLite runs.
// Usage: shared_bank_bench [SECONDS per run, default 5]
#include <libpq-fe.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "host/TavroClient.h"
#include "tests/bench/BenchBank.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
  bool write;
  double micros;
};

bool Send(const std::string& command) {
  static std::vector<char> result(1 << 16);
  const std::string wire = "A01\x07" + command;
  char error[128] = {};
  return qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                    static_cast<std::int32_t>(result.size() - 1), error, 2) == 0;
}

// One workstation: reads of the customer dialog and lists, and writes of its own
// customers (a save or an import), for the given time; samples into log.
void Workstation(int w, double seconds, const std::string& log) {
  std::mt19937 random(static_cast<unsigned>(w) * 7919u + 1);
  std::vector<Sample> samples;
  samples.reserve(200000);
  const char* reads[] = {"MN_GetCustomerList '0012','000001'",
                         "MN_GetPropOfCustomer '0012','C001'",
                         "MN_CustomerExists 'C002','0012'",
                         "MN_GetCustAcFolder 'CN','0012','000001','C001'",
                         "MN_GetPropOfCustAc 1",
                         "Sh_GetNodeRight '0012','000001',201"};
  int failures = 0;
  int n = 0;
  // Each workstation its own login, as at a bank: one login's commands in flight are
  // limited, so that no login starves the others.
  bench::ServedBank::SignInAs(w);
  // Untimed: opens the bank, or signs in to the service (a slow hash by design).
  failures += Send("MN_GetCorpName '0012'") ? 0 : 1;
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    const bool write = random() % 5 == 0;
    std::string command;
    if (write) {
      const std::string id = "W" + std::to_string(w) + "_" + std::to_string(n++ % 500);
      command = random() % 2 == 0 ? "MN_UpdateCustomerRec 201,'" + id + "','0012','Name " +
                                        std::to_string(n) + "','','','','000001',1"
                                  : "MN_CustSnapIn 201,'0012','000001','" + id + "','6222" +
                                        std::to_string(w * 1000000 + n) + "','Name','Bank'";
    } else {
      command = reads[random() % (sizeof reads / sizeof reads[0])];
    }
    const auto start = Clock::now();
    failures += Send(command) ? 0 : 1;
    samples.push_back(
        {write, std::chrono::duration<double, std::micro>(Clock::now() - start).count()});
  }
  std::ofstream out(log);
  for (const Sample& s : samples) {
    out << (s.write ? 'w' : 'r') << ' ' << s.micros << '\n';
  }
  out << "f " << failures << '\n';
}

double Percentile(std::vector<double>& v, double p) {
  if (v.empty()) {
    return 0;
  }
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

void AdminCommand(const std::string& sql) {
  const std::string url = std::string("postgresql://tavro_admin@/postgres?host=") +
                          std::getenv("TAVRO_TEST_PG_HOST") +
                          "&port=" + std::getenv("TAVRO_TEST_PG_PORT");
  PGconn* conn = PQconnectdb(url.c_str());
  PGresult* result = PQexec(conn, sql.c_str());
  if (PQresultStatus(result) != PGRES_COMMAND_OK) {
    std::fprintf(stderr, "%s: %s", sql.c_str(), PQerrorMessage(conn));
    std::exit(1);
  }
  PQclear(result);
  PQfinish(conn);
}

// Runs processes workstations on the bank the environment names; prints one line.
void Run(const char* engine, int processes, double seconds, const std::string& folder) {
  std::vector<pid_t> pids;
  for (int w = 0; w < processes; ++w) {
    const std::string log = folder + "/w" + std::to_string(w);
    const pid_t pid = fork();
    if (pid == 0) {
      Workstation(w, seconds, log);
      _exit(0);
    }
    pids.push_back(pid);
  }
  for (pid_t pid : pids) {
    waitpid(pid, nullptr, 0);
  }
  std::vector<double> reads;
  std::vector<double> writes;
  int failures = 0;
  for (int w = 0; w < processes; ++w) {
    std::ifstream in(folder + "/w" + std::to_string(w));
    char kind = 0;
    double value = 0;
    while (in >> kind >> value) {
      if (kind == 'f') {
        failures += static_cast<int>(value);
      } else {
        (kind == 'w' ? writes : reads).push_back(value);
      }
    }
  }
  const double all = static_cast<double>(reads.size() + writes.size());
  std::printf("%-10s %3d  %9.0f  %8.0f  %8.0f %9.0f  %8.0f %9.0f  %d\n", engine, processes,
              all / seconds, static_cast<double>(writes.size()) / seconds, Percentile(reads, 0.5),
              Percentile(reads, 0.99), Percentile(writes, 0.5), Percentile(writes, 0.99), failures);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) try {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  const std::string folder = std::filesystem::temp_directory_path().string() +
                             "/shared_bank_bench_" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  const bool postgres = std::getenv("TAVRO_TEST_PG_HOST") != nullptr;
  std::printf("%-10s %3s  %9s  %8s  %8s %9s  %8s %9s  %s\n", "engine", "ws", "cmds/s", "writes/s",
              "read p50", "read p99", "write p50", "write p99", "failed");
  std::printf("%-10s %3s  %9s  %8s  %8s %9s  %8s %9s\n", "", "", "", "", "(us)", "(us)", "(us)",
              "(us)");
  for (int processes : {1, 4, 16}) {
    const std::string file = folder + "/bank" + std::to_string(processes) + ".db";
    unsetenv("TAVRO_BANK_URL");
    setenv("TAVRO_BANK_DB", file.c_str(), 1);
    try {
      bench::InitDemoBank(file);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "shared_bank_bench: %s\n", e.what());
      return 1;
    }
    Send("MN_GetCorpName '0012'");  // opens the bank before the clock runs
    Run("sqlite", processes, seconds, folder);
    {
      const std::string served = folder + "/served-sqlite" + std::to_string(processes);
      std::filesystem::create_directories(served);
      bench::InitDemoBank(served + "/bank.db");
      const bench::ServedBank service(served + "/bank.db", served, {}, processes);
      // No command from here before the workstations fork: a kept-alive connection of
      // this process would be theirs too. Each signs in with its first command.
      service.Use();
      Run("service-sqlite", processes, seconds, folder);
      bench::ServedBank::Leave();
    }
    if (postgres) {
      const std::string bank =
          "tavro_bench_" + std::to_string(getpid()) + "_" + std::to_string(processes);
      AdminCommand("CREATE DATABASE " + bank + " TEMPLATE tavro_template");
      // The engine as the administrator's tools use it: workstations hold no role.
      const std::string where = "/" + bank + "?host=" + std::getenv("TAVRO_TEST_PG_HOST") +
                                "&port=" + std::getenv("TAVRO_TEST_PG_PORT");
      const std::string url = "postgresql://tavro_admin@" + where;
      setenv("TAVRO_BANK_URL", url.c_str(), 1);
      Run("postgresql", processes, seconds, folder);
      {
        const std::string served = folder + "/served-pg" + std::to_string(processes);
        std::filesystem::create_directories(served);
        const bench::ServedBank service(url, served, "postgresql://tavro_service@" + where,
                                        processes);
        service.Use();
        Run("service-pg", processes, seconds, folder);
        bench::ServedBank::Leave();
      }
      AdminCommand("DROP DATABASE " + bank + " WITH (FORCE)");
    }
  }
  std::filesystem::remove_all(folder);
  return 0;
} catch (const std::exception& e) {
  std::fprintf(stderr, "shared_bank_bench: %s\n", e.what());
  return 1;
}
