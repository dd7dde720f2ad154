// The SWIFT bank search as the operator uses it: one search answering 50,000 directory
// rows filled into the result list, then 1,000 selection changes each looking the bank
// up. Measured through the dialog (ShowSwiftSearch on the headless platform) and, as
// the baseline, as the same commands sent straight through the host library, both
// against the embedded bank server on one database. Prints the ratio of the two.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "frame/HostChannel.h"
#include "host/TavroClient.h"
#include "payee/SwfSearchFrm.h"
#include "sys/TempFolder.h"
#include "tests/bench/BenchBank.h"
#include "ui/Input.h"
#include "ui/headless/HeadlessPlatform.h"

namespace {

constexpr int kBanks = 50000;
constexpr int kSelections = 1000;
constexpr int kStride = kBanks / kSelections;
constexpr HWND_T kShell = 0x42;
constexpr const char* kSearchCode = "TB";

// Directory codes TBxxxxSHXXX, xxxx counting in base 36: every one matches the search.
std::string BankCode(int n) {
  const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string code = "TB0000SHXXX";
  for (int pos = 5; pos >= 2; --pos, n /= 36) {
    code[static_cast<std::size_t>(pos)] = digits[n % 36];
  }
  return code;
}

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::string text = error != nullptr ? error : "sqlite error";
    sqlite3_free(error);
    throw std::runtime_error(text);
  }
}

// Fills the directory of the bank database with kBanks entries.
void FillDirectory(const char* path) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path, &db) != SQLITE_OK) {
    throw std::runtime_error("cannot open the bank database");
  }
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> guard(db, sqlite3_close);
  sqlite3_busy_timeout(db, 5000);
  Exec(db, "BEGIN IMMEDIATE");
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_prepare_v2(db,
                         "INSERT INTO swift_bank(swift_code, bank_name, addr1, addr2, addr3, "
                         "addr4, city) VALUES (?, ?, ?, 'Financial Street', 'Xicheng', 'China',"
                         " 'Beijing')",
                         -1, &insert, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
  for (int i = 0; i < kBanks; ++i) {
    const std::string code = BankCode(i);
    const std::string name = "Test Bank " + std::to_string(i);
    const std::string addr = "No " + std::to_string(i) + " Main Road";
    sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 3, addr.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(insert) != SQLITE_DONE) {
      sqlite3_finalize(insert);
      throw std::runtime_error(sqlite3_errmsg(db));
    }
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "COMMIT");
}

// The baseline: the search into a result file and the lookups of the same lines the
// dialog selects, sent straight to the host library.
void HostCommands(benchmark::State& state) {
  const std::string search = std::string("A01\x07MB_GetSwiftBankBySwfCode '") + kSearchCode + "'";
  std::vector<std::string> lookups;
  lookups.reserve(kSelections);
  for (int i = 0; i < kSelections; ++i) {
    // The dialog's lookup of line i * kStride: the directory's code in its 11 characters.
    lookups.push_back("A01\x07MB_GetSwfAddress '" + BankCode(i * kStride) + "'");
  }
  const std::string file = sys::TempFolder() + "host_bench_rows";
  std::vector<char> result(1024);
  char error[128] = {};
  for (auto _ : state) {
    if (qelFileGet(kShell, search.c_str(), static_cast<std::int32_t>(search.size()), file.c_str(),
                   error, 2) != 0) {
      state.SkipWithError(error);
      break;
    }
    std::filesystem::remove(file);
    for (const std::string& lookup : lookups) {
      if (qelCommand(kShell, lookup.c_str(), static_cast<std::int32_t>(lookup.size()),
                     result.data(), static_cast<std::int32_t>(result.size() - 1), error, 2) != 0 ||
          result[0] == '\0') {
        state.SkipWithError("lookup failed");
        break;
      }
    }
  }
}

// The dialog: ShowSwiftSearch with the code, the operator walking the list and
// choosing the last bank.
void DialogSearch(benchmark::State& state) {
  auto* platform = new ui::HeadlessPlatform();
  std::unique_ptr<ui::Platform> previous =
      ui::InstallPlatform(std::unique_ptr<ui::Platform>(platform));
  std::size_t rows = 0;
  platform->SetOperator([&rows](ui::TForm& form) {
    auto& dialog = dynamic_cast<payee::TSwfSearchFrm&>(form);
    rows = dialog.BankNameLbx->Items().size();
    for (int i = 0; i < kSelections; ++i) {
      ui::SelectItem(*dialog.BankNameLbx, i * kStride);
    }
    ui::ClickControl(*dialog.YesBtn);
  });
  // Lines begin with the 12-character address: the terminal letter A after the bank,
  // country and location.
  const std::string last = BankCode((kSelections - 1) * kStride);
  const std::string expected = last.substr(0, 8) + "A" + last.substr(8);
  for (auto _ : state) {
    const std::string chosen = payee::ShowSwiftSearch(kShell, kSearchCode);
    if (chosen != expected || rows != static_cast<std::size_t>(kBanks)) {
      state.SkipWithError(("unexpected result " + chosen).c_str());
      break;
    }
  }
  for (const std::string& line : platform->Transcript()) {
    if (line.rfind("message", 0) == 0 || line.rfind("error", 0) == 0) {
      state.SkipWithError(line.c_str());
      break;
    }
  }
  ui::InstallPlatform(std::move(previous));
}

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a saved run reads as text.
  TimeReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
  // Milliseconds per run, wall clock and processor; the processor time holds steady
  // when other programs share the machine.
  std::map<std::string, std::pair<double, double>> times;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred) {
        times[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

BENCHMARK(HostCommands)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(DialogSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

int main(int argc, char** argv) try {
  // A fresh demonstration database and result folder in a private folder.
  std::string folder = std::filesystem::temp_directory_path().string() + "/payee_bench_XXXXXX";
  if (!mkdtemp(folder.data())) {
    return 1;
  }
  setenv("TAVRO_BANK_DB", (folder + "/bank.db").c_str(), 1);
  setenv("TMPDIR", folder.c_str(), 1);
  setenv("LC_ALL", "zh_CN.UTF-8", 1);
  frame::detail::ForgetTraditionalMode();
  // Creates and opens the database before the directory is filled.
  bench::InitDemoBank(folder + "/bank.db");
  std::vector<char> result(1024);
  char error[128] = {};
  const std::string open = "A01\x07MN_GetCurrencyCodeList";
  if (qelCommand(0, open.c_str(), static_cast<std::int32_t>(open.size()), result.data(), 1023,
                 error, 2) != 0) {
    throw std::runtime_error(error);
  }
  FillDirectory((folder + "/bank.db").c_str());

  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto host = reporter.times.find("HostCommands");
  auto dialog = reporter.times.find("DialogSearch");
  if (host != reporter.times.end() && dialog != reporter.times.end() && host->second.first > 0 &&
      host->second.second > 0) {
    const auto [hostReal, hostCpu] = host->second;
    const auto [dialogReal, dialogCpu] = dialog->second;
    std::printf(
        "\nSWIFT search of %d rows and %d selections: dialog %.1f ms (processor %.1f ms), host "
        "library %.1f ms (processor %.1f ms): %.2fx the time, %.2fx the processor time\n",
        kBanks, kSelections, dialogReal, dialogCpu, hostReal, hostCpu, dialogReal / hostReal,
        dialogCpu / hostCpu);
  }
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
} catch (const std::exception& e) {
  std::fprintf(stderr, "payee_bench: %s\n", e.what());
  return 1;
}
