#!/usr/bin/env bash
# Pictures of every dialog the examples show: runs each example of examples/ on the Qt
# platform without a display (Qt's offscreen plugin), once with Chinese and once with
# English texts, and keeps a PNG of every form as it opens and as the example leaves it,
# and of every box, in docs/screenshots/cn/ and docs/screenshots/en/, with the index
# docs/screenshots/README.md.
#
# Usage: scripts/gallery.sh [OUTPUT-FOLDER]         (default: docs/screenshots)
#        scripts/gallery.sh win32 [OUTPUT-FOLDER]   the Win32 pictures under Wine instead
#                                                   (scripts/gallery-win32.sh), Chinese
#                                                   only, in docs/screenshots/win32/
#
# Either run writes the index anew from the pictures in the folder, so that each
# example's Qt and Win32 pictures are listed together.
#
# The pictures come from the platform itself (TAVRO_UI_SHOT_DIR, docs/qt-platform.md), so
# the examples run unchanged, except that the English run leaves out their `expect` lines,
# which check the Chinese texts. A picture is named EXAMPLE-NN-WHAT.png: NN counts the
# windows the example showed, WHAT is the form's class (with "-end" for the form as the
# example leaves it) or the box (message, input, file, print). A picture equal to one
# kept before in the same language is left out (the customer dialog opens the same way
# in three examples).
#
# The same pictures every time: each example runs on a fresh demonstration bank in the
# same folder (file dates fixed, for the file dialog), with Qt's Fusion style, scale 1,
# the C locale (as the tests; Qt's own texts follow the module's language, not the
# locale) and a fixed time zone; the dialogs draw with the faces
# fontconfig gives for their fonts (Noto CJK), as they always do.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
platform=qt
if [ "${1:-}" = win32 ]; then
  platform=win32
  shift
fi
out=${1:-$repo/docs/screenshots}
case "$out" in /*) ;; *) out=$repo/$out ;; esac

examples=()
for file in "$repo"/examples/*.txt; do
  # Only the scripts: they begin with the call they make.
  if head -n 1 "$file" | grep -q '^# call:'; then
    examples+=("$(basename "$file" .txt)")
  fi
done

# The index: per example, its Qt pictures in both languages, then its Win32 ones.
write_index() {
  {
    echo "# Gallery of the dialogs"
    echo
    echo "Made by \`scripts/gallery.sh\`: every example of [examples/](../../examples) played"
    echo "on the Qt platform (offscreen, Fusion style, scale 1, the dialogs' fonts through"
    echo "fontconfig) against a fresh demonstration bank, in Chinese ([cn/](cn)) and English"
    echo "([en/](en)). NN counts the windows an example showed; \`-end\` is a form as the"
    echo "example leaves it. A picture equal to one shown before (the same dialog opened the"
    echo "same way) is listed once."
    echo
    echo "The Win32 pictures ([win32/](win32), \`scripts/gallery.sh win32\`) are the same"
    echo "examples played by \`tavro-shell.exe\` under Wine on the native windows, in the"
    echo "\`zh_CN\` locale; NN counts the forms only (a scripted run shows no boxes there)."
    local name shots win shot what cn en
    for name in "${examples[@]}"; do
      shots=$(cd "$out" && find cn en -name "$name-[0-9][0-9]-*.png" -printf "%f\n" 2>/dev/null |
        sort -u)
      win=$(cd "$out" && find win32 -name "$name-[0-9][0-9]-*.png" -printf "%f\n" 2>/dev/null |
        sort)
      [ -n "$shots$win" ] || continue
      echo
      echo "## $name"
      echo
      echo "[examples/$name.txt](../../examples/$name.txt)"
      if [ -n "$shots" ]; then
        echo
        echo "| window | 中文 | English |"
        echo "|---|---|---|"
        for shot in $shots; do
          what=${shot#"$name"-}
          what=${what%.png}
          cn=-
          en=-
          [ -e "$out/cn/$shot" ] && cn="[cn](cn/$shot)"
          [ -e "$out/en/$shot" ] && en="[en](en/$shot)"
          echo "| $what | $cn | $en |"
        done
      fi
      if [ -n "$win" ]; then
        echo
        printf 'Win32 (中文):'
        for shot in $win; do
          what=${shot#"$name"-}
          printf ' [%s](win32/%s)' "${what%.png}" "$shot"
        done
        echo
      fi
    done
  } >"$out/README.md"
}

if [ "$platform" = win32 ]; then
  status=0
  scripts/gallery-win32.sh "$out" || status=$?
  write_index
  exit "$status"
fi

if [ -x build/default/bin/tavro-shell ]; then
  cmake --build --preset default >/dev/null
else
  scripts/build.sh default >/dev/null
fi
bin=$repo/build/default/bin

# A fixed folder, so that the file and print dialogs show the same paths every run.
work=/tmp/tavro-gallery
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

export QT_QPA_PLATFORM=offscreen QT_STYLE_OVERRIDE=Fusion QT_SCALE_FACTOR=1
export QT_ENABLE_HIGHDPI_SCALING=0 LC_ALL=C LANG=C TZ=UTC
unset TAVRO_HOST_LIBRARY TAVRO_UI_TRANSCRIPT TAVRO_UI_SCRIPT TAVRO_BANK_URL DISPLAY WAYLAND_DISPLAY
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export TMPDIR=$work/tmp
export TAVRO_BANK_DB=$work/bank.db TAVRO_UI_PRINT_DIR=$work/run TAVRO_UI_SHOT_DIR=$work/shots

# Runs one example ($1, its name without .txt) in language $2 (CN or EN); its pictures
# land in $out/<language>/.
run_example() {
  local name=$1 lang=$2 dir
  dir=$out/$(echo "$lang" | tr '[:upper:]' '[:lower:]')
  rm -rf "${work:?}"/{run,shots,scripts,home,tmp} "$TAVRO_BANK_DB"
  mkdir -p "$work/run" "$work/shots" "$work/scripts" "$work/home" "$work/tmp"
  chmod 700 "$work/tmp"
  "$bin/tavro-bank" init --demo "$TAVRO_BANK_DB" >/dev/null
  # The example and the files it reads, beside each other; English leaves out the checks.
  cp "$repo"/examples/*.txt "$work/scripts/"
  if [ "$lang" = EN ]; then
    grep -v '^[[:space:]]*expect[[:space:]]' "$repo/examples/$name.txt" >"$work/scripts/$name.txt"
  fi
  touch -d '2026-12-01 09:00:00' "$work/scripts"/* "$work/scripts" "$work/run"
  printf '[Settings]\r\nLangId=%s\r\n' "$lang" >"$work/run/Tavro2007.ini"
  touch -d '2026-12-01 09:00:00' "$work/run/Tavro2007.ini" "$work/run"
  # The desktop's language (C) is left as it is: Qt's own buttons and dialogs follow the
  # module's language, as an operator sees them.
  local status=0
  (cd "$work/run" && "$bin/tavro-shell" run "$work/scripts/$name.txt" --ui qt \
    --transcript "$work/transcript.txt" >"$work/out.txt" 2>"$work/err.txt") || status=$?
  if [ "$status" -ne 0 ]; then
    echo "gallery: examples/$name.txt ($lang) ended with status $status:" >&2
    cat "$work/err.txt" "$work/transcript.txt" >&2 || true
    failed=1
  fi
  local shot base kept
  for shot in "$work"/shots/*.png; do
    [ -e "$shot" ] || continue
    base=$name-$(basename "$shot")
    kept=
    for earlier in "$dir"/*.png; do
      if [ -e "$earlier" ] && cmp -s "$shot" "$earlier"; then
        kept=$earlier
        break
      fi
    done
    if [ -z "$kept" ]; then
      cp "$shot" "$dir/$base"
      echo "$dir/$base"
    fi
  done
}

failed=0

rm -rf "$out/cn" "$out/en"
mkdir -p "$out/cn" "$out/en"
for lang in CN EN; do
  for name in "${examples[@]}"; do
    run_example "$name" "$lang"
  done
done

write_index

echo "gallery: $(ls "$out"/cn | wc -l) Chinese and $(ls "$out"/en | wc -l) English pictures in $out"
exit "$failed"
