#!/usr/bin/env bash
# The layer checker on small trees made here: a tree that keeps to the layers passes,
# and each kind of wrong-way include fails with its file and line, so the checker run
# on the project cannot pass by accident.
#
#   check_layers_test.sh CHECKER
set -uo pipefail

checker=${1:?usage: check_layers_test.sh CHECKER}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# put FILE LINE...: writes the file of a tree with these lines.
put() {
  local file=$1
  shift
  mkdir -p "$(dirname "$file")"
  printf '%s\n' "$@" >"$file"
}

# expect NAME RC [TEXT...]: runs the checker on the tree in $work/NAME and wants exit
# status RC and every TEXT in its output.
expect() {
  local name=$1 want=$2
  shift 2
  local out rc
  out=$("$checker" "$work/$name" 2>&1)
  rc=$?
  if [[ $rc -ne $want ]]; then
    echo "FAIL $name: exit $rc, wanted $want; output:"
    echo "$out"
    failures=$((failures + 1))
    return
  fi
  local text
  for text in "$@"; do
    if [[ "$out" != *"$text"* ]]; then
      echo "FAIL $name: no \"$text\" in the output:"
      echo "$out"
      failures=$((failures + 1))
      return
    fi
  done
  echo "ok   $name"
}

# A tree that keeps to the layers, with spacing variants and an ignored tests/ folder.
good=$work/good
put "$good/sys/Abi.h" '#pragma once' '#include <cstdint>'
put "$good/ui/Control.h" '#include "sys/Abi.h"' '#include "ui/Other.h"'
put "$good/ui/script/Runner.cpp" '#  include "ui/Control.h"'
put "$good/ui/headless/Headless.cpp" '#include "ui/script/Runner.h"' '#include "ui/Control.h"'
put "$good/ui/qt/Desk.cpp" '#include "ui/script/Runner.h"'
put "$good/frame/Chan.cpp" '#include "host/TavroClient.h"' '#include "ui/Control.h"'
put "$good/payee/swift/Swift.cpp" '#include "frame/Chan.h"'
put "$good/customer/Cust.cpp" '#include "payee/swift/Swift.h"'
put "$good/payee/Payee.cpp" '#include "payee/swift/Swift.h"' '#include "payee/Other.h"'
put "$good/shell/Run.cpp" '#include "ui/script/ScriptText.h"' '#include "sys/Abi.h"'
put "$good/host/Client.cpp" '#include "sys/Abi.h"'
put "$good/tests/frame/any_test.cpp" '#include "customer/Cust.h"'
expect good 0 "every include goes down the layers"

put "$work/up/sys/Files.cpp" '// files' '' '#include "ui/Control.h"'
expect up 1 'sys/Files.cpp:3: sys may not include "ui/Control.h"'

put "$work/subfolder/ui/Platform.cpp" '#include "sys/Abi.h"' '#include "ui/headless/Headless.h"'
expect subfolder 1 'ui/Platform.cpp:2: ui may not include "ui/headless/Headless.h"'

put "$work/sideways/customer/Cust.h" '#include "payee/fixmemo.h"'
expect sideways 1 'customer/Cust.h:1: customer may not include "payee/fixmemo.h"'

put "$work/hostup/host/Client.h" '#include "frame/ShellTypeDef.h"'
expect hostup 1 'host/Client.h:1: host may not include "frame/ShellTypeDef.h"'

put "$work/private/shell/Run.cpp" '#include "ui/script/ScriptText.h"' \
  '#include "ui/script/Transcript.h"'
expect private 1 'shell/Run.cpp:2: shell may not include "ui/script/Transcript.h"'

# No platform includes another, and the script engine stands below them all.
put "$work/platforms/ui/qt/Desk.cpp" '#include "ui/headless/HeadlessPlatform.h"'
put "$work/platforms/ui/script/Runner.cpp" '#include "ui/qt/QtPlatform.h"'
expect platforms 1 'ui/qt/Desk.cpp:1: ui/qt may not include "ui/headless/HeadlessPlatform.h"' \
  'ui/script/Runner.cpp:1: ui/script may not include "ui/qt/QtPlatform.h"'

put "$work/unknown/gadgets/Gadget.cpp" '#include "sys/Abi.h"'
expect unknown 1 "gadgets/Gadget.cpp: the folder gadgets has no place in the layer table"

put "$work/several/frame/A.cpp" '#include "admin/X.h"' '#include "customer/Y.h"'
expect several 1 'frame/A.cpp:1: frame may not include "admin/X.h"' \
  'frame/A.cpp:2: frame may not include "customer/Y.h"'

if ((failures)); then
  echo "$failures case(s) failed"
  exit 1
fi
