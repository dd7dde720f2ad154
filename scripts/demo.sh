#!/usr/bin/env bash
# Installs what is missing, builds, and runs a tour of the examples through tavro-shell
# against the embedded bank server: a review list and its first record, then the user
# dialog with its rights, the usage list, a new customer, customers imported from the
# GBK sample file and exported again, a customer's account list, a new CNY payee, a new
# foreign-currency account with a SWIFT code from the directory, the account order, the
# processing status of a remittance, and the user report printed as a PDF file.
#
# Usage: scripts/demo.sh [default|asan]   (the build preset; default: "default")
#
# Host: the embedded bank server of libTavroClient.so, on a fresh demonstration
# database that tavro-bank init creates in a temporary folder (TAVRO_BANK_DB), which is
# removed afterwards.
# The examples run from that folder: each finds the files it reads beside itself and
# writes its files into the current folder. The printed report and the exported
# customers are kept in build/PRESET/demo/. (To run an example against the table host of
# the tests instead, see docs/tavro-shell.md and examples/demo-host-table.txt.)
#
# Each example runs with --strict, so an error box fails it as a failed expect does. The
# sanitizer build's leak checker is told of fontconfig's and cairo's process-long caches
# (scripts/lsan.supp); the normal build ignores the setting.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
preset=${1:-default}
case "$preset" in
  default | asan) ;;
  *)
    echo "usage: scripts/demo.sh [default|asan]" >&2
    exit 2
    ;;
esac
scripts/install-deps.sh
scripts/build.sh "$preset"
bin=$repo/build/$preset/bin
out=$repo/build/$preset/demo
mkdir -p "$out"
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
mkdir -m 700 "$demo/tmp"
export TMPDIR="$demo/tmp"
export TAVRO_BANK_DB="$demo/bank.db"
export TAVRO_UI_PRINT_DIR="$out"
export LSAN_OPTIONS="suppressions=$repo/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# GCC 12's leak checker misreads some thread-local blocks at exit (docs/decisions.md).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_tls_get_addr=0"
unset TAVRO_HOST_LIBRARY TAVRO_UI_TRANSCRIPT TAVRO_UI_SCRIPT TAVRO_BANK_URL
"$bin/tavro-bank" init --demo "$TAVRO_BANK_DB" >/dev/null
# Texts in Chinese: the settings file in the current folder picks the language.
printf '[Settings]\r\nLangId=CN\r\n' > "$demo/Tavro2007.ini"
cd "$demo"
status=0
for example in check-list check-record user-edit usage-edit customer-new customer-import \
  customer-export cust-account-list cny-payee-new cust-account-new account-order status-folder \
  user-list-print; do
  echo "--- tavro-shell run examples/$example.txt ---"
  transcript="$demo/$example.transcript"
  "$bin/tavro-shell" run "$repo/examples/$example.txt" --strict --transcript "$transcript" ||
    status=$?
  if [ -s "$transcript" ]; then
    echo "    what the operator saw:"
    sed 's/^/    /' "$transcript"
  fi
done
echo "--- the server after the tour ---"
"$bin/tavro-bank" exec "MN_GetPropOfCustCNYAc '0012','P100'" || status=$?
"$bin/tavro-bank" exec "MN_GetPropOfCustomer '0012','C100'" || status=$?
"$bin/tavro-bank" exec "MN_GetAcNoList 99,'','0012','000001'" || status=$?
cp customer-export.txt "$out/" || status=$?
echo "Printed reports and the exported customers (customer-export.txt, GBK) are in $out"
echo "To see the dialogs: README.md, \"See the dialogs\" (with a desktop: $bin/tavro-shell run $repo/examples/usage-edit.txt --ui qt; without one: scripts/gallery.sh, pictures in docs/screenshots/)"
exit "$status"
