#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz": clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs one target, or all of them two at a time, for a
# bounded time each. Usage: scripts/fuzz.sh [TARGET|all] [SECONDS]   (default: all 20)
#
# A target starts from its seed inputs (tests/fuzz/corpus/<target>) and the inputs that
# once failed (tests/fuzz/regressions/<target>), keeps what it learns in
# build/fuzz/corpus/<target> for the next run, and uses tests/fuzz/<target>.dict where
# there is one. Any crash, failed property, leak, time-out or sanitizer report fails the
# run: the input is copied to tests/fuzz/regressions/<target>/ (commit it with the fix;
# the test fuzz.<target> replays it in every build) and printed in base64, so that a run
# elsewhere still hands it over. Each target's runs, executions per second and coverage
# (libFuzzer's cov: edges and ft: features) are printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(result_text list_fillers newlines chinese_conversion command_parser ini_file script_text
         import_line)
what=${1:-all}
seconds=${2:-20}
jobs=${TAVRO_FUZZ_JOBS:-2}
if [ "$what" != all ]; then
  if [[ ! " ${targets[*]} " == *" $what "* ]]; then
    echo "fuzz.sh: unknown target \"$what\" (targets: ${targets[*]})" >&2
    exit 2
  fi
  targets=("$what")
fi
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "fuzz.sh: SECONDS must be a positive whole number, not \"$seconds\"" >&2
  exit 2
fi

if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  # Paths taken relative to the checkout and the build folder left out of the hash, so
  # that another checkout on the machine (CI's) finds what this one compiled.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz/runs
rm -rf "$out"
mkdir -p "$out"

# Runs one target; its log, status and artifacts land in $out/<target>.
run_one() {
  local t=$1
  local work=build/fuzz/corpus/$t
  local artifacts=$out/$t/
  mkdir -p "$work" "$artifacts"
  local inputs=("$work" "tests/fuzz/corpus/$t")
  [ -d "tests/fuzz/regressions/$t" ] && inputs+=("tests/fuzz/regressions/$t")
  local dict=()
  [ -f "tests/fuzz/$t.dict" ] && dict=("-dict=tests/fuzz/$t.dict")
  local status=0
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build/fuzz/bin/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts" "${dict[@]}" "${inputs[@]}" \
    >"$out/$t.log" 2>&1 || status=$?
  echo "$status" >"$out/$t.status"
}

for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n || true
  done
  run_one "$t" &
done
wait

passed=0
failed=0
for t in "${targets[@]}"; do
  status=$(cat "$out/$t.status")
  log=$out/$t.log
  # The last status line holds the coverage; the final statistics the speed.
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n1 || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  if [ "$status" -eq 0 ]; then
    echo "fuzz: $t: ${runs:-?} runs in ${seconds} s, ${speed:-?} exec/s, ${cov:-no coverage line}"
    passed=$((passed + 1))
    continue
  fi
  failed=$((failed + 1))
  echo "fuzz: $t FAILED (exit status $status); its log:"
  grep -v -E '^#[0-9]+|NEW_FUNC|^INFO:' "$log" | tail -n 40
  kept=0
  for input in "$out/$t"/*; do
    [ -f "$input" ] || continue
    mkdir -p "tests/fuzz/regressions/$t"
    cp "$input" "tests/fuzz/regressions/$t/"
    echo "fuzz: $t: the input is kept as tests/fuzz/regressions/$t/$(basename "$input");" \
         "in base64:"
    base64 -w 76 "$input" | head -n 60
    kept=1
  done
  [ "$kept" -eq 1 ] || echo "fuzz: $t: libFuzzer left no input behind"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
