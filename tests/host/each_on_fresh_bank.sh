#!/usr/bin/env bash
# Runs each test of a GoogleTest program on a fresh copy of the demonstration bank on
# the PostgreSQL test cluster, opened as its owner tavro_admin (workstations hold no
# role on the server; the engine is opened by the service and the administrator's
# tools), so that the module's end-to-end examples run against the shared engine
# exactly as they run against the embedded one.
#   each_on_fresh_bank.sh PROGRAM FILTER
# Needs TAVRO_TEST_PG_HOST, TAVRO_TEST_PG_PORT and PGPASSFILE (scripts/test.sh sets them
# from `scripts/bank-postgres.sh admin`); without them it exits 77 (skipped), or fails
# when TAVRO_TEST_REQUIRE_PG is set.
set -euo pipefail
program="$1"
filter="$2"
if [ -z "${TAVRO_TEST_PG_HOST:-}" ]; then
  if [ -n "${TAVRO_TEST_REQUIRE_PG:-}" ]; then
    echo "no PostgreSQL test cluster (TAVRO_TEST_PG_HOST)" >&2
    exit 1
  fi
  echo "skipped: no PostgreSQL test cluster (scripts/bank-postgres.sh start)"
  exit 77
fi
admin="postgresql://tavro_admin@/postgres?host=$TAVRO_TEST_PG_HOST&port=$TAVRO_TEST_PG_PORT"
tests=()
suite=""
while IFS= read -r line; do
  case "$line" in
    " "*) tests+=("$suite${line%%#*}") ;;
    *) suite="${line%%#*}" ;;
  esac
done < <("$program" --gtest_list_tests --gtest_filter="$filter")
[ ${#tests[@]} -gt 0 ] || { echo "no test matches $filter" >&2; exit 1; }
failed=0
for test in "${tests[@]}"; do
  test="${test// /}"
  bank="tavro_e$$_$RANDOM"
  psql -qX "$admin" -c "CREATE DATABASE $bank TEMPLATE tavro_template" >/dev/null
  if TAVRO_BANK_URL="postgresql://tavro_admin@/$bank?host=$TAVRO_TEST_PG_HOST&port=$TAVRO_TEST_PG_PORT" \
    "$program" --gtest_filter="$test" >"${TMPDIR:-/tmp}/$bank.log" 2>&1; then
    echo "passed: $test"
  else
    echo "FAILED: $test"
    cat "${TMPDIR:-/tmp}/$bank.log"
    failed=$((failed + 1))
  fi
  rm -f "${TMPDIR:-/tmp}/$bank.log"
  psql -qX "$admin" -c "DROP DATABASE $bank WITH (FORCE)" >/dev/null
done
echo "${#tests[@]} run on PostgreSQL, $failed failed"
[ "$failed" -eq 0 ]
