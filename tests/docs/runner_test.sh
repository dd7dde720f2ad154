#!/usr/bin/env bash
# The runner of the documents' blocks, tried on small documents (faults/): each fault
# must fail the run and be named by its file and line, and a document using every form
# correctly must pass, so that the runner cannot pass the real documents by accident.
#   runner_test.sh RUNNER FAULTS SOURCE BUILD
set -uo pipefail
runner="$1" faults="$2" source="$3" build="$4"
shown="${faults#"$source"/}"
passed=0
failed=0

# expect_fault DOCUMENT LINE...: the run fails and names every LINE of DOCUMENT.
expect_fault() {
  local document="$1"
  shift
  local output status
  output="$(python3 "$runner" --source "$source" --build "$build" "$faults/$document")"
  status=$?
  local missing=()
  for line in "$@"; do
    grep -q "^$shown/$document:$line: " <<<"$output" || missing+=("$line")
  done
  if [ "$status" -ne 1 ] || [ ${#missing[@]} -gt 0 ]; then
    echo "FAILED: $document (exit status $status; no fault named at line ${missing[*]:-}):"
    echo "$output"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
}

expect_fault sh-fails.md 3
expect_fault output-differs.md 6
expect_fault status-differs.md 4 5
expect_fault unknown-mark.md 4

# Twelve commands pass (one script, eleven session commands); the marked block is skipped.
if output="$(python3 "$runner" --source "$source" --build "$build" "$faults/all-forms.md")" &&
  grep -q "^12 passed, 0 failed, 1 skipped$" <<<"$output"; then
  passed=$((passed + 1))
else
  echo "FAILED: all-forms.md did not pass whole:"
  echo "$output"
  failed=$((failed + 1))
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
