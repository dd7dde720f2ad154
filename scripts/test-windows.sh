#!/usr/bin/env bash
# Builds the Windows presets and runs the Windows tests under Wine on a virtual display:
# a throwaway Wine prefix in the build tree (X11 driver Managed=N, so that closing a
# window costs no window-manager wait), and the zh_CN and zh_TW locales compiled with
# localedef into a private LOCPATH there (the tests name the locale each run uses).
#
# The tests run in the win32 build, the module's own architecture, where this machine's
# kernel runs 32-bit programs; where it does not (Wine's 32-bit loader fails with "Exec
# format error"), they run in the win64 build, which holds the same sources; the check of
# the i686 module's PE file, which runs no Windows program, runs in the win32 build then.
# Usage: scripts/test-windows.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
scripts/build-windows.sh win32 win64
if "$wine32" --version >/dev/null 2>&1; then
  preset=win32
  wine=$wine32
else
  echo "test-windows: this kernel runs no 32-bit programs; testing the win64 build"
  preset=win64
  wine=$wine64
fi
build=build/$preset

export WINEPREFIX=$PWD/$build/wine
export WINEDEBUG=-all
# No Mono or Gecko install prompts: nothing here needs .NET or an HTML engine.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "test-windows: making the Wine prefix $WINEPREFIX"
  WINEARCH=$preset xvfb-run -a "$wine" wineboot -i
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  /usr/lib/wine/wineserver -w
fi

locpath=$PWD/$build/locale
for locale in zh_CN zh_TW; do
  if [ ! -d "$locpath/$locale.UTF-8" ]; then
    mkdir -p "$locpath"
    localedef -i "$locale" -f UTF-8 "$locpath/$locale.UTF-8"
  fi
done

xvfb-run -a ctest --test-dir "$build" -j2 --output-on-failure "$@"
# The i686 PE files of the module and the host library (exports, imports, callee cleanup)
# and the i686 package (the installer the administrator gets, and its ZIP: their files,
# stripped, for i686) are checked on this machine whichever build runs under Wine.
if [ "$preset" != win32 ]; then
  ctest --test-dir build/win32 -R '^windows\.((module|host)\.pe|package)$' --output-on-failure
fi
/usr/lib/wine/wineserver -k 2>/dev/null || true
echo "test-windows: done in $((SECONDS - start)) s"
