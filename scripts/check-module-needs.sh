#!/usr/bin/env bash
# Checks that a shared library needs no drawing or desktop library: no cairo, pango,
# GLib objects, Qt or xcb among its NEEDED entries. The module (libManageEdit.so) must
# load on a host that has none of them; its platforms are plugins beside it.
#
#   scripts/check-module-needs.sh LIBRARY
#
# Exits 1 and names each such entry when there is one, 2 when the library cannot be read.
set -euo pipefail

library=${1:?usage: check-module-needs.sh LIBRARY}
if ! dynamic=$(readelf -d "$library" 2>&1); then
  echo "check-module-needs: cannot read $library: $dynamic"
  exit 2
fi
needed=$(sed -nE 's/.*\(NEEDED\).*\[(.*)\].*/\1/p' <<<"$dynamic")
if [[ -z "$needed" ]]; then
  echo "check-module-needs: $library has no NEEDED entries (not a dynamic library?)"
  exit 2
fi
bad=$(grep -E '^lib(cairo|pango|gobject|glib|Qt[0-9]|xcb)' <<<"$needed" || true)
if [[ -n "$bad" ]]; then
  while IFS= read -r entry; do
    echo "$library: needs $entry"
  done <<<"$bad"
  echo "check-module-needs: $library needs drawing or desktop libraries"
  exit 1
fi
echo "check-module-needs: $library needs none of cairo, pango, GLib, Qt, xcb"
