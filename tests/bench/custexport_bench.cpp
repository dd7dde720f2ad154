// The customer export of 100,000 customers: through the dialog (TCustExportFrm on the
// headless platform, the rows copied into the target with "@" between the fields) and,
// as the baseline, the same MN_CustExport command sent straight through qelFileGet,
// both against the embedded bank server on one database. Prints lines per second of
// both and their ratio.
//
// The same command through the bank's service (tavro-bank serve over the same bank
// file), against the embedded bank: the time of both and their ratio.
//
// Then the peak memory of one export in a process of its own, for 10,000 and 100,000
// customers: the host's command alone, the dialog's whole export, and the dialog's copy
// of a result file alone. The copy reads and writes in bounded pieces, so its peak stays
// the same whatever the number of customers. Last the service's peak after one export of
// each: it streams the answer, so the two stay close.
//
//   custexport_bench [benchmark options]
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "customer/CustExportFile.h"
#include "customer/CustExportFrm.h"
#include "frame/HostChannel.h"
#include "host/TavroClient.h"
#include "tests/bench/BenchBank.h"
#include "ui/Input.h"
#include "ui/headless/HeadlessPlatform.h"

extern char** environ;

namespace {

constexpr int kCustomers = 100000;
constexpr int kFewCustomers = 10000;
constexpr HWND_T kShell = 0x42;
constexpr const char* kCommand = "A01\x07MN_CustExport '0012',0 ";
// The demonstration bank's own CNY accounts of corporation 0012.
constexpr int kDemoRows = 2;

std::string g_folder;                          // the private folder of the run
const bench::ServedBank* g_service = nullptr;  // the service over the large bank

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::string text = error != nullptr ? error : "sqlite error";
    sqlite3_free(error);
    throw std::runtime_error(text);
  }
}

void Step(sqlite3* db, sqlite3_stmt* stmt) {
  if (sqlite3_step(stmt) != SQLITE_DONE) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
  sqlite3_reset(stmt);
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
  return stmt;
}

// Makes the demonstration bank at path and adds count customers of corporation 0012,
// each with one CNY account.
void MakeBank(const std::string& path, int count) {
  bench::InitDemoBank(path);
  setenv("TAVRO_BANK_DB", path.c_str(), 1);
  std::vector<char> result(1024);
  char error[128] = {};
  const std::string open = "A01\x07MN_GetCurrencyCodeList";
  if (qelCommand(0, open.c_str(), static_cast<std::int32_t>(open.size()), result.data(), 1023,
                 error, 2) != 0) {
    throw std::runtime_error(error);
  }
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
    throw std::runtime_error("cannot open the bank database");
  }
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> guard(db, sqlite3_close);
  sqlite3_busy_timeout(db, 5000);
  Exec(db, "BEGIN IMMEDIATE");
  sqlite3_stmt* customer =
      Prepare(db,
              "INSERT INTO customer(corp_id, cust_id, cust_name, operator) VALUES ('0012', ?, ?,"
              " '000001')");
  sqlite3_stmt* account =
      Prepare(db,
              "INSERT INTO cust_account(corp_id, cust_id, currency, ac_no, cny_bank, operator)"
              " VALUES ('0012', ?, 'CNY', ?, ?, '000001')");
  for (int i = 0; i < count; ++i) {
    char id[16];
    std::snprintf(id, sizeof id, "B%07d", i);
    const std::string name = "测试客户有限公司" + std::to_string(i);
    const std::string acNo = "62220200" + std::to_string(1000000000 + i);
    const std::string bank = "中国工商银行北京分行第" + std::to_string(i % 100) + "支行";
    sqlite3_bind_text(customer, 1, id, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(customer, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    Step(db, customer);
    sqlite3_bind_text(account, 1, id, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(account, 2, acNo.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(account, 3, bank.c_str(), -1, SQLITE_TRANSIENT);
    Step(db, account);
  }
  sqlite3_finalize(customer);
  sqlite3_finalize(account);
  Exec(db, "COMMIT");
}

// The command straight through the host library into a result file.
void HostFile(const std::string& file) {
  char error[128] = {};
  if (qelFileGet(kShell, kCommand, static_cast<std::int32_t>(std::strlen(kCommand)), file.c_str(),
                 error, 2) != 0) {
    throw std::runtime_error(error);
  }
}

// One export through the dialog, as the operator runs it, into target (which must not
// exist: no overwrite question). Returns the transcript's message lines.
std::vector<std::string> DialogExport(ui::HeadlessPlatform& platform, const std::string& target) {
  const std::size_t before = platform.Transcript().size();
  customer::TCustExportFrm form({.ShellWnd = kShell, .CorpNo = "0012"});
  platform.SetOperator([&](ui::TForm&) {
    form.separatorEdt->SetText("@");
    form.FilenameEdit1->SetText(target);
    ui::ClickControl(*form.BitBtn1);
  });
  form.ShowModal();
  platform.SetOperator(nullptr);
  std::vector<std::string> messages;
  for (std::size_t i = before; i < platform.Transcript().size(); ++i) {
    const std::string& line = platform.Transcript()[i];
    if (line.rfind("message", 0) == 0 || line.rfind("error", 0) == 0) {
      messages.push_back(line);
    }
  }
  return messages;
}

std::size_t CountLines(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return 0;
  }
  std::size_t lines = 0;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    lines += c == '\n' ? 1 : 0;
  }
  std::fclose(file);
  return lines;
}

// The command through the host library into file, each run's rows counted outside the
// clock.
void ExportRuns(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    HostFile(file);
    state.PauseTiming();
    const std::size_t lines = CountLines(file);
    std::filesystem::remove(file);
    state.ResumeTiming();
    if (lines != kCustomers + kDemoRows) {
      state.SkipWithError(("unexpected rows: " + std::to_string(lines)).c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * (kCustomers + kDemoRows));
}

void HostExport(benchmark::State& state) {
  ExportRuns(state, g_folder + "/host-rows");
}

void ServiceExport(benchmark::State& state) {
  g_service->Use();
  ExportRuns(state, g_folder + "/service-rows");
  bench::ServedBank::Leave();
}

void DialogExportRun(benchmark::State& state) {
  auto* platform = new ui::HeadlessPlatform();
  std::unique_ptr<ui::Platform> previous =
      ui::InstallPlatform(std::unique_ptr<ui::Platform>(platform));
  const std::string target = g_folder + "/export.txt";
  for (auto _ : state) {
    const std::vector<std::string> messages = DialogExport(*platform, target);
    state.PauseTiming();
    const std::size_t lines = CountLines(target);
    std::filesystem::remove(target);
    state.ResumeTiming();
    if (messages.size() != 1 || messages[0].find("导出成功") == std::string::npos ||
        lines != kCustomers + kDemoRows) {
      state.SkipWithError(("export failed: " + (messages.empty() ? "" : messages.back()) +
                           " rows " + std::to_string(lines))
                              .c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * (kCustomers + kDemoRows));
  ui::InstallPlatform(std::move(previous));
}

class RateReporter : public benchmark::ConsoleReporter {
 public:
  RateReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
  struct Times {
    double real = 0;  // milliseconds per run, summed over the repetitions
    double cpu = 0;
    int runs = 0;
  };
  // Per benchmark, over its repetitions (the aggregates are left out).
  std::map<std::string, Times> times;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
        Times& t = times[run.run_name.function_name];
        t.real += run.GetAdjustedRealTime();
        t.cpu += run.GetAdjustedCPUTime();
        ++t.runs;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// ---------------------------------------------------------------------------------------
// Peak memory, each export in a process of its own.

// The process's own peak resident memory in KiB (VmHWM: a new program starts its own
// count, unlike the rusage of a spawned child, which carries the parent's).
long OwnPeak() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) {
    return -1;
  }
  char line[256];
  long peak = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &peak) == 1) {
      break;
    }
  }
  std::fclose(status);
  return peak;
}

// The child: one export of the kind asked for, then its peak on standard output.
int PeakChild(const std::string& kind, const std::string& arg) {
  if (kind == "host") {
    HostFile(arg);
  } else if (kind == "dialog") {
    auto* platform = new ui::HeadlessPlatform();
    ui::InstallPlatform(std::unique_ptr<ui::Platform>(platform));
    const std::vector<std::string> messages = DialogExport(*platform, arg);
    if (messages.size() != 1 || messages[0].find("导出成功") == std::string::npos) {
      return 2;
    }
  } else if (kind == "copy") {
    customer::WriteExportFile(arg, arg + ".txt", "@");
  } else {
    return 2;
  }
  std::printf("%ld\n", OwnPeak());
  return 0;
}

// Peak resident memory in KiB of a process doing kind on arg, with the bank at db.
long PeakOf(const std::string& kind, const std::string& arg, const std::string& db) {
  setenv("TAVRO_BANK_DB", db.c_str(), 1);
  std::vector<std::string> args = {"custexport_bench", "--peak", kind, arg};
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& a : args) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);
  int out[2];
  if (::pipe(out) != 0) {
    throw std::runtime_error("cannot make a pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0) {
    ::close(out[0]);
    throw std::runtime_error("cannot start the measuring process");
  }
  std::string text;
  char buffer[64];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("the " + kind + " export failed in its own process");
  }
  return std::stol(text);
}

// The service's peak after one export, each bank served by a fresh service.
void ReportServicePeaks(const std::map<int, std::string>& banks) {
  std::printf("\nPeak resident memory of the service after one export through it (KiB):\n");
  long first = -1;
  for (const auto& [count, db] : banks) {
    const std::string folder = g_folder + "/peak-service-" + std::to_string(count);
    std::filesystem::create_directories(folder);
    const bench::ServedBank service(db, folder);
    service.Use();
    HostFile(folder + "/rows");
    bench::ServedBank::Leave();
    const long peak = service.PeakKib();
    std::printf("%10d customers %12ld", count, peak);
    if (first < 0) {
      first = peak;
      std::printf("\n");
    } else {
      std::printf("  (%+.1f MB against the first)\n", static_cast<double>(peak - first) / 1024.0);
    }
  }
}

void ReportPeaks(const std::map<int, std::string>& banks) {
  std::printf("\nPeak resident memory of one export in a process of its own (KiB):\n");
  std::printf("%10s %12s %12s %12s\n", "customers", "host alone", "dialog", "copy alone");
  for (const auto& [count, db] : banks) {
    const std::string rows = g_folder + "/rows-" + std::to_string(count);
    const long host = PeakOf("host", rows, db);  // leaves the result for the copy
    const long copy = PeakOf("copy", rows, db);
    const long dialog = PeakOf("dialog", rows + "-dialog.txt", db);
    std::printf("%10d %12ld %12ld %12ld\n", count, host, dialog, copy);
  }
}

}  // namespace

BENCHMARK(HostExport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(ServiceExport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(DialogExportRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

int main(int argc, char** argv) try {
  if (argc == 4 && std::strcmp(argv[1], "--peak") == 0) {
    return PeakChild(argv[2], argv[3]);
  }
  // A fresh result folder and demonstration banks in a private folder.
  g_folder = std::filesystem::temp_directory_path().string() + "/custexport_bench_XXXXXX";
  if (!mkdtemp(g_folder.data())) {
    return 1;
  }
  setenv("TMPDIR", g_folder.c_str(), 1);
  setenv("LC_ALL", "zh_CN.UTF-8", 1);
  frame::detail::ForgetTraditionalMode();
  const std::map<int, std::string> banks = {{kFewCustomers, g_folder + "/bank-few.db"},
                                            {kCustomers, g_folder + "/bank.db"}};
  for (const auto& [count, db] : banks) {
    MakeBank(db, count);
  }
  setenv("TAVRO_BANK_DB", banks.at(kCustomers).c_str(), 1);
  std::filesystem::create_directories(g_folder + "/service");
  const bench::ServedBank service(banks.at(kCustomers), g_folder + "/service");
  g_service = &service;

  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto host = reporter.times.find("HostExport");
  auto dialog = reporter.times.find("DialogExportRun");
  if (host != reporter.times.end() && dialog != reporter.times.end() && host->second.real > 0) {
    const double rows = kCustomers + kDemoRows;
    const double hostMs = host->second.real / host->second.runs;
    const double hostCpu = host->second.cpu / host->second.runs;
    const double dialogMs = dialog->second.real / dialog->second.runs;
    const double dialogCpu = dialog->second.cpu / dialog->second.runs;
    std::printf(
        "\nExport of %d customers (mean of %d repetitions): dialog %.1f ms (%.0f lines/s, "
        "processor %.1f ms), host library %.1f ms (%.0f lines/s, processor %.1f ms): the dialog "
        "takes %.2fx the time, %.2fx the processor time\n",
        kCustomers, dialog->second.runs, dialogMs, rows / dialogMs * 1000.0, dialogCpu, hostMs,
        rows / hostMs * 1000.0, hostCpu, dialogMs / hostMs, dialogCpu / hostCpu);
  }
  auto served = reporter.times.find("ServiceExport");
  if (host != reporter.times.end() && served != reporter.times.end() && host->second.real > 0) {
    const double hostMs = host->second.real / host->second.runs;
    const double servedMs = served->second.real / served->second.runs;
    std::printf("Through the service: %.1f ms against the embedded bank's %.1f ms: %.2fx\n",
                servedMs, hostMs, servedMs / hostMs);
  }
  ReportPeaks(banks);
  ReportServicePeaks(banks);
  benchmark::Shutdown();
  std::filesystem::remove_all(g_folder);
  return 0;
} catch (const std::exception& e) {
  std::fprintf(stderr, "custexport_bench: %s\n", e.what());
  if (!g_folder.empty()) {
    std::filesystem::remove_all(g_folder);
  }
  return 1;
}
