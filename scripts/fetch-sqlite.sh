#!/usr/bin/env bash
# Fetches SQLite's amalgamation (sqlite3.c, sqlite3.h) for the Windows build, which
# Debian packages no SQLite for: from the npm registry's better-sqlite3 package, which
# carries it under deps/sqlite3, pinned to one version whose tarball's SHA-256 is checked
# before anything in it is used. The tarball is kept in a cache under build/, so the two
# Windows presets and later configurations fetch it once; nothing lands in the sources.
# Usage: scripts/fetch-sqlite.sh DEST_DIR   (writes DEST_DIR/sqlite3.c and sqlite3.h)
set -euo pipefail

package=better-sqlite3
version=13.2.0 # carries SQLite 3.54.1
sha256=40487589df3496f2ee0079d22b73c63fccebe7db0e8ee9a2c42421861e321e0b

dest=${1:?usage: fetch-sqlite.sh DEST_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${TAVRO_FETCH_CACHE:-$root/build/cache}
tarball=$cache/$package-$version.tgz

check() {
  echo "$sha256  $1" | sha256sum --check --status
}

mkdir -p "$cache"
if [ ! -f "$tarball" ]; then
  if ! command -v npm >/dev/null; then
    echo "fetch-sqlite: npm is needed to fetch $package@$version (apt-get install npm)" >&2
    exit 1
  fi
  echo "fetch-sqlite: fetching $package@$version from the npm registry"
  work=$(mktemp -d "$cache/fetch.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && npm pack --silent "$package@$version" >/dev/null)
  if ! check "$work/$package-$version.tgz"; then
    echo "fetch-sqlite: $package-$version.tgz from the registry does not have the SHA-256" \
      "$sha256; refusing to build with it" >&2
    exit 1
  fi
  mv "$work/$package-$version.tgz" "$tarball"
fi
# The cached file is checked again: a changed or damaged cache never reaches the build.
if ! check "$tarball"; then
  echo "fetch-sqlite: $tarball does not have the SHA-256 $sha256; remove it to fetch" \
    "it again" >&2
  exit 1
fi

# Extracted again only when the pinned tarball changed (the stamp holds its checksum), so
# that configuring again does not make the build compile SQLite anew; -m dates the files
# now, so a new version is compiled.
if [ "$(cat "$dest/sqlite3.sha256" 2>/dev/null)" != "$sha256" ]; then
  mkdir -p "$dest"
  tar -xzmf "$tarball" -C "$dest" --strip-components=3 \
    package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
  echo "$sha256" >"$dest/sqlite3.sha256"
fi
echo "fetch-sqlite: SQLite $(sed -n 's/^#define SQLITE_VERSION *"\(.*\)"/\1/p' "$dest/sqlite3.h")" \
  "in $dest"
