#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build and
# a build with AddressSanitizer and UndefinedBehaviorSanitizer. A throwaway PostgreSQL
# cluster (scripts/bank-postgres.sh, in build/postgres-test) runs meanwhile, so that
# the host procedure suite and the module's end-to-end examples run against both the
# embedded bank and a shared one; it is stopped and removed at the end. Last, every fuzz
# target runs for a bounded time (scripts/fuzz.sh; TAVRO_FUZZ_SECONDS each, 20 by
# default, two at a time), and any crash or sanitizer report fails the run. The Windows
# build's tests run under Wine between the two (scripts/test-windows.sh, which installs
# the cross compilers and Wine when they are missing).
# Usage: scripts/test.sh [default|asan|windows|fuzz ...]   (no argument: all four)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The tests' lines against the code's: a third is the goal; the limit here is where they
# stand, and it only comes down.
scripts/test-ratio.sh 0.46
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan windows fuzz)
cluster="$PWD/build/postgres-test"
# The bank service's load test sends for 10 s on each engine here, not its 60.
export TAVRO_TEST_LOAD_SECONDS="${TAVRO_TEST_LOAD_SECONDS:-10}"
stop_cluster() {
  if [ -e "$cluster" ]; then
    scripts/bank-postgres.sh stop "$cluster" || true
    rm -rf "$(readlink -f "$cluster")" "$cluster"
  fi
}
started=0
# Each stage's time is printed, so that a slow stage shows in CI's log.
stage_start=$SECONDS
stage_done() {
  echo "=== $1 done in $((SECONDS - stage_start)) s (all so far: $SECONDS s) ==="
  stage_start=$SECONDS
}
for preset in "${presets[@]}"; do
  if [ "$preset" = fuzz ]; then
    echo "=== fuzz ==="
    scripts/fuzz.sh all "${TAVRO_FUZZ_SECONDS:-20}"
    stage_done fuzz
    continue
  fi
  if [ "$preset" = windows ]; then
    echo "=== build and test: windows (Wine) ==="
    scripts/test-windows.sh
    stage_done windows
    continue
  fi
  echo "=== build and test: $preset ==="
  scripts/build.sh "$preset"
  if [ "$started" -eq 0 ]; then
    stop_cluster
    trap stop_cluster EXIT
    # The tests pick their banks themselves, as the administrator: only the cluster's
    # address and the administrator's password file are exported, never a
    # TAVRO_BANK_URL that would move every test's bank, nor libpq's PGHOST and PGPORT.
    TAVRO_BANK_TOOL="$PWD/build/$preset/bin/tavro-bank" scripts/bank-postgres.sh start "$cluster" >/dev/null
    eval "$(scripts/bank-postgres.sh admin "$cluster")"
    export TAVRO_TEST_PG_HOST="$PGHOST" TAVRO_TEST_PG_PORT="$PGPORT"
    unset TAVRO_BANK_URL PGHOST PGPORT
    export TAVRO_TEST_REQUIRE_PG=1
    started=1
  fi
  ctest --preset "$preset" -j2
  stage_done "$preset"
done
