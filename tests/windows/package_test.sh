#!/usr/bin/env bash
# The Windows package as the administrator gets it, in two steps:
#
#   package_test.sh contents CPACK BUILD STRIP OBJDUMP OUT NAME
#     runs cpack on the build (the NSIS installer and the ZIP, into OUT), and checks that
#     the ZIP holds exactly the module, the language file and the demonstration kit, that
#     each binary in it is the build's file stripped (and the build's own file keeps its
#     debug symbols), and that the installer runs on the module's architecture. It writes
#     the ZIP's file list to OUT/NAME.files for the second step.
#
#   package_test.sh install WINE OUT NAME REGISTRY_KEY LINUX_BIN SOURCE EXAMPLE
#     installs OUT/NAME.exe silently under Wine into a folder of its own, checks
#     that exactly the ZIP's files were installed, byte for byte, plays EXAMPLE from the
#     installed kit (tests/windows/examples_test.sh: the installed tavro-bank.exe makes
#     the demonstration bank, the installed tavro-shell.exe plays the installed example,
#     the transcript is compared with the Linux build's headless one), and uninstalls
#     silently: no file of the package and no uninstall entry may remain. Exits 77 when
#     there is no Linux build to compare with, after the other checks.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mode=${1:?usage: package_test.sh contents|install ...}
shift

faults=0
fault() {
  echo "FAULT: $*"
  faults=$((faults + 1))
}
finish() {
  if ((faults > 0)); then
    echo "package_test: $faults fault(s)"
    exit 1
  fi
  exit "${1:-0}"
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The package's fixed files; the examples are those of the source tree.
expected_files() {
  printf '%s\n' ManageEdit.dll TavroLang.ini demo/ManageEdit.dll demo/TavroLang.ini \
    demo/TavroClient.dll demo/tavro-bank.exe demo/tavro-shell.exe
  (cd "$1" && find examples -type f | sed 's|^|demo/|')
}

# The time stamp of a PE file's COFF header, which follows the "PE\0\0" signature at the
# offset the DOS header holds at byte 60.
pe_time_stamp() {
  local header
  header=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t u4 -j $((header + 8)) -N 4 "$1" | tr -d ' '
}

check_contents() {
  local cpack=$1 build=$2 strip=$3 objdump=$4 out=$5 name=$6
  rm -rf "$out"
  mkdir -p "$out"
  local start=$SECONDS
  "$cpack" --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log"
    fault "cpack failed"
    finish
  }
  echo "cpack made the installer and the ZIP in $((SECONDS - start)) s"
  local exe=$out/$name.exe zip=$out/$name.zip
  [[ -f "$exe" ]] || fault "no installer $exe"
  [[ -f "$zip" ]] || fault "no ZIP $zip"
  ((faults == 0)) || finish

  (cd "$work" && cmake -E tar xf "$zip") || fault "cannot unpack $zip"
  local root=$work/$name
  [[ -d "$root" ]] || fault "the ZIP has no folder $name"
  ((faults == 0)) || finish
  (cd "$root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$out/$name.files"
  local source
  source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
  while IFS= read -r line; do
    case $line in
      "< "*) fault "the ZIP lacks ${line#< }" ;;
      "> "*) fault "the ZIP holds ${line#> }, which is not part of the package" ;;
    esac
  done < <(diff <(expected_files "$source" | LC_ALL=C sort) "$out/$name.files" || true)

  # Each binary is its build file stripped: strip stamps the PE header with the time it
  # ran (and the checksum follows), so the build's file stripped with the packaged
  # file's stamp must be equal to it byte for byte.
  local file built
  for file in ManageEdit.dll demo/ManageEdit.dll demo/TavroClient.dll demo/tavro-bank.exe \
    demo/tavro-shell.exe; do
    built=$build/bin/${file#demo/}
    [[ -f "$root/$file" ]] || continue
    grep -q '\.debug_info' "$built" || fault "the build's $built has lost its debug symbols"
    grep -q '\.debug_info' "$root/$file" && fault "$file still has debug symbols"
    SOURCE_DATE_EPOCH=$(pe_time_stamp "$root/$file") \
      "$strip" --strip-unneeded -o "$work/stripped" "$built"
    cmp -s "$work/stripped" "$root/$file" || fault "$file is not the build's file, stripped"
    printf '%-22s %10d bytes in the build, %9d in the package\n' "$file" \
      "$(stat -c %s "$built")" "$(stat -c %s "$root/$file")"
  done
  cmp -s "$root/TavroLang.ini" "$build/bin/TavroLang.ini" ||
    fault "TavroLang.ini is not the build's language file"

  # The installer runs where the module does.
  local format module_format
  format=$("$objdump" -f "$exe" | sed -n 's/.*file format //p')
  module_format=$("$objdump" -f "$build/bin/ManageEdit.dll" | sed -n 's/.*file format //p')
  [[ -n "$format" && "$format" == "$module_format" ]] ||
    fault "the installer is '$format', the module '$module_format'"
  printf '%s: %d bytes (%s); %s: %d bytes\n' "${exe##*/}" "$(stat -c %s "$exe")" "$format" \
    "${zip##*/}" "$(stat -c %s "$zip")"
  finish
}

# Wine's drive Z: is the root of the build machine's file system.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

check_install() {
  local wine=$1 out=$2 name=$3 key=$4 linuxbin=$5 source=$6 example=$7
  local exe=$out/$name.exe dir=$work/ManageEdit
  local uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key"
  [[ -f "$exe" && -f "$out/$name.files" ]] || {
    fault "no installer and file list in $out (the test windows.package makes them)"
    finish
  }
  local start=$SECONDS
  # /D must come last and unquoted; Wine quotes an argument that holds a space, so the
  # folder has none.
  "$wine" "$exe" /S "/D=$(winpath "$dir")" || fault "the installer exited with $?"
  echo "installed in $((SECONDS - start)) s"
  (cd "$dir" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$work/installed" ||
    fault "nothing installed in $dir"
  while IFS= read -r line; do
    case $line in
      "< "*) fault "not installed: ${line#< }" ;;
      "> "*) fault "installed beyond the package: ${line#> }" ;;
    esac
  done < <(diff <(printf '%s\n' "$(cat "$out/$name.files")" Uninstall.exe | LC_ALL=C sort) \
    "$work/installed" || true)
  (cd "$work" && cmake -E tar xf "$out/$name.zip") || fault "cannot unpack $name.zip"
  local file
  while IFS= read -r file; do
    [[ -f "$dir/$file" ]] && ! cmp -s "$dir/$file" "$work/$name/$file" &&
      fault "the installed $file differs from the ZIP's"
  done <"$out/$name.files"
  "$wine" reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 ||
    fault "the installer made no uninstall entry $uninstall_key"

  local status=0
  if [[ -f "$dir/demo/tavro-shell.exe" ]]; then
    "$here/examples_test.sh" "$wine" "$dir/demo" "$linuxbin" "$dir/demo" "$example" ||
      status=$?
    [[ $status -eq 0 || $status -eq 77 ]] || fault "$example from the installed kit differs"
  fi

  start=$SECONDS
  # _?= runs the uninstaller where it stands and waits for it (it would copy itself to the
  # temporary folder and return at once); it leaves only itself behind.
  "$wine" "$dir/Uninstall.exe" /S "_?=$(winpath "$dir")" || fault "the uninstaller exited with $?"
  echo "uninstalled in $((SECONDS - start)) s"
  local left=""
  [[ -d "$dir" ]] && left=$(cd "$dir" && find . -type f ! -name Uninstall.exe | sed 's|^\./||')
  [[ -z "$left" ]] || fault "left after uninstalling: $(tr '\n' ' ' <<<"$left")"
  "$wine" reg query "$uninstall_key" >/dev/null 2>&1 &&
    fault "the uninstall entry $uninstall_key is still there"
  finish "$status"
}

case $mode in
  contents) check_contents "$@" ;;
  install) check_install "$@" ;;
  *)
    echo "package_test.sh: no mode $mode"
    exit 2
    ;;
esac
