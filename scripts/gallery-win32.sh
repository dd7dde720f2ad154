#!/usr/bin/env bash
# The Win32 pictures of the gallery (scripts/gallery.sh win32): every example of
# examples/ played by tavro-shell.exe under Wine on the Win32 platform, in Chinese (the
# zh_CN locale; the module's language follows it), keeping a PNG of every form as it opens
# and as the example leaves it in docs/screenshots/win32/, named as the Qt pictures are:
# EXAMPLE-NN-CLASS.png and EXAMPLE-NN-CLASS-end.png. A picture equal to one kept before is
# left out. Boxes have no picture: a scripted run answers them without showing one.
#
# Usage: scripts/gallery-win32.sh [OUTPUT-FOLDER]   (default: docs/screenshots)
#
# The pictures come from the platform itself (TAVRO_UI_SHOT_DIR: each form's window is
# copied through GDI into a BMP file as it opens and closes, ui/win32/WindowPicture.h), so
# the script needs no timing against the display; they are made PNG here. The same pixels
# every run: a fixed virtual screen (1280x1024, 24 bits) and folder, the Wine prefix of
# the Windows tests (X11 driver Managed=N, no window manager), the zh_CN locale compiled
# into a private LOCPATH (Wine then draws the dialogs' Chinese fonts with Noto Sans CJK),
# each example on a copy of one demonstration bank, the caret hidden while a window is
# copied, and PNG files written by one deterministic encoder (zlib, no dates).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
# One virtual screen of fixed size and depth for the whole run.
if [ -z "${TAVRO_GALLERY_SCREEN:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "gallery: xvfb-run is needed" >&2; exit 1; }
  exec env TAVRO_GALLERY_SCREEN=1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    "$repo/scripts/gallery-win32.sh" "$@"
fi
out=${1:-$repo/docs/screenshots}
case "$out" in /*) ;; *) out=$repo/$out ;; esac

# The module's own architecture where this kernel runs 32-bit programs, else x86-64 (the
# same sources), as scripts/test-windows.sh chooses.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=win32 wine=/usr/lib/wine/wine
else
  preset=win64 wine=/usr/lib/wine/wine64
fi
build=$repo/build/$preset
if [ ! -f "$build/CMakeCache.txt" ]; then
  scripts/build-windows.sh "$preset" >/dev/null
fi
cmake --build "$build" --target ManageEdit tavro-shell tavro-bank TavroClient >/dev/null
bin=$build/bin
command -v python3 >/dev/null || { echo "gallery: python3 is needed" >&2; exit 1; }

export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  WINEARCH=$preset "$wine" wineboot -i
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  /usr/lib/wine/wineserver -w
fi
export LOCPATH=$build/locale
if [ ! -d "$LOCPATH/zh_CN.UTF-8" ]; then
  mkdir -p "$LOCPATH"
  localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8"
fi

work=/tmp/tavro-gallery-win32
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"; /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 TZ=UTC
unset TAVRO_HOST_LIBRARY TAVRO_UI TAVRO_UI_TRANSCRIPT TAVRO_UI_SCRIPT TAVRO_BANK_URL
"$wine" "$bin/tavro-bank.exe" init --demo "$(winpath "$work/demo.db")" >/dev/null
# The examples and the files they read in the fixed folder, so that a path a dialog shows
# is the same from any checkout.
mkdir -p "$work/scripts"
cp "$repo"/examples/*.txt "$work/scripts/"

# BMP (24 bits, bottom-up, as the platform writes it) to PNG, the same bytes every time.
to_png() {
  python3 - "$@" <<'EOF'
import struct, sys, zlib
bmp = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", bmp, 10)
width, height, _, bits = struct.unpack_from("<iiHH", bmp, 18)
if bmp[:2] != b"BM" or bits != 24 or width <= 0 or height <= 0:
    sys.exit(f"{sys.argv[1]}: not a 24-bit bottom-up BMP")
stride = (width * 3 + 3) & ~3
rows = []
for y in range(height - 1, -1, -1):
    row = bmp[offset + y * stride: offset + y * stride + width * 3]
    rgb = bytearray(row)
    rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
    rows.append(b"\0" + bytes(rgb))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
EOF
}

# Runs one example ($1, its name without .txt); its pictures land in $dir.
run_example() {
  local name=$1 run=$work/run
  rm -rf "$run"
  mkdir -p "$run/shots" "$run/tmp"
  cp "$work/demo.db" "$run/bank.db"
  local status=0
  (cd "$run" && env TMP="$(winpath "$run/tmp")" TEMP="$(winpath "$run/tmp")" \
    TAVRO_BANK_DB="$(winpath "$run/bank.db")" TAVRO_UI_SHOT_DIR="$(winpath "$run/shots")" \
    "$wine" "$bin/tavro-shell.exe" run "$(winpath "$work/scripts/$name.txt")" \
    --transcript transcript.txt >"$run/out.txt" 2>"$run/err.txt") || status=$?
  # Each example ends as it ends on Linux (windows.shell.examples compares them); a
  # picture that could not be taken is a fault of the gallery.
  if grep -q "cannot save the picture" "$run/err.txt"; then
    echo "gallery: examples/$name.txt:" >&2
    cat "$run/err.txt" >&2
    failed=1
  fi
  local shot png earlier kept
  for shot in "$run"/shots/*.bmp; do
    [ -e "$shot" ] || continue
    png=$run/$(basename "$shot" .bmp).png
    to_png "$shot" "$png"
    kept=
    for earlier in "$dir"/*-[0-9][0-9]-*.png; do
      if [ -e "$earlier" ] && cmp -s "$png" "$earlier"; then
        kept=$earlier
        break
      fi
    done
    if [ -z "$kept" ]; then
      cp "$png" "$dir/$name-$(basename "$png")"
      echo "$dir/$name-$(basename "$png")"
    fi
  done
  [ "$status" -eq 0 ] || echo "gallery: examples/$name.txt ended with status $status (as an example may)"
}

failed=0
dir=$out/win32
mkdir -p "$dir"
# The pictures of earlier runs; a picture taken by hand (no NN in its name) stays.
rm -f "$dir"/*-[0-9][0-9]-*.png
for file in "$repo"/examples/*.txt; do
  head -n 1 "$file" | grep -q '^# call:' || continue
  run_example "$(basename "$file" .txt)"
done
echo "gallery: $(find "$dir" -name '*-[0-9][0-9]-*.png' | wc -l) Win32 pictures in $dir"
exit "$failed"
