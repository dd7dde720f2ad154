// GBK to Big5 on Linux over the text the Windows build's tables are timed on
// (tests/bench/GbkSample.h): ICU's plain conversion, the baseline that
// scripts/bench-windows.sh sets ToUserText's time under Wine beside, and ToUserText
// itself here (ICU and OpenCC's Simplified-to-Traditional mapping).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "frame/HostChannel.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"
#include "tests/bench/GbkSample.h"

// The frame library refers to the host library's entry points; the conversions call
// neither, so both refuse.
extern "C" std::int32_t TAVRO_STDCALL qelCommand(HWND_T /*window*/, const char* /*command*/,
                                                 std::int32_t /*length*/, char* result,
                                                 std::int32_t /*capacity*/, char* error,
                                                 std::int32_t /*mode*/) {
  result[0] = '\0';
  error[0] = '\0';
  return 1;
}
extern "C" std::int32_t TAVRO_STDCALL qelFileGet(HWND_T /*window*/, const char* /*command*/,
                                                 std::int32_t /*length*/, const char* /*file*/,
                                                 char* error, std::int32_t /*mode*/) {
  error[0] = '\0';
  return 1;
}

namespace {

void BM_IcuGbkToBig5(benchmark::State& state) {
  const std::string text = bench::GbkSampleText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string out = sys::ConvertText(text, sys::CodePage::Gbk, sys::CodePage::Big5);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_IcuGbkToBig5)->Arg(64 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_ToUserText(benchmark::State& state) {
  const std::string text = bench::GbkSampleText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string out = frame::ToUserText(text);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ToUserText)->Arg(64 << 10)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
