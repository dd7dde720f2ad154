#!/usr/bin/env bash
# Every example of examples/ played by tavro-shell.exe under Wine on the Win32 platform
# (TAVRO_UI unset: the script plays on real windows) and by the Linux build's
# tavro-shell on the headless platform, each on a fresh copy of its own build's
# demonstration bank, both in the locale of the test's LC_ALL (Wine's LOCPATH serves the
# Linux programs too): the transcripts must be equal byte for byte, and the exit status
# and what the shell printed (Wine's console ends lines with CR LF) the same.
#   tests/windows/examples_test.sh WINE WINDOWS_BIN LINUX_BIN SOURCE_DIR [EXAMPLE...]
# A file the script names from its own folder is spelt as Windows spells it (Wine shows
# the build machine's root as drive Z:); that spelling of the examples' folder is read as
# the Linux one before the transcripts are compared. An example listed in `differs` plays
# under Wine with the difference named there, and the test fails once it no longer does,
# so the list cannot outlive the difference. Without a Linux build (LINUX_BIN/tavro-shell)
# it exits 77: there is nothing to compare.
# With EXAMPLES_FOLDER set (a name such as 客户资料), the examples are copied into a
# folder of that name and played from there, and each run's bank, working folder and
# transcript are in such a folder too: the shell reads a script and writes a transcript
# by any name, not only by names the ANSI code page can spell.
set -euo pipefail
wine=${1:?usage: examples_test.sh WINE WINDOWS_BIN LINUX_BIN SOURCE_DIR [EXAMPLE...]}
winbin=$(cd "${2:?}" && pwd)
linuxbin=$(cd "${3:?}" 2>/dev/null && pwd || echo "$3")
source=$(cd "${4:?}" && pwd)
shift 4
if [[ ! -x "$linuxbin/tavro-shell" || ! -x "$linuxbin/tavro-bank" ]]; then
  echo "skipped: no Linux build in $linuxbin to compare with"
  exit 77
fi
examples=("$@")
if [[ ${#examples[@]} -eq 0 ]]; then
  for file in "$source"/examples/*.txt; do
    # A file the examples read is no example: it has no call line.
    head -n 1 "$file" | grep -q '^# call: ' && examples+=("$(basename "$file")")
  done
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder=${EXAMPLES_FOLDER:-}
examplesDir=$source/examples
if [[ -n "$folder" ]]; then
  examplesDir=$work/$folder/examples
  mkdir -p "$examplesDir"
  cp "$source"/examples/* "$examplesDir"
fi
# Wine's drive Z: is the root of the build machine's file system.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

unset TAVRO_BANK_URL TAVRO_HOST_LIBRARY TAVRO_UI TAVRO_UI_SCRIPT TAVRO_UI_TRANSCRIPT
mkdir -p "$work/banks"
"$linuxbin/tavro-bank" init --demo "$work/banks/linux.db" >/dev/null
"$wine" "$winbin/tavro-bank.exe" init --demo "$(winpath "$work/banks/windows.db")" >/dev/null

# The script's printer writes PDF files through cairo, which the Windows build has not.
declare -A differs=(
  [user-list-print.txt]="the script's printer writes no PDF files on Windows"
)
# The examples' folder in a transcript: the Windows spelling (escaped as the transcript
# quotes a backslash) and the Linux one.
winExamples=$(winpath "$examplesDir")
winExamples=${winExamples//\\/\\\\}
# A transcript as compared: the examples' folder spelt as on Linux.
compared() {
  local text
  text=$(<"$1")
  text=${text//"$winExamples"\\\\/"$examplesDir/"}
  printf '%s\n' "$text"
}

faults=0
known=0
for example in "${examples[@]}"; do
  for side in linux windows; do
    dir=$work/$side/$folder/${example%.txt}
    mkdir -p "$dir/tmp"
    cp "$work/banks/$side.db" "$dir/bank.db"
  done
  linux=$work/linux/$folder/${example%.txt}
  windows=$work/windows/$folder/${example%.txt}
  # In the locale Wine runs in (the module's language follows it), with a private
  # temporary folder as the Linux example tests give it.
  linuxStatus=0
  (cd "$linux" && env LANG="${LC_ALL:-C}" TMPDIR="$linux/tmp" TAVRO_UI=headless \
    TAVRO_BANK_DB="$linux/bank.db" "$linuxbin/tavro-shell" run "$examplesDir/$example" \
    --transcript "$linux/transcript.txt" >"$linux/out.txt" 2>"$linux/err.txt") || linuxStatus=$?
  windowsStatus=0
  (cd "$windows" && env TAVRO_BANK_DB="$(winpath "$windows/bank.db")" \
    "$wine" "$winbin/tavro-shell.exe" run "$(winpath "$examplesDir/$example")" \
    --transcript "$(winpath "$windows/transcript.txt")" >"$windows/out-crlf.txt" 2>"$windows/err.txt") ||
    windowsStatus=$?
  tr -d '\r' <"$windows/out-crlf.txt" >"$windows/out.txt"
  verdict=""
  [[ $linuxStatus -eq $windowsStatus ]] ||
    verdict+=" status $windowsStatus under Wine, $linuxStatus on Linux;"
  cmp -s "$linux/out.txt" "$windows/out.txt" || verdict+=" printed result differs;"
  cmp -s <(compared "$linux/transcript.txt") <(compared "$windows/transcript.txt") ||
    verdict+=" transcript differs;"
  if [[ -v differs[$example] ]]; then
    if grep -qF "${differs[$example]}" "$windows/transcript.txt" 2>/dev/null; then
      echo "known difference: $example: ${differs[$example]}"
      known=$((known + 1))
      continue
    fi
    verdict+=" no longer shows \"${differs[$example]}\" (take it off the list);"
  fi
  if [[ -z "$verdict" ]]; then
    echo "same: $example (status $linuxStatus, $(wc -l <"$linux/transcript.txt") transcript lines)"
  else
    echo "DIFFERS: $example:$verdict"
    diff "$linux/out.txt" "$windows/out.txt" || true
    diff <(compared "$linux/transcript.txt") <(compared "$windows/transcript.txt") || true
    sed 's/^/  linux stderr: /' "$linux/err.txt"
    sed 's/^/  wine stderr: /' "$windows/err.txt"
    faults=$((faults + 1))
  fi
done
echo "${#examples[@]} examples compared: $faults differ, $known with a known difference"
[[ $faults -eq 0 ]]
