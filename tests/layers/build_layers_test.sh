#!/usr/bin/env bash
# The layers as the compiler holds them: a source of a folder that includes a header of
# a layer above or beside its own does not compile with the include folder the build
# gives that folder's targets, while the headers its layer may use do.
#
#   build_layers_test.sh CXX LAYERS     LAYERS: the build tree's layers/ folder
set -uo pipefail

cxx=${1:?usage: build_layers_test.sh CXX LAYERS}
layers=$(cd "${2:?usage: build_layers_test.sh CXX LAYERS}" && pwd) || exit 1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect FOLDER HEADER ok|refused: preprocesses a source of FOLDER that includes HEADER.
# It runs in an empty folder, so that only the include folder can serve the header.
expect() {
  local folder=$1 header=$2 want=$3 out rc
  printf '#include "%s"\n' "$header" >"$work/probe.cpp"
  out=$(cd "$work" && "$cxx" -std=c++20 -E -o /dev/null -I "$layers/$folder/include" probe.cpp 2>&1)
  rc=$?
  if [[ $want == ok && $rc -ne 0 ]]; then
    echo "FAIL $folder cannot include $header:"
    echo "$out"
    failures=$((failures + 1))
  elif [[ $want == refused && ( $rc -eq 0 || "$out" != *"$header"*"No such file"* ) ]]; then
    echo "FAIL $folder includes $header (exit $rc):"
    echo "$out"
    failures=$((failures + 1))
  else
    echo "ok   $folder $want $header"
  fi
}

# The platforms see the model and the script engine, never each other.
expect ui/qt ui/script/ScriptRunner.h ok
expect ui/qt ui/headless/HeadlessPlatform.h refused
expect ui/headless ui/script/ScriptRunner.h ok
expect ui/headless ui/qt/QtPlatform.h refused
# The engine stands below the platforms, the model below the engine.
expect ui/script ui/Controls.h ok
expect ui/script ui/headless/HeadlessPlatform.h refused
expect ui sys/Abi.h ok
expect ui ui/script/ScriptText.h refused
expect sys ui/Control.h refused
# One header of a folder, not the folder: the frame and the host, the shell and the
# script engine.
expect frame host/TavroClient.h ok
expect frame host/Interpreter.h refused
expect shell ui/script/ScriptText.h ok
expect shell ui/script/Transcript.h refused
expect shell ui/Control.h refused
# Areas above the frame, not beside each other.
expect customer payee/swift/SwiftText.h ok
expect customer admin/UserRights.h refused
expect frame customer/CustImport.h refused

if ((failures)); then
  echo "$failures case(s) failed"
  exit 1
fi
