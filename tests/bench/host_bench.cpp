// The host's cost per command: MN_CustSnapIn imports and customer property reads
// sent through qelCommand, next to the same inserts and reads done straight on
// SQLite with prepared statements, one transaction each, on the same database and
// with the same pragmas. Prints commands per second and the ratio of the two.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/TavroClient.h"
#include "tests/bench/BenchBank.h"

namespace {

constexpr int kCommands = 10000;
constexpr const char* kCorp = "0012";
constexpr const char* kUser = "000001";
constexpr int kCustomerFunction = 201;

std::string Digits(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", n);
  return text;
}

// Sends one command on the main channel; aborts the run on failure.
void Send(const std::string& command, std::vector<char>& result) {
  std::string wire = std::string("A01\x07") + command;
  char error[128] = {};
  if (qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                 static_cast<std::int32_t>(result.size() - 1), error, 2) != 0) {
    throw std::runtime_error(command + ": " + error);
  }
}

// The insert counters go on across repetitions, so every repetition inserts new
// customers.
void HostSnapIn(benchmark::State& state) {
  std::vector<char> result(1024);
  static int n = 0;
  for (auto _ : state) {
    std::string id = "H" + Digits(n++);
    std::string command = "MN_CustSnapIn " + std::to_string(kCustomerFunction);
    command.append(",'").append(kCorp).append("','").append(kUser).append("','").append(id);
    command.append("','6222").append(id).append("','Customer ").append(id);
    command.append("','Bank of ").append(id).append("'");
    Send(command, result);
    if (result[0] != '1') {
      state.SkipWithError(result.data());
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void HostPropRead(benchmark::State& state) {
  std::vector<char> result(1024);
  int n = 0;
  for (auto _ : state) {
    Send(std::string("MN_GetPropOfCustomer '") + kCorp + "','H" + Digits(n++ % kCommands) + "'",
         result);
  }
  state.SetItemsProcessed(state.iterations());
}

// The baseline: one connection with the host's pragmas and prepared statements.
class Direct {
 public:
  Direct() {
    const char* path = getenv("TAVRO_BANK_DB");
    if (sqlite3_open(path, &db_) != SQLITE_OK) {
      throw std::runtime_error("open failed");
    }
    sqlite3_busy_timeout(db_, 5000);
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    Exec("PRAGMA foreign_keys=ON");
    customer_ = Prepare(
        "INSERT INTO customer(corp_id, cust_id, cust_name, operator, status)"
        " VALUES (?, ?, ?, ?, 1)");
    account_ = Prepare(
        "INSERT INTO cust_account(corp_id, cust_id, currency, ac_no, cny_bank, operator,"
        " status) VALUES (?, ?, 'CNY', ?, ?, ?, 1)");
    read_ = Prepare(
        "SELECT cust_id, corp_id, cust_name, name_addr, remark, email, operator, status"
        " FROM customer WHERE corp_id = ? AND cust_id = ?");
    begin_ = Prepare("BEGIN");
    beginWrite_ = Prepare("BEGIN IMMEDIATE");
    commit_ = Prepare("COMMIT");
  }
  ~Direct() {
    for (sqlite3_stmt* s : {customer_, account_, read_, begin_, beginWrite_, commit_}) {
      sqlite3_finalize(s);
    }
    sqlite3_close(db_);
  }

  void Insert(const std::string& id) {
    Step(beginWrite_);
    Bind(customer_, {kCorp, id, "Customer " + id, kUser});
    Step(customer_);
    Bind(account_, {kCorp, id, "6222" + id, "Bank of " + id, kUser});
    Step(account_);
    Step(commit_);
  }

  std::size_t Read(const std::string& id) {
    Step(begin_);
    Bind(read_, {kCorp, id});
    std::size_t bytes = 0;
    if (sqlite3_step(read_) == SQLITE_ROW) {
      for (int i = 0; i < 8; ++i) {
        bytes += static_cast<std::size_t>(sqlite3_column_bytes(read_, i));
      }
    }
    sqlite3_reset(read_);
    Step(commit_);
    return bytes;
  }

 private:
  void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db_));
    }
    return stmt;
  }
  static void Bind(sqlite3_stmt* stmt, const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      sqlite3_bind_text(stmt, static_cast<int>(i + 1), values[i].data(),
                        static_cast<int>(values[i].size()), SQLITE_TRANSIENT);
    }
  }
  void Step(sqlite3_stmt* stmt) {
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
      throw std::runtime_error(sqlite3_errmsg(db_));
    }
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* customer_ = nullptr;
  sqlite3_stmt* account_ = nullptr;
  sqlite3_stmt* read_ = nullptr;
  sqlite3_stmt* begin_ = nullptr;
  sqlite3_stmt* beginWrite_ = nullptr;
  sqlite3_stmt* commit_ = nullptr;
};

void DirectInsert(benchmark::State& state) {
  Direct direct;
  static int n = 0;
  for (auto _ : state) {
    direct.Insert("D" + Digits(n++));
  }
  state.SetItemsProcessed(state.iterations());
}

void DirectRead(benchmark::State& state) {
  Direct direct;
  int n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(direct.Read("D" + Digits(n++ % kCommands)));
  }
  state.SetItemsProcessed(state.iterations());
}

// Collects commands per second and processor time per command by benchmark name for
// the closing comparison. Processor time shows the host's own work also when other
// programs share the disk and every commit's flush waits longer.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  struct Figures {
    double perSecond = 0;
    double cpuPerCommand = 0;
  };
  std::map<std::string, Figures> figures;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto found = run.counters.find("items_per_second");
      if (found != run.counters.end()) {
        figures[run.benchmark_name()] = {found->second, run.GetAdjustedCPUTime()};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

// Inserts first: the reads look up the customers the inserts made.
BENCHMARK(DirectInsert)->Iterations(kCommands)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(HostSnapIn)->Iterations(kCommands)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(DirectRead)->Iterations(kCommands)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(HostPropRead)->Iterations(kCommands)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv) try {
  // A fresh demonstration database in a private folder, unless one is named.
  std::string folder;
  if (!getenv("TAVRO_BANK_DB")) {
    folder = std::filesystem::temp_directory_path().string() + "/host_bench_XXXXXX";
    if (!mkdtemp(folder.data())) {
      return 1;
    }
    setenv("TAVRO_BANK_DB", (folder + "/bank.db").c_str(), 1);
    bench::InitDemoBank(folder + "/bank.db");
  }
  // Opens the database before anything is timed.
  std::vector<char> result(1024);
  Send("MN_GetCurrencyCodeList", result);

  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // With repetitions, the mean of them.
  auto lookup = [&](const std::string& name) {
    auto mean = reporter.figures.find(name + "_mean");
    return mean != reporter.figures.end() ? mean : reporter.figures.find(name);
  };
  auto ratio = [&](const char* label, const char* host, const char* direct) {
    auto h = lookup(host);
    auto d = lookup(direct);
    if (h == reporter.figures.end() || d == reporter.figures.end() || h->second.perSecond <= 0 ||
        d->second.cpuPerCommand <= 0) {
      return;
    }
    std::printf(
        "%-14s host %8.0f commands/s, direct SQLite %8.0f/s: %.2fx the time, %.2fx the "
        "processor time\n",
        label, h->second.perSecond, d->second.perSecond, d->second.perSecond / h->second.perSecond,
        h->second.cpuPerCommand / d->second.cpuPerCommand);
  };
  std::printf("\n");
  ratio("MN_CustSnapIn", "HostSnapIn/iterations:10000/real_time",
        "DirectInsert/iterations:10000/real_time");
  ratio("property read", "HostPropRead/iterations:10000/real_time",
        "DirectRead/iterations:10000/real_time");
  benchmark::Shutdown();
  if (!folder.empty()) {
    std::filesystem::remove_all(folder);
  }
  return 0;
} catch (const std::exception& e) {
  std::fprintf(stderr, "host_bench: %s\n", e.what());
  return 1;
}
