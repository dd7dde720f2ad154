#!/usr/bin/env bash
# Installs what is missing, builds, and runs the example examples/check-list.txt through
# tavro-shell: the review list of records to check for user 000001 of corporation 0012.
#
# Host: for now the table host of the tests (libTavroTableHost.so, answering from
# examples/demo-host-table.txt), loaded in place of libTavroClient.so through
# TAVRO_HOST_LIBRARY, because the embedded bank server does not answer the review-list
# commands yet. Everything runs in a fresh temporary folder that is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
scripts/install-deps.sh
scripts/build.sh default
bin=$repo/build/default/bin
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
mkdir -m 700 "$demo/tmp"
export TMPDIR="$demo/tmp"
export TAVRO_HOST_LIBRARY="$bin/libTavroTableHost.so"
export TAVRO_TABLE_HOST="$repo/examples/demo-host-table.txt"
export TAVRO_TABLE_HOST_LOG="$demo/commands.txt"
export TAVRO_UI_TRANSCRIPT="$demo/transcript.txt"
# Column titles in Chinese: the settings file in the current folder picks the language.
printf '[Settings]\r\nLangId=CN\r\n' > "$demo/Tavro2007.ini"
cd "$demo"
echo "--- tavro-shell run examples/check-list.txt ---"
status=0
"$bin/tavro-shell" run "$repo/examples/check-list.txt" || status=$?
echo "--- commands the module sent to the host ---"
cat "$TAVRO_TABLE_HOST_LOG" 2>/dev/null || true
echo "--- transcript of the operator's session ---"
cat "$TAVRO_UI_TRANSCRIPT" 2>/dev/null || true
exit "$status"
