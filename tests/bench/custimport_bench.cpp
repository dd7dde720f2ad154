// The customer import of a 100,000-line file through its dialog (read, split, one
// MN_CustSnapIn per line, two log lines per customer) next to the same commands sent
// straight through qelCommand, each against the embedded bank server on a fresh
// demonstration database of its own. Prints lines per second of both and their ratio, then the
// peak memory of imports of 10,000 and 100,000 lines, each in a process of its own,
// with the log's own size beside it. The memo's line append is measured against
// AddLine, which rebuilds the whole text for every line.
//
//   custimport_bench [--lines=N] [benchmark options]
//
// --lines sets the length of the file of the two timed imports (default 100,000).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "customer/CustImport.h"
#include "customer/CustSnapInFrm.h"
#include "frame/HostChannel.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"
#include "sys/TempFolder.h"
#include "tests/bench/BenchBank.h"
#include "ui/Input.h"
#include "ui/headless/HeadlessPlatform.h"

extern char** environ;

namespace {

constexpr int kDefaultLines = 100000;
constexpr HWND_T kShell = 0x42;
constexpr std::int32_t kFunction = 201;  // the customer function, with every right for 000001
constexpr const char* kCorp = "0012";
constexpr const char* kUser = "000001";

// Line n of an import file: a new customer with a Chinese name, its account and bank.
// tag keeps the customers of different runs apart.
class LineMaker {
 public:
  LineMaker()
      : name_(sys::Utf8ToGbk("杭州新光电器有限公司")), bank_(sys::Utf8ToGbk("中国银行杭州分行")) {}
  std::string Line(const std::string& tag, int n) const {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06d", n);
    return tag + digits + "@" + name_ + digits + "@6222" + digits + "@" + bank_;
  }

 private:
  std::string name_;
  std::string bank_;
};

std::string WriteImportFile(const std::string& tag, int lines) {
  std::string path = sys::TempFolder() + "import-" + tag + ".txt";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const LineMaker maker;
  for (int n = 0; n < lines; ++n) {
    out << maker.Line(tag, n) << "\r\n";
  }
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
  return path;
}

// A new tag for every run, so that every run creates new customers.
std::string NextTag(char kind) {
  static int run = 0;
  return std::string(1, kind) + std::to_string(++run) + "-";
}

// Points the host at a new demonstration database of its own for tag, in the private
// folder, and opens it, so that every measured import starts on the same fresh bank
// and none pays for the creation.
void UseFreshDatabase(const std::string& tag) {
  const std::string path = sys::TempFolder() + "bank-" + tag + ".db";
  bench::InitDemoBank(path);
  setenv("TAVRO_BANK_DB", path.c_str(), 1);
  const std::string open =
      std::string(frame::ChannelPrefix(frame::kChannelMain)) + "MN_GetCurrencyCodeList";
  std::vector<char> result(1024);
  char error[128] = {};
  if (qelCommand(kShell, open.c_str(), static_cast<std::int32_t>(open.size()), result.data(),
                 static_cast<std::int32_t>(result.size() - 1), error, 2) != 0) {
    throw std::runtime_error(std::string("cannot open the bank database: ") + error);
  }
}

// The baseline: the commands the dialog would send for the same file, built before the
// clock starts and sent straight to the host library.
void HostCommands(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  std::vector<char> result(1024);
  char error[128] = {};
  for (auto _ : state) {
    state.PauseTiming();
    const std::string tag = NextTag('S');
    UseFreshDatabase(tag);
    const customer::TImportTexts texts = customer::MakeImportTexts();
    const LineMaker maker;
    std::vector<std::string> wires;
    wires.reserve(static_cast<std::size_t>(lines));
    for (int n = 0; n < lines; ++n) {
      wires.push_back(
          std::string(frame::ChannelPrefix(frame::kChannelMain)) +
          customer::SnapInCommand(kFunction, kCorp, kUser,
                                  customer::SplitImportLine(maker.Line(tag, n), texts)));
    }
    state.ResumeTiming();
    for (const std::string& wire : wires) {
      if (qelCommand(kShell, wire.c_str(), static_cast<std::int32_t>(wire.size()), result.data(),
                     static_cast<std::int32_t>(result.size() - 1), error, 2) != 0 ||
          result[0] != '1') {
        state.SkipWithError(error[0] != '\0' ? error : result.data());
        break;
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * lines);
}

// Runs the dialog on fileName as the operator does: import, then close. Returns the
// log's last line.
std::string ImportThroughDialog(const std::string& fileName, std::size_t* logCapacity = nullptr) {
  customer::TCustSnapInFrm form(
      {.ShellWnd = kShell, .CorpNo = kCorp, .UserNo = kUser, .FunctionId = kFunction});
  form.FilenameEdt->SetText(fileName);
  auto* platform = dynamic_cast<ui::HeadlessPlatform*>(&ui::CurrentPlatform());
  platform->SetOperator([&form](ui::TForm&) {
    ui::ClickControl(*form.SaveBtn);
    ui::ClickControl(*form.BitBtn2);
  });
  form.ShowModal();
  platform->SetOperator(nullptr);
  const std::string& log = form.logMmo->Text();
  if (logCapacity != nullptr) {
    *logCapacity = log.capacity();
  }
  const std::size_t lastBreak = log.find_last_of('\n');
  return lastBreak == std::string::npos ? log : log.substr(lastBreak + 1);
}

std::string ExpectedSummary(int lines) {
  return sys::Utf8ToGbk("共导入" + std::to_string(lines) + "笔，失败0笔");
}

void DialogImport(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    const std::string tag = NextTag('D');
    UseFreshDatabase(tag);
    const std::string file = WriteImportFile(tag, lines);
    state.ResumeTiming();
    const std::string summary = ImportThroughDialog(file);
    state.PauseTiming();
    std::filesystem::remove(file);
    state.ResumeTiming();
    if (summary != ExpectedSummary(lines)) {
      state.SkipWithError(("unexpected log end " + sys::GbkToUtf8(summary)).c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * lines);
}

// The memo log written line by line: the in-place append against AddLine.
template <bool kAppend>
void MemoLog(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  const std::string line = sys::Utf8ToGbk("第12345行已经导入，客户代码：D1-012345");
  for (auto _ : state) {
    ui::TMemo memo(nullptr, "logMmo");
    for (int n = 0; n < lines; ++n) {
      if constexpr (kAppend) {
        memo.AppendLine(line);
      } else {
        memo.AddLine(line);
      }
    }
    benchmark::DoNotOptimize(memo.Text().size());
  }
  state.SetItemsProcessed(state.iterations() * lines);
}
void MemoAppendLine(benchmark::State& state) {
  MemoLog<true>(state);
}
void MemoAddLine(benchmark::State& state) {
  MemoLog<false>(state);
}

class RateReporter : public benchmark::ConsoleReporter {
 public:
  RateReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
  // Seconds per run, wall clock and processor, by benchmark name.
  std::map<std::string, std::pair<double, double>> times;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred) {
        times[run.run_name.function_name] = {run.real_accumulated_time / run.iterations,
                                             run.cpu_accumulated_time / run.iterations};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// The peak resident size of this process's memory, in KiB. (getrusage's maximum would
// carry the parent's peak over into a spawned process.)
long PeakRssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) {
      return std::atol(line.c_str() + 6);
    }
  }
  throw std::runtime_error("no VmHWM in /proc/self/status");
}

// In a process of its own: imports lines new customers and prints the growth of the
// peak resident size over the import and the log's size.
int MemoryRun(int lines) {
  const std::string tag = NextTag('M') + std::to_string(lines) + "-";
  UseFreshDatabase(tag);
  const std::string file = WriteImportFile(tag, lines);
  // The platform, the host and the database are set up before the baseline is taken.
  const std::string warmUp = WriteImportFile(NextTag('W'), 1);
  ImportThroughDialog(warmUp);
  std::filesystem::remove(warmUp);
  const long before = PeakRssKiB();
  std::size_t logCapacity = 0;
  const std::string summary = ImportThroughDialog(file, &logCapacity);
  const long after = PeakRssKiB();
  std::filesystem::remove(file);
  if (summary != ExpectedSummary(lines)) {
    std::fprintf(stderr, "unexpected log end %s\n", sys::GbkToUtf8(summary).c_str());
    return 1;
  }
  const long logKiB = static_cast<long>(logCapacity / 1024);
  std::printf(
      "%7d lines: peak resident size grew %6ld KiB; the log holds %6ld KiB; growth less the "
      "log %6ld KiB\n",
      lines, after - before, logKiB, after - before - logKiB);
  return 0;
}

int SpawnMemoryRun(int lines) {
  const std::string count = std::to_string(lines);
  char self[] = "/proc/self/exe";
  char flag[] = "--memory-run";
  std::vector<char> arg(count.begin(), count.end());
  arg.push_back('\0');
  char* argv[] = {self, flag, arg.data(), nullptr};
  pid_t pid = 0;
  std::fflush(stdout);
  if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0) {
    return 1;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

BENCHMARK(MemoAppendLine)->Arg(2500)->Arg(5000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(MemoAddLine)->Arg(2500)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) try {
  const bool memoryRun = argc == 3 && std::strcmp(argv[1], "--memory-run") == 0;
  std::string folder;
  if (!memoryRun) {
    // A private folder for the result files and the databases; the memory runs
    // inherit it.
    folder = std::filesystem::temp_directory_path().string() + "/custimport_bench_XXXXXX";
    if (!mkdtemp(folder.data())) {
      return 1;
    }
    setenv("TAVRO_BANK_DB", (folder + "/bank.db").c_str(), 1);
    setenv("TMPDIR", folder.c_str(), 1);
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
  }
  frame::detail::ForgetTraditionalMode();
  std::unique_ptr<ui::Platform> previous =
      ui::InstallPlatform(std::make_unique<ui::HeadlessPlatform>());
  if (memoryRun) {
    // Only ever on the benchmark's own database, never on the operator's default one.
    if (getenv("TAVRO_BANK_DB") == nullptr) {
      std::fprintf(stderr, "custimport_bench: --memory-run is started by the benchmark itself\n");
      return 2;
    }
    return MemoryRun(std::atoi(argv[2]));
  }

  int lines = kDefaultLines;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--lines=", 8) == 0) {
      lines = std::atoi(argv[i] + 8);
      std::copy(argv + i + 1, argv + argc + 1, argv + i);
      --argc;
      break;
    }
  }
  if (lines <= 0) {
    std::fprintf(stderr, "custimport_bench: --lines takes a positive number\n");
    return 2;
  }
  for (auto* run : {benchmark::RegisterBenchmark("HostCommands", HostCommands),
                    benchmark::RegisterBenchmark("DialogImport", DialogImport)}) {
    run->Arg(lines)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
  }
  benchmark::Initialize(&argc, argv);
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto host = reporter.times.find("HostCommands");
  auto dialog = reporter.times.find("DialogImport");
  if (host != reporter.times.end() && dialog != reporter.times.end() && host->second.first > 0 &&
      dialog->second.first > 0) {
    const auto [hostReal, hostCpu] = host->second;
    const auto [dialogReal, dialogCpu] = dialog->second;
    std::printf(
        "\nImport of %d lines: dialog %.0f lines/s (%.1f s, processor %.1f s), straight "
        "commands %.0f lines/s (%.1f s, processor %.1f s): the dialog takes %.2fx the time "
        "and %.2fx the processor time\n\n",
        lines, lines / dialogReal, dialogReal, dialogCpu, lines / hostReal, hostReal, hostCpu,
        dialogReal / hostReal, dialogCpu / hostCpu);
  }
  int status = 0;
  // The memory runs belong to a whole run, not to one picked by a filter.
  const std::string filter = benchmark::GetBenchmarkFilter();
  if (filter.empty() || filter == "." || filter == "all") {
    for (int count : {10000, kDefaultLines}) {
      status |= SpawnMemoryRun(count);
    }
  }
  benchmark::Shutdown();
  ui::InstallPlatform(std::move(previous));
  std::filesystem::remove_all(folder);
  return status;
} catch (const std::exception& e) {
  std::fprintf(stderr, "custimport_bench: %s\n", e.what());
  return 1;
}
