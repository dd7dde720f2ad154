#!/usr/bin/env bash
# Configures and builds one preset (default: "default"). Usage: scripts/build.sh [default|asan]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
# A compiler cache when there is one: a second run of CI on the same machine rebuilds
# only what changed (it takes effect when a build folder is first configured).
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  # Paths taken relative to the checkout and the build folder left out of the hash, so
  # that another checkout on the machine (CI's) finds what this one compiled.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
