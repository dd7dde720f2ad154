#!/usr/bin/env bash
# Builds the Windows presets (default: win32 and win64) with the mingw-w64 cross
# compilers, after installing what the Windows build and its tests need when it is
# missing: the "-posix" mingw-w64 compilers, Wine (32- and 64-bit loaders; the 32-bit one
# from the i386 multiarch), Xvfb, the locale sources that scripts/test-windows.sh
# compiles, ICU and OpenCC for the table generators, NSIS (makensis, for cpack's
# installer), and npm, which fetches SQLite's amalgamation (scripts/fetch-sqlite.sh).
# Usage: scripts/build-windows.sh [win32|win64 ...]
set -euo pipefail
cd "$(dirname "$0")/.."

# The table generators run on the build machine with the Linux build's ICU and OpenCC.
packages=(
  cmake ninja-build ccache pkg-config libicu-dev libopencc-dev libgtest-dev locales xvfb xauth
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64
  wine wine64 wine32:i386 nsis
)

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# npm may come from elsewhere than Debian (Node.js's own packages carry it): any npm will do.
if ! command -v npm >/dev/null; then
  missing+=(npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "build-windows: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(win32 win64)
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  # Paths taken relative to the checkout and the build folder left out of the hash, so
  # that another checkout on the machine (CI's) finds what this one compiled.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
for preset in "${presets[@]}"; do
  start=$SECONDS
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "build-windows: $preset built in $((SECONDS - start)) s"
done
