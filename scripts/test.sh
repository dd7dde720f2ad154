#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build and
# a build with AddressSanitizer and UndefinedBehaviorSanitizer.
# Usage: scripts/test.sh [default|asan]   (no argument: both)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan)
for preset in "${presets[@]}"; do
  echo "=== build and test: $preset ==="
  scripts/build.sh "$preset"
  ctest --preset "$preset" -j2
done
