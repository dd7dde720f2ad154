#!/usr/bin/env bash
# Runs the Windows build's benchmarks under Wine (tests/bench/win32_bench.cpp) on a
# virtual display, in the Wine prefix and with the locales of scripts/test-windows.sh,
# and the Linux one that times ICU's GBK-to-Big5 conversion on the same text
# (tests/bench/big5_bench.cpp); prints their reports, the ratios Win32 / headless, and
# ToUserText's time under Wine against ICU's on Linux.
#
# Google Benchmark is built from Debian's source package (the release's, as the Linux
# build's libbenchmark-dev), fetched once into build/benchmark-src with apt-get source
# through a private list of source archives, so that the machine's apt settings stay as
# they are. Only the win64 build runs here: this machine's kernel may run no 32-bit
# programs (scripts/test-windows.sh says more).
# Usage: scripts/bench-windows.sh [win32_bench arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Google Benchmark's sources.
sources=$root/build/benchmark-src
trees=("$sources"/benchmark-*/CMakeLists.txt)
source_dir=$(dirname "${trees[0]}")
if [ ! -f "$source_dir/CMakeLists.txt" ]; then
  echo "bench-windows: fetching the sources of Google Benchmark"
  apt_dir=$sources/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  suite=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)
  echo "deb-src http://deb.debian.org/debian $suite main" >"$apt_dir/sources.list"
  apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/nonexistent
               -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
  apt-get -q "${apt_options[@]}" update
  (cd "$sources" && apt-get -q "${apt_options[@]}" source --download-only benchmark)
  archives=("$sources"/benchmark_*.orig.tar.gz)
  tar -xzf "${archives[0]}" -C "$sources"
  trees=("$sources"/benchmark-*/CMakeLists.txt)
  source_dir=$(dirname "${trees[0]}")
fi

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
build=build/win64
cmake --preset win64 -DTAVRO_BENCHMARK_SOURCE="$source_dir" >/dev/null
cmake --build "$build" --target win32_bench
cmake --preset default >/dev/null
cmake --build build/default --target big5_bench

# The prefix and locales as scripts/test-windows.sh makes them.
export WINEPREFIX=$root/$build/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "bench-windows: making the Wine prefix $WINEPREFIX"
  WINEARCH=win64 xvfb-run -a "$wine" wineboot -i
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  /usr/lib/wine/wineserver -w
fi
export LOCPATH=$root/$build/locale
if [ ! -d "$LOCPATH/zh_CN.UTF-8" ]; then
  mkdir -p "$LOCPATH"
  localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8"
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "bench-windows: $(nproc) processors: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "bench-windows: $(wine64 --version 2>/dev/null || "$wine" --version)"
(cd "$build/bin" && LC_ALL=zh_CN.UTF-8 xvfb-run -a "$wine" win32_bench.exe \
  --benchmark_out="$out/wine.csv" --benchmark_out_format=csv "$@")
/usr/lib/wine/wineserver -k 2>/dev/null || true
build/default/bin/big5_bench --benchmark_filter='BM_IcuGbkToBig5/10485760$' \
  --benchmark_out="$out/linux.csv" --benchmark_out_format=csv

# bytes_per_second of one run in a CSV report (the sixth field): on the processor time of
# the converting thread, as the machine may be busy with other work while both run.
rate() {
  awk -F, -v name="\"$2\"" '$1 == name { print $6 }' "$1"
}
tables=$(rate "$out/wine.csv" 'BM_ToUserText/10485760')
icu=$(rate "$out/linux.csv" 'BM_IcuGbkToBig5/10485760')
if [ -n "$tables" ] && [ -n "$icu" ]; then
  awk -v t="$tables" -v i="$icu" 'BEGIN {
    r = i / t
    printf "ratio ToUserText under Wine / ICU GBK-to-Big5 on Linux: %.2f (goal at most 0.5: %s)\n",
      r, (r <= 0.5 ? "met" : "MISSED") }'
fi
