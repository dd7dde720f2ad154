#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user of the installed
# tree gets: the programs on PREFIX/bin find the module, the host library, the platform
# plugins and the language file in PREFIX/lib/tavro, with no path into the build; the
# manual pages hold the commands' help; an example from the installed documentation
# runs against a bank the installed tavro-bank created, in English, from the installed
# language file. Then `cpack` makes the Debian package, whose file list and
# dependencies must match.
#   install_test.sh BUILD WITH_QT(0|1)
set -uo pipefail
build="$1"
with_qt="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
passed=0
failed=0
check() {  # check WHAT COMMAND...: one named check
  local what="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $what"
    failed=$((failed + 1))
  fi
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; echo "0 passed, 1 failed"; exit 1; }

# What the installed tree holds: the files a user reaches, and no run path but $ORIGIN.
files=(bin/tavro-shell bin/tavro-bank lib/tavro/tavro-shell lib/tavro/tavro-bank
  lib/tavro/libManageEdit.so lib/tavro/libTavroUi.so lib/tavro/libTavroClient.so
  lib/tavro/libTavroUiHeadless.so lib/tavro/TavroLang.ini
  share/man/man1/tavro-shell.1.gz share/man/man1/tavro-bank.1.gz
  share/doc/manageedit/README.md share/doc/manageedit/host/README.md
  share/doc/manageedit/docs/tavro-shell.md share/doc/manageedit/examples/usage-edit.txt)
[ "$with_qt" = 1 ] && files+=(lib/tavro/libTavroUiQt.so)
missing=()
for f in "${files[@]}"; do
  [ -e "$prefix/$f" ] || missing+=("$f")
done
check "the installed tree lacks ${missing[*]:-nothing}" test ${#missing[@]} -eq 0
check "bin/tavro-shell is a relative link into lib/tavro" \
  test "$(readlink "$prefix/bin/tavro-shell")" = ../lib/tavro/tavro-shell
# In the build, no empty entry (the current folder, to the loader), which CMake pads the
# run path of a target it installs with.
runpath() { readelf -d "$1" | sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]/\2/p'; }
paths=()
for f in "$prefix"/lib/tavro/*; do
  if head -c 4 "$f" | grep -q ELF; then
    installed="$(runpath "$f")"
    # shellcheck disable=SC2016 # the run path names $ORIGIN itself, not a variable
    [ -z "$installed" ] || [ "$installed" = '$ORIGIN' ] || paths+=("$f: $installed")
    built="$(runpath "$build/bin/${f##*/}")"
    case "$built" in "" | :* | *: | *::*) paths+=("$build/bin/${f##*/}: '$built'") ;; esac
  fi
done
check "run paths other than \$ORIGIN, or with an empty entry: ${paths[*]:-none}" \
  test ${#paths[@]} -eq 0
check "the manual page of tavro-shell holds the help of its commands" \
  sh -c "gzip -dc '$prefix/share/man/man1/tavro-shell.1.gz' | grep -q '^\.SS \"tavro-shell call\"'"
check "the manual page of tavro-bank holds the help of login add" \
  sh -c "gzip -dc '$prefix/share/man/man1/tavro-bank.1.gz' | grep -q 'tavro-bank login add \[OPTIONS\] NAME'"

# An example run with the installed programs alone, from a folder of its own, with an
# environment that names nothing of the build.
run="$work/run"
mkdir -p "$run/tmp" "$run/home"
chmod 0700 "$run/tmp"
printf '[Settings]\r\nLangId=EN\r\n' >"$run/Tavro2007.ini"
installed() {  # installed PROGRAM ARG...: an installed program, output in $run/out.txt
  local program="$1"
  shift
  (cd "$run" && env -i PATH=/usr/bin:/bin HOME="$run/home" TMPDIR="$run/tmp" LANG=C.UTF-8 \
    TAVRO_BANK_DB="$run/bank.db" "LSAN_OPTIONS=${LSAN_OPTIONS:-}" \
    "ASAN_OPTIONS=${ASAN_OPTIONS:-}" "UBSAN_OPTIONS=${UBSAN_OPTIONS:-}" \
    "$prefix/bin/$program" "$@" >"$run/out.txt" 2>&1)
}
check "the installed tavro-bank creates a bank" installed tavro-bank init --demo "$run/bank.db"
installed tavro-shell run "$prefix/share/doc/manageedit/examples/usage-edit.txt" --strict \
  --transcript "$run/transcript.txt"
status=$?
check "the installed tavro-shell runs examples/usage-edit.txt (exit status $status: $(cat "$run/out.txt"))" \
  test "$status" -eq 0
check "the dialog's caption comes from the installed language file" \
  grep -qx 'open TUsageEdtFrm "Usage"' "$run/transcript.txt"
installed tavro-bank exec "MN_GetUsageList '0012','000001'"
check "the usage texts were saved in the installed bank" grep -qx '办公用品' "$run/out.txt"

# The Debian package: the same files under /usr, and dependencies found for them.
if cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  deb="$(find "$work/package" -maxdepth 1 -name 'manageedit_*.deb' | head -n 1)"
  listed="$(dpkg-deb -c "$deb" | awk '{print $6}')"
  absent=()
  for f in "${files[@]}"; do
    grep -qx "\./usr/$f" <<<"$listed" || absent+=("$f")
  done
  check "the package lacks ${absent[*]:-nothing}" test ${#absent[@]} -eq 0
  depends="$(dpkg-deb -f "$deb" Depends)"
  wanted=(libsqlite3 libpq5 libicu libopencc libcairo2)
  [ "$with_qt" = 1 ] && wanted+=(libqt6widgets6)
  lacking=()
  for d in "${wanted[@]}"; do
    grep -q "$d" <<<"$depends" || lacking+=("$d")
  done
  check "the package's dependencies lack ${lacking[*]:-nothing} (Depends: $depends)" \
    test ${#lacking[@]} -eq 0
else
  cat "$work/cpack.log"
  check "cpack made the Debian package" false
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
