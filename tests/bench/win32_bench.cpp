// The Win32 platform next to the headless one in the same run, both under Wine, and the
// compiled-in Big5 tables: the user dialog opened with its business rights on over a
// function tree of 2,500 nodes (argument 50) and of 50 (argument 1, what a window costs
// whatever the tree), up to the window's paint with the tree; a list view filled with
// 100,000 rows (and 100) and painted; ToUserText over 10 MiB of GBK text (and 64 KiB).
//
// Both platforms run the same model work through the script engine's runner with an
// operator function and no script: headless nothing shows the form, on Win32 the
// form's window is made, brought in step after the operator acted and painted before
// the form closes. What Win32 adds is the windows and their paint; a list view asks for
// the rows it paints only (its items are the model's), so its cost per row should stay
// a small fraction of the model's own. The heap in use per row of a filled list (all the
// process's heaps), walked once outside the timing, is a counter of each fill.
//
// After the runs the ratios Win32 / headless of the larger sizes are printed with their
// goals; scripts/bench-windows.sh sets ToUserText's time beside ICU's on Linux.
// The Win32 API without the macros that would rename the model's members: first.
#include "ui/win32/WinApi.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frame/HostChannel.h"
#include "frame/ListViewFill.h"
#include "frame/ManageEdit.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "tests/bench/GbkSample.h"
#include "ui/Controls.h"
#include "ui/Input.h"
#include "ui/headless/HeadlessPlatform.h"
#include "ui/script/ScriptRunner.h"
#include "ui/win32/Win32Desktop.h"

namespace {

constexpr int kTopNodes = 50;
constexpr int kChildren = 49;  // 50 * (1 + 49) = 2,500 nodes
constexpr int kRows = 100000;
constexpr std::size_t kTextBytes = std::size_t{10} << 20;
constexpr HWND_T kShell = 0x51;

// The function tree as the server sends it: top nodes with one level of children.
std::string MakeOutline(int topNodes) {
  std::string out;
  const std::string group = sys::Utf8ToGbk("功能组");
  const std::string function = sys::Utf8ToGbk("业务功能");
  for (int top = 1; top <= topNodes; ++top) {
    out += std::to_string(top) + ":" + group + "\r\n";
    for (int child = 1; child <= kChildren; ++child) {
      out += "\t" + std::to_string(top * 1000 + child) + ":" + function + "\r\n";
    }
  }
  return out;
}

// A review-list row as the server writes it: number, name, amount, time, state.
std::string Row(int i) {
  static const std::string name = sys::Utf8ToGbk("上海浦东发展银行股份有限公司");
  return "B" + std::to_string(20260000000 + i) + "\x07" + name + "\x07" +
         std::to_string(i % 100000) + ".25\x07" + "2026-12-06 10:00:00\x07" + (i % 2 ? "1" : "0") +
         "\r\n";
}

// A private folder as the current folder and TMP, with the language setting the user
// dialog reads.
struct Fixture {
  std::filesystem::path folder;

  Fixture() {
    wchar_t temp[MAX_PATH];
    if (GetTempPathW(MAX_PATH, temp) == 0) {
      std::abort();
    }
    folder = std::filesystem::path(temp) /
             ("tavro-win32-bench-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    _wputenv_s(L"TMP", folder.c_str());
    _wputenv_s(L"TEMP", folder.c_str());
    sys::WriteFileBytes("Tavro2007.ini", "[Settings]\r\nLangId=CN\r\n");
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::current_path(folder.parent_path(), ignored);
    std::filesystem::remove_all(folder, ignored);
  }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

// The host's answers to the user dialog's commands (GBK); every other command gets an
// empty answer.
const std::map<std::string, std::string>& Answers() {
  static const std::map<std::string, std::string> answers = {
      {"MN_GetPropOfUser '000001'", sys::Utf8ToGbk("000001\a0012\aD\a王建国\a演示贸易有限公司\a2")},
      {"MN_GetPropOfUser '000002'", sys::Utf8ToGbk("000002\a0012\aO\a李明\a演示\a2")},
      {"MN_GetUserCorpList 'CN','000002'", "0012 Demo\r\n"},
      {"Sh_GetNodeRight '0012','000001',101", "11111000"},
      {"MN_GetNodeRightList '0012','000002'", "[Right]\r\n1=10000000\r\n1001=11110000\r\n"},
      {"Sh_GetViewNodeList", sys::Utf8ToGbk("1:功能组\r\n\t1001:业务功能\r\n")},
  };
  return answers;
}

}  // namespace

// The host library the module calls, answering from Answers(): an exact command, or the
// start of one up to its first blank.
extern "C" std::int32_t TAVRO_STDCALL qelCommand(HWND_T /*window*/, const char* command,
                                                 std::int32_t length, char* result,
                                                 std::int32_t capacity, char* error,
                                                 std::int32_t /*mode*/) {
  std::string sent(command, length > 0 ? static_cast<std::size_t>(length) : 0);
  // A channel's prefix ("A01" 0x07) is not part of the command.
  if (sent.size() >= 4 && sent[3] == '\x07') {
    sent.erase(0, 4);
  }
  auto found = Answers().find(sent);
  if (found == Answers().end()) {
    found = Answers().find(sent.substr(0, sent.find(' ')));
  }
  const std::string answer = found == Answers().end() ? std::string() : found->second;
  if (result != nullptr && capacity >= 0) {
    const std::size_t n = std::min(answer.size(), static_cast<std::size_t>(capacity));
    std::memcpy(result, answer.data(), n);
    result[n] = '\0';
  }
  if (error != nullptr) {
    error[0] = '\0';
  }
  return 0;
}

extern "C" std::int32_t TAVRO_STDCALL qelFileGet(HWND_T /*window*/, const char* /*command*/,
                                                 std::int32_t /*length*/, const char* /*file*/,
                                                 char* error, std::int32_t /*mode*/) {
  static constexpr char kNoFile[] = "bench host: no files";
  if (error != nullptr) {
    std::memcpy(error, kNoFile, sizeof kNoFile);
  }
  return 1;
}

namespace {

// The platform installed for one benchmark, the previous one put back afterwards.
class Installed {
 public:
  explicit Installed(std::unique_ptr<ui::Platform> platform)
      : previous_(ui::InstallPlatform(std::move(platform))) {}
  ~Installed() { ui::InstallPlatform(std::move(previous_)); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  std::unique_ptr<ui::Platform> previous_;
};

// One platform with an operator function: each form as it opens is acted on, shown as
// it then is, and closed without its close query.
class Bench {
 public:
  using Act = std::function<void(ui::TForm&)>;
  virtual ~Bench() = default;
  virtual void SetAct(Act act) = 0;
  // Called after each act and the platform's paint, before the form closes.
  void SetShown(std::function<void()> shown) { shown_ = std::move(shown); }

 protected:
  void Shown() const {
    if (shown_) {
      shown_();
    }
  }

 private:
  std::function<void()> shown_;
};

class HeadlessBench : public Bench {
 public:
  HeadlessBench() {
    auto platform = std::make_unique<ui::HeadlessPlatform>();
    platform_ = platform.get();
    installed_ = std::make_unique<Installed>(std::move(platform));
  }
  void SetAct(Act act) override {
    platform_->SetOperator([this, act](ui::TForm& form) {
      act(form);
      Shown();
      form.OnCloseQuery = nullptr;
      form.SetModalResult(ui::mrCancel);
    });
  }

 private:
  ui::HeadlessPlatform* platform_;
  std::unique_ptr<Installed> installed_;
};

// On Win32 the window is brought in step with what the operator did and painted: what
// the system queued for it is handled, then whatever is left invalid is painted now.
class Win32Bench : public Bench {
 public:
  Win32Bench() {
    auto runner = std::make_unique<ui::ScriptRunner>();
    runner_ = runner.get();
    auto desktop = std::make_unique<ui::win32::Win32Desktop>(std::move(runner));
    desktop_ = desktop.get();
    installed_ = std::make_unique<Installed>(std::move(desktop));
  }
  void SetAct(Act act) override {
    runner_->SetOperator([this, act](ui::TForm& form) {
      act(form);
      desktop_->ProcessPendingEvents();
      ui::win32::FormWindow* window = desktop_->TopWindow();
      if (window == nullptr || &window->Form() != &form) {
        std::abort();
      }
      RedrawWindow(window->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      Shown();
      form.OnCloseQuery = nullptr;
      form.SetModalResult(ui::mrCancel);
    });
  }

 private:
  ui::ScriptRunner* runner_;
  ui::win32::Win32Desktop* desktop_;
  std::unique_ptr<Installed> installed_;
};

// The operator switches business rights on. The host's answer for the tree is read
// into a buffer that holds a few hundred nodes, so the whole tree is then loaded as a
// larger buffer would have given it.
void RightsOn(ui::TForm& form, const std::string& outline, std::size_t& nodes) {
  auto* box = ui::FindAs<ui::TCheckBox>(form, "UserViewNodeCkb");
  auto* tree = ui::FindAs<ui::TTreeView>(form, "MainDirTrv");
  if (box == nullptr || tree == nullptr) {
    std::abort();
  }
  ui::ClickControl(*box);
  tree->LoadOutline(outline);
  nodes = tree->Nodes().size();
}

template <class Platform>
void BM_UserDialogWithTree(benchmark::State& state) {
  Data();
  Platform platform;
  std::size_t nodes = 0;
  const std::string outline = MakeOutline(static_cast<int>(state.range(0)));
  platform.SetAct([&](ui::TForm& form) { RightsOn(form, outline, nodes); });
  for (auto _ : state) {
    TShellResult result{};
    Mn_UserEdit(&result, kShell, "0012", "000001", 101, "000002", "");
    benchmark::DoNotOptimize(result);
  }
  if (nodes != static_cast<std::size_t>(state.range(0) * (1 + kChildren))) {
    std::fprintf(stderr, "the tree holds %zu nodes\n", nodes);
    std::abort();
  }
  state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK_TEMPLATE(BM_UserDialogWithTree, HeadlessBench)
    ->Arg(1)
    ->Arg(kTopNodes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_UserDialogWithTree, Win32Bench)
    ->Arg(1)
    ->Arg(kTopNodes)
    ->Unit(benchmark::kMillisecond);

// A form with one list view in report style over its whole client area.
class TFolderFrm : public ui::TForm {
 public:
  TFolderFrm() : TForm(nullptr, "FolderFrm") {
    SetCaption("Folder");
    SetBounds(0, 0, 640, 480);
    FolderLsv = ui::Create<ui::TListView>(this, this, "FolderLsv");
    FolderLsv->SetAlign(ui::alClient);
    FolderLsv->SetRowSelect(true);
    for (const char* title : {"Number", "Name", "Amount", "Time", "State"}) {
      FolderLsv->AddColumn({title, 120, ui::taLeftJustify});
    }
  }
  const char* ClassName() const override { return "TFolderFrm"; }
  ui::TListView* FolderLsv;
};

// The bytes in use in all the process's heaps (the C library's, and the process heap the
// common controls allocate from), walked block by block.
std::size_t HeapInUse() {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 8);
  const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count == 0 || count > heaps.size()) {
    std::abort();
  }
  std::size_t used = 0;
  for (DWORD i = 0; i < count; ++i) {
    HeapLock(heaps[i]);
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry)) {
      if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
        used += entry.cbData;
      }
    }
    const DWORD stopped = GetLastError();
    HeapUnlock(heaps[i]);
    if (stopped != ERROR_NO_MORE_ITEMS) {
      std::fprintf(stderr, "the heap walk stopped with error %lu\n", stopped);
      std::abort();
    }
  }
  return used;
}

template <class Platform>
void BM_FillListView(benchmark::State& state) {
  Data();
  const auto rows = static_cast<int>(state.range(0));
  const std::filesystem::path rowsFile = Data().folder / ("rows-" + std::to_string(rows) + ".txt");
  if (!std::filesystem::exists(rowsFile)) {
    std::string text;
    for (int i = 0; i < rows; ++i) {
      text += Row(i);
    }
    sys::WriteFileBytes(rowsFile.string(), text);
  }
  Platform platform;
  const std::filesystem::path file = Data().folder / "view.txt";
  platform.SetAct([&](ui::TForm& form) {
    auto& list = *static_cast<TFolderFrm&>(form).FolderLsv;
    frame::LoadListViewRows(list, file.string());
    if (list.Items().size() != static_cast<std::size_t>(rows)) {
      std::fprintf(stderr, "the list holds %zu rows\n", list.Items().size());
      std::abort();
    }
  });
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(rowsFile, file, std::filesystem::copy_options::overwrite_existing);
    TFolderFrm form;
    state.ResumeTiming();
    form.ShowModal();
  }
  // The heap the filled list (and its window) holds: one more fill, untimed, walked
  // after the paint and before the form closes.
  std::size_t before = 0;
  std::size_t grown = 0;
  platform.SetShown([&] { grown = HeapInUse() - before; });
  std::filesystem::copy_file(rowsFile, file, std::filesystem::copy_options::overwrite_existing);
  {
    TFolderFrm form;
    before = HeapInUse();
    form.ShowModal();
  }
  if (grown == 0) {
    std::abort();  // the walk saw no fill
  }
  state.counters["heap_bytes_per_row"] = static_cast<double>(grown) / rows;
  state.counters["rows"] = rows;
}
BENCHMARK_TEMPLATE(BM_FillListView, HeadlessBench)
    ->Arg(100)
    ->Arg(kRows)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_FillListView, Win32Bench)
    ->Arg(100)
    ->Arg(kRows)
    ->Unit(benchmark::kMillisecond);

// GBK to Big5 with the Traditional mapping, from the compiled-in tables.
void BM_ToUserText(benchmark::State& state) {
  const std::string text = bench::GbkSampleText(static_cast<std::size_t>(state.range(0)));
  std::string out;
  for (auto _ : state) {
    out = frame::ToUserText(text);
    benchmark::DoNotOptimize(out.data());
  }
  // The sample opens with a payee's name label, in Traditional characters in Big5.
  if (out.rfind(sys::ConvertText("收款人名稱：", sys::CodePage::Utf8, sys::CodePage::Big5), 0) !=
      0) {
    std::fprintf(stderr, "ToUserText gave no Traditional Big5 text\n");
    std::abort();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ToUserText)->Arg(64 << 10)->Arg(kTextBytes)->Unit(benchmark::kMillisecond);

// The console's report, keeping each run's wall-clock and processor seconds per
// iteration by name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  struct Seconds {
    double Wall;
    double Processor;
  };
  std::map<std::string, Seconds> seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.run_type == Run::RT_Iteration && run.iterations > 0) {
        const auto n = static_cast<double>(run.iterations);
        seconds[run.benchmark_name()] = {run.real_accumulated_time / n,
                                         run.cpu_accumulated_time / n};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// "ratio NAME: X wall clock (goal at most G: met), Y processor" when both runs were
// made. The wall clock is what the goal is on: the windows' work is shared with the
// Wine server and the X server, whose time is not this process's.
void PrintRatio(const RatioReporter& reporter, const char* name, const std::string& measured,
                const std::string& baseline, double goal) {
  const auto a = reporter.seconds.find(measured);
  const auto b = reporter.seconds.find(baseline);
  if (a == reporter.seconds.end() || b == reporter.seconds.end() || b->second.Wall <= 0 ||
      b->second.Processor <= 0) {
    return;
  }
  const double wall = a->second.Wall / b->second.Wall;
  const double processor = a->second.Processor / b->second.Processor;
  std::printf("ratio %s: %.2f wall clock (goal at most %.1f: %s), %.2f processor\n", name, wall,
              goal, wall <= goal ? "met" : "MISSED", processor);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const std::string tree = "BM_UserDialogWithTree<";
  const std::string fill = "BM_FillListView<";
  const std::string nodes = ">/" + std::to_string(kTopNodes);
  const std::string rows = ">/" + std::to_string(kRows);
  PrintRatio(reporter, "user dialog, 2,500 nodes, Win32 / headless", tree + "Win32Bench" + nodes,
             tree + "HeadlessBench" + nodes, 2.0);
  PrintRatio(reporter, "list view, 100,000 rows, Win32 / headless", fill + "Win32Bench" + rows,
             fill + "HeadlessBench" + rows, 1.5);
  std::fflush(stdout);
  return 0;
}
