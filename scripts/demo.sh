#!/usr/bin/env bash
# Installs what is missing, builds, and runs a tour of the examples through tavro-shell
# against the embedded bank server: a review list, then the user dialog with its rights,
# the usage list, a new customer, customers imported from the GBK sample file and
# exported again, a customer's account list, a new CNY payee, a new foreign-currency
# account with a SWIFT code from the directory, the account order, the processing status
# of a remittance, and the user report printed as a PDF file.
#
# Host: the embedded bank server of libTavroClient.so, on a fresh demonstration
# database created in a temporary folder (TAVRO_BANK_DB), which is removed afterwards.
# The printed report and the exported customers are kept in build/default/demo/. (To run
# an example against the table host of the tests instead, see docs/tavro-shell.md and
# examples/demo-host-table.txt.)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
scripts/install-deps.sh
scripts/build.sh default
bin=$repo/build/default/bin
out=$repo/build/default/demo
mkdir -p "$out"
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
mkdir -m 700 "$demo/tmp"
export TMPDIR="$demo/tmp"
export TAVRO_BANK_DB="$demo/bank.db"
export TAVRO_UI_PRINT_DIR="$out"
unset TAVRO_HOST_LIBRARY TAVRO_UI_TRANSCRIPT
# Texts in Chinese: the settings file in the current folder picks the language.
printf '[Settings]\r\nLangId=CN\r\n' > "$demo/Tavro2007.ini"
# The import and export examples name their files relative to the current folder.
ln -s "$repo/examples" "$demo/examples"
cd "$demo"
status=0
for example in check-list user-edit usage-edit customer-new customer-import customer-export \
  cust-account-list cny-payee-new cust-account-new account-order status-folder user-list-print; do
  echo "--- tavro-shell run examples/$example.txt ---"
  transcript="$demo/$example.transcript"
  "$bin/tavro-shell" run "$repo/examples/$example.txt" --transcript "$transcript" || status=$?
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
exit "$status"
