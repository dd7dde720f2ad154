#!/usr/bin/env bash
# Prints the lines of the tests against the lines of the code they test: the C++ files
# (.cpp, .h, .c) git knows under tests/, the benchmarks left out, against every other
# C++ file. Physical lines, comments and blank lines counted, as `wc -l` counts them.
# Fails when the ratio is above the limit (0.34 unless given).
# Usage: scripts/test-ratio.sh [LIMIT]
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-0.34}
count() { xargs -r -d '\n' cat -- | wc -l; }
files=$(git ls-files -- '*.cpp' '*.h' '*.c')
tests=$(grep '^tests/' <<<"$files" | grep -v '^tests/bench/' | count)
bench=$(grep '^tests/bench/' <<<"$files" | count)
code=$(grep -v '^tests/' <<<"$files" | count)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", t / c }')
echo "test-ratio: tests $tests lines, code $code lines: $ratio (limit $limit; benchmarks, $bench lines, left out)"
awk -v t="$tests" -v c="$code" -v l="$limit" 'BEGIN { exit !(t / c <= l) }' ||
  { echo "test-ratio: above the limit" >&2; exit 1; }
