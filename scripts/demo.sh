#!/usr/bin/env bash
# Installs what is missing, builds, and runs the example examples/check-list.txt through
# tavro-shell: the review list of records to check for user 000001 of corporation 0012.
#
# Host: the embedded bank server of libTavroClient.so, on a fresh demonstration
# database created in a temporary folder (TAVRO_BANK_DB), which is removed afterwards.
# (To run the same example against the table host of the tests instead, see
# docs/tavro-shell.md and examples/demo-host-table.txt.)
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
export TAVRO_BANK_DB="$demo/bank.db"
export TAVRO_UI_TRANSCRIPT="$demo/transcript.txt"
unset TAVRO_HOST_LIBRARY
# Column titles in Chinese: the settings file in the current folder picks the language.
printf '[Settings]\r\nLangId=CN\r\n' > "$demo/Tavro2007.ini"
cd "$demo"
echo "--- tavro-shell run examples/check-list.txt ---"
status=0
"$bin/tavro-shell" run "$repo/examples/check-list.txt" || status=$?
echo "--- transcript of the operator's session ---"
if [ -s "$TAVRO_UI_TRANSCRIPT" ]; then
  cat "$TAVRO_UI_TRANSCRIPT"
else
  echo "(empty: a review list opens no dialog and the server reported no error)"
fi
exit "$status"
