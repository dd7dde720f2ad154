#!/usr/bin/env bash
# Installs what is missing, builds, and runs one entry point through tavro-shell with
# an operator script from examples/ against a fresh demonstration bank.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
bin=build/default/bin
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
export TAVRO_BANK_DB="$demo/bank.db"
export TAVRO_UI_TRANSCRIPT="$demo/transcript.txt"
"$bin/tavro-shell" call Mn_GetCheckList --corp 0012 --user 000001
echo "--- transcript of the operator's session ---"
cat "$TAVRO_UI_TRANSCRIPT" 2>/dev/null || true
