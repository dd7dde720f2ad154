#!/usr/bin/env bash
# Checks a built DLL of ours (ManageEdit.dll, TavroClient.dll) as a caller's loader sees it:
#  - its export table names exactly the entry points of ENTRIES (one "name bytes" line
#    each, as the build writes it), by their plain names;
#  - it imports from Windows' own DLLs and TavroClient.dll only (no GCC runtime DLL), and
#    from REQUIRED (default TavroClient.dll; "-" for none, as for the host library itself);
#  - on i686, each exported name leads to the stdcall function of that entry point, and
#    every return in it removes the entry point's parameters from the stack (ret $0x1c
#    for seven parameters): the caller does not clean up.
#
#   scripts/check-windows-module.sh OBJDUMP DLL ENTRIES [REQUIRED]
#
# OBJDUMP is the mingw-w64 objdump of the DLL's architecture. Exits 1 naming each fault,
# 2 when a file cannot be read.
set -euo pipefail

objdump=${1:?usage: check-windows-module.sh OBJDUMP DLL ENTRIES}
dll=${2:?usage: check-windows-module.sh OBJDUMP DLL ENTRIES}
entries=${3:?usage: check-windows-module.sh OBJDUMP DLL ENTRIES}
required=${4:-TavroClient.dll}

if ! headers=$("$objdump" -p "$dll" 2>&1); then
  echo "check-windows-module: cannot read $dll: $headers"
  exit 2
fi
[[ -r "$entries" ]] || {
  echo "check-windows-module: cannot read $entries"
  exit 2
}

faults=0
fault() {
  echo "$dll: $*"
  faults=$((faults + 1))
}

# The name pointer table: "[ordinal] name" lines after its heading, up to a blank line.
exported=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
                on && NF == 0 {on = 0}
                on && match($0, /\[ *[0-9]+\] +[^ ]+$/) {print $NF}' <<<"$headers" | sort)
expected=$(awk 'NF == 2 {print $1}' "$entries" | sort)
if [[ -z "$expected" ]]; then
  echo "check-windows-module: $entries names no entry point"
  exit 2
fi
while IFS= read -r name; do
  [[ -n "$name" ]] && fault "exports $name, which is no entry point"
done < <(comm -23 <(printf '%s\n' "$exported") <(printf '%s\n' "$expected"))
while IFS= read -r name; do
  [[ -n "$name" ]] && fault "does not export the entry point $name"
done < <(comm -13 <(printf '%s\n' "$exported") <(printf '%s\n' "$expected"))

# Windows' own DLLs that the module may import from, beside the host library.
allowed='^(kernel32|user32|gdi32|advapi32|msvcrt|shell32|ole32|comctl32|comdlg32|winspool\.drv|version|uxtheme|imm32|winhttp|crypt32|bcrypt|tavroclient)(\.dll)?$'
imports=$(sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' <<<"$headers")
[[ -n "$imports" ]] || fault "has no import table"
while IFS= read -r library; do
  if [[ -n "$library" ]] && ! grep -qiE "$allowed" <<<"$library"; then
    fault "imports from $library, which is neither a Windows DLL nor TavroClient.dll"
  fi
done <<<"$imports"
if [[ "$required" != - ]]; then
  grep -qixF "$required" <<<"$imports" || fault "does not import from $required"
fi

# Callee cleanup is a matter of i686's stdcall; x86-64 has one convention.
if grep -q 'file format pei-i386' <<<"$headers"; then
  base=$(awk '$1 == "ImageBase" {print $2}' <<<"$headers")
  # Export RVA by ordinal index, and the index of each exported name.
  declare -A rva_of_index index_of_name
  while read -r index rva; do
    rva_of_index[$index]=$rva
  done < <(sed -nE 's/^[[:space:]]*\[ *([0-9]+)\] \+base\[ *[0-9]+\] ([0-9a-f]+) Export RVA$/\1 \2/p' \
    <<<"$headers")
  while read -r index name; do
    index_of_name[$name]=$index
  done < <(awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
                on && NF == 0 {on = 0}
                on {gsub(/[][]/, " "); print $1, $2}' <<<"$headers")
  while read -r name bytes; do
    [[ -n "${index_of_name[$name]:-}" ]] || continue
    symbol="_${name}@${bytes}"
    # The function's own block: objdump goes on into the functions after it.
    code=$("$objdump" -d --disassemble="$symbol" "$dll" | sed -n "/^[0-9a-f]* <${symbol}>:\$/,/^\$/p")
    start=$(sed -nE "s/^([0-9a-f]+) <${symbol}>:\$/\\1/p" <<<"$code")
    if [[ -z "$start" ]]; then
      fault "has no code for $symbol (the stdcall function of $name)"
      continue
    fi
    target=$(printf '%x' $((16#$base + 16#${rva_of_index[${index_of_name[$name]}]})))
    [[ $((16#$start)) -eq $((16#$target)) ]] ||
      fault "exports $name at $target, not at $symbol ($start)"
    returns=$(grep -E $'\tret' <<<"$code" | sed -E 's/.*\tret[lw]? *//' | sort -u)
    cleanup=$(printf "\$0x%x" "$bytes")
    if [[ "$returns" != "$cleanup" ]]; then
      fault "$name returns with '$(tr '\n' ' ' <<<"$returns")', not only ret $cleanup"
    fi
  done <"$entries"
fi

if ((faults > 0)); then
  echo "check-windows-module: $faults fault(s) in $dll"
  exit 1
fi
echo "check-windows-module: $dll exports the $(wc -l <<<"$expected") entry points only," \
  "imports $(tr '\n' ' ' <<<"$imports")"
