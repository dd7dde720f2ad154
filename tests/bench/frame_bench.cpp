// Throughput of the module's hot paths next to baselines measured in the same run:
// list loading against a plain read of the same file, text conversion against ICU's
// plain code-page conversion, the line-break rule against a plain copy.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/HostChannel.h"
#include "frame/ListViewFill.h"
#include "frame/ResultText.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "tests/support/FakeHost.h"
#include "ui/ListCtrls.h"

namespace {

constexpr int kRows = 1000000;
constexpr std::size_t kTextBytes = 10u << 20;

// A review-list row: business number, GBK name, amount, time, state.
std::string Row(int i) {
  static const std::string name = sys::Utf8ToGbk("上海浦东发展银行股份有限公司");
  return "B" + std::to_string(20260000000 + i) + "\x07" + name + "\x07" +
         std::to_string(i % 100000) +
         ".25\x07"
         "2026-12-06 10:00:00\x07" +
         (i % 2 ? "1" : "0") + "\r\n";
}

struct Fixture {
  std::string folder;
  std::string rowsFile;
  std::size_t rowsBytes = 0;
  std::string rowsText;
  std::string gbkText;  // 10 MB of Chinese and ASCII text with line breaks
  std::string encoded;  // the same with 0x0E for every line break

  Fixture() {
    folder = (std::filesystem::temp_directory_path() / "tavro-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
      std::abort();
    }
    ::setenv("TMPDIR", folder.c_str(), 1);
    ::setenv("LC_ALL", "zh_CN.UTF-8", 1);
    frame::detail::ForgetTraditionalMode();
    rowsText.reserve(std::size_t{80} * kRows);
    for (int i = 0; i < kRows; ++i) {
      rowsText += Row(i);
    }
    rowsBytes = rowsText.size();
    rowsFile = folder + "/rows.txt";
    sys::WriteFileBytes(rowsFile, rowsText);
    const std::string line =
        sys::Utf8ToGbk("收款人名称：上海浦东发展银行 Pay Amount 1234.56 备注：货款\r\n");
    while (gbkText.size() < kTextBytes) {
      gbkText += line;
    }
    encoded = frame::EncodeNewlines(gbkText);
    fakehost::Reset();
    fakehost::Answer answer;
    answer.fromFile = rowsFile;  // the host's file is a link to the prepared rows
    fakehost::SetFallback(answer);
  }
  ~Fixture() { std::filesystem::remove_all(folder); }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

void BM_ReadRowsFileBaseline(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::string bytes = sys::ReadFileBytes(f.rowsFile);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.rowsBytes));
}

void BM_HostCommandList(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::vector<std::string> list;
    const bool read =
        frame::HostCommandList(1, frame::kChannelMain, "MN_GetCheckList '0012','000001'", list);
    if (!read || list.size() != kRows) {
      state.SkipWithError("wrong row count");
    }
    benchmark::DoNotOptimize(list.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.rowsBytes));
}

void BM_SplitRows(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::vector<std::string> rows = frame::SplitRows(f.rowsText);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.rowsBytes));
}

void BM_LoadListViewRows(benchmark::State& state) {
  Fixture& f = Data();
  const std::string file = f.folder + "/view.txt";
  for (auto _ : state) {
    state.PauseTiming();
    ::link(f.rowsFile.c_str(), file.c_str());
    ui::TListView view(nullptr, "Lv");
    state.ResumeTiming();
    frame::LoadListViewRows(view, file);
    if (view.Items().size() != kRows) {
      state.SkipWithError("wrong row count");
    }
    benchmark::DoNotOptimize(view.Items().data());
    state.PauseTiming();
    view.Clear();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.rowsBytes));
}

void BM_IcuGbkToBig5Baseline(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::string out = sys::ConvertText(f.gbkText, sys::CodePage::Gbk, sys::CodePage::Big5);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.gbkText.size()));
}

void BM_ToUserText(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::string out = frame::ToUserText(f.gbkText);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.gbkText.size()));
}

void BM_CopyBaseline(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::string out(f.gbkText);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.gbkText.size()));
}

void BM_EncodeNewlines(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::string out = frame::EncodeNewlines(f.gbkText);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.gbkText.size()));
}

void BM_DecodeNewlines(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::string out = frame::DecodeNewlines(f.encoded);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.encoded.size()));
}

BENCHMARK(BM_ReadRowsFileBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostCommandList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadListViewRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IcuGbkToBig5Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToUserText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeNewlines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeNewlines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
