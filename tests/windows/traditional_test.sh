#!/usr/bin/env bash
# The Traditional-Chinese mode through the dialogs, on the Win32 platform under Wine and
# on the Linux build's headless platform, each on a fresh demonstration bank of its own
# build: in zh_TW a new customer is typed in Big5 (臺灣一號貿易, 華南銀行) and saved, then
# opened again and checked to show the same Big5 text; in zh_CN it is opened once more
# and must show the Simplified GBK the bank holds (台湾一号贸易, 华南银行). Every run must
# end with status 0 (a failed `expect` ends with another), and each run's transcript and
# printed result must be equal on both builds.
#   tests/windows/traditional_test.sh WINE WINDOWS_BIN LINUX_BIN SOURCE_DIR
# The locales come from the test's LOCPATH (scripts/test-windows.sh compiles them). Without
# a Linux build (LINUX_BIN/tavro-shell) it exits 77: there is nothing to compare with.
set -euo pipefail
wine=${1:?usage: traditional_test.sh WINE WINDOWS_BIN LINUX_BIN SOURCE_DIR}
winbin=$(cd "${2:?}" && pwd)
linuxbin=$(cd "${3:?}" 2>/dev/null && pwd || echo "$3")
source=$(cd "${4:?}" && pwd)
if [[ ! -x "$linuxbin/tavro-shell" || ! -x "$linuxbin/tavro-bank" ]]; then
  echo "skipped: no Linux build in $linuxbin to compare with"
  exit 77
fi
scripts=$source/tests/windows/traditional

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
unset TAVRO_BANK_URL TAVRO_HOST_LIBRARY TAVRO_UI TAVRO_UI_SCRIPT TAVRO_UI_TRANSCRIPT
mkdir -p "$work/linux/tmp" "$work/windows"
"$linuxbin/tavro-bank" init --demo "$work/linux/bank.db" >/dev/null
"$wine" "$winbin/tavro-bank.exe" init --demo "$(winpath "$work/windows/bank.db")" >/dev/null

faults=0
# Plays script $1 in locale $2 on both builds, one after the other on the same banks.
play() {
  local script=$1 locale=$2 linuxStatus=0 windowsStatus=0 verdict=""
  local linux=$work/linux/${script%.txt} windows=$work/windows/${script%.txt}
  mkdir -p "$linux" "$windows"
  (cd "$linux" && env LC_ALL="$locale" LANG="$locale" TMPDIR="$work/linux/tmp" \
    TAVRO_UI=headless TAVRO_BANK_DB="$work/linux/bank.db" "$linuxbin/tavro-shell" run \
    "$scripts/$script" --transcript "$linux/transcript.txt" >"$linux/out.txt" \
    2>"$linux/err.txt") || linuxStatus=$?
  (cd "$windows" && env LC_ALL="$locale" TAVRO_BANK_DB="$(winpath "$work/windows/bank.db")" \
    "$wine" "$winbin/tavro-shell.exe" run "$(winpath "$scripts/$script")" \
    --transcript transcript.txt >"$windows/out-crlf.txt" 2>"$windows/err.txt") ||
    windowsStatus=$?
  tr -d '\r' <"$windows/out-crlf.txt" >"$windows/out.txt"
  [[ $linuxStatus -eq 0 ]] || verdict+=" status $linuxStatus on Linux;"
  [[ $windowsStatus -eq 0 ]] || verdict+=" status $windowsStatus under Wine;"
  cmp -s "$linux/out.txt" "$windows/out.txt" || verdict+=" printed result differs;"
  cmp -s "$linux/transcript.txt" "$windows/transcript.txt" || verdict+=" transcript differs;"
  if [[ -z "$verdict" ]]; then
    echo "same: $script in $locale ($(wc -l <"$linux/transcript.txt") transcript lines)"
  else
    echo "FAULT: $script in $locale:$verdict"
    diff "$linux/out.txt" "$windows/out.txt" || true
    diff "$linux/transcript.txt" "$windows/transcript.txt" || true
    sed 's/^/  linux transcript: /' "$linux/transcript.txt"
    sed 's/^/  wine transcript: /' "$windows/transcript.txt" 2>/dev/null || true
    sed 's/^/  linux stderr: /' "$linux/err.txt"
    sed 's/^/  wine stderr: /' "$windows/err.txt"
    faults=$((faults + 1))
  fi
}

play save-traditional.txt zh_TW.UTF-8
play open-traditional.txt zh_TW.UTF-8
play open-simplified.txt zh_CN.UTF-8
echo "3 runs compared: $faults with a fault"
[[ $faults -eq 0 ]]
