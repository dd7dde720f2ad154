#!/usr/bin/env bash
# Checks that every source folder includes only from the layers below it, by the layer
# table cmake/layers.txt (the one the build makes its include folders from), and prints
# each wrong-way include as file:line. Exits 1 when there is one (or a source folder the
# table does not name), 0 otherwise.
#
#   scripts/check-layers.sh [ROOT]     ROOT: the tree to check (default: this checkout)
#
# The table is always this checkout's. Only #include "..." lines count (system headers
# use <...>); tests/, examples/ and build folders are not source folders. A folder
# always includes its own headers, and files beside it by their bare names.
set -euo pipefail

table="$(cd "$(dirname "$0")/.." && pwd)/cmake/layers.txt"
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# What each folder may include besides itself: a folder (its headers, not those of its
# subfolders) or one header by its path.
declare -A allowed=()
while read -r folder uses; do
  [[ -z "$folder" || "$folder" == \#* ]] && continue
  allowed[$folder]=${uses%%#*}
done <"$table"

failed=0
while IFS= read -r -d '' file; do
  folder=$(dirname "$file")
  folder=${folder#./}
  if [[ ! -v allowed[$folder] ]]; then
    echo "$file: the folder $folder has no place in the layer table (cmake/layers.txt)"
    failed=1
    continue
  fi
  while IFS=: read -r line included; do
    [[ -z "$line" ]] && continue
    dir=$(dirname "$included")
    ok=0
    # A bare name is found beside the including file (a form's layout data).
    if [[ "$dir" == "$folder" || "$dir" == "." ]]; then
      ok=1
    else
      for entry in ${allowed[$folder]}; do
        if [[ "$entry" == "$dir" || "$entry" == "$included" ]]; then
          ok=1
          break
        fi
      done
    fi
    if ((!ok)); then
      echo "${file#./}:$line: $folder may not include \"$included\" (it may use: ${allowed[$folder]:-nothing else})"
      failed=1
    fi
  done < <(awk '/^[[:space:]]*#[[:space:]]*include[[:space:]]*"/ {
                 name = $0; sub(/^[^"]*"/, "", name); sub(/".*/, "", name)
                 print FNR ":" name }' "$file")
done < <(find . \( -path ./tests -o -path ./examples -o -path './build*' -o -path ./.git \) -prune \
              -o -type f \( -name '*.h' -o -name '*.cpp' \) -print0)

if ((failed)); then
  echo "check-layers: wrong-way includes found (lower layers never include higher ones)"
  exit 1
fi
echo "check-layers: every include goes down the layers"
