#!/usr/bin/env bash
# Prints the lines of the tests against the lines of the code they test: the C++ files
# (.cpp, .h, .c) git knows under tests/, the benchmarks left out, against every other
# C++ file. Physical lines, comments and blank lines counted, as `wc -l` counts them.
# Fails when the ratio is above the limit (0.34 unless given). A second line splits the
# tests: the suites kept whole whatever they weigh (the Wine tests, the fuzz harnesses,
# the end-to-end example runs, the bank's rights, login, service and fault tests with
# their workstations, the exhaustive Traditional-Chinese round trip) and the rest.
# Usage: scripts/test-ratio.sh [LIMIT]
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-0.34}
count() { xargs -r -d '\n' cat -- | wc -l; }
files=$(git ls-files -- '*.cpp' '*.h' '*.c')
tests=$(grep '^tests/' <<<"$files" | grep -v '^tests/bench/' | count)
bench=$(grep '^tests/bench/' <<<"$files" | count)
code=$(grep -v '^tests/' <<<"$files" | count)
kept='^tests/(windows/|fuzz/|e2e/|customer/customer_e2e_test|admin/admin_e2e_test|ui/qt/examples_qt_test|host/(pg_login_test|service_|Workstations|LossyRelay|proc_rights_test)|sys/chinese_charmap_test)'
whole=$(grep '^tests/' <<<"$files" | grep -E "$kept" | count)
ratio() { awk -v t="$1" -v c="$code" 'BEGIN { printf "%.3f", t / c }'; }
echo "test-ratio: tests $tests lines, code $code lines: $(ratio "$tests") (limit $limit; benchmarks, $bench lines, left out)"
echo "test-ratio: of the tests, the suites kept whole $whole lines ($(ratio "$whole")), the rest $((tests - whole)) lines ($(ratio $((tests - whole))))"
awk -v t="$tests" -v c="$code" -v l="$limit" 'BEGIN { exit !(t / c <= l) }' ||
  { echo "test-ratio: above the limit" >&2; exit 1; }
