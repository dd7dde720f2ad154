#!/usr/bin/env bash
# Mutation run: how many of a fixed set of small faults the tests catch. Each mutant of
# scripts/mutants.tsv (tab-separated: id, file, text, its replacement, what it breaks)
# replaces one exact text that occurs once in one product file: a changed comparison or
# bound, a dropped call, swapped arguments, a skipped conversion, an off-by-one in a
# field length, a missing rights check.
#
# The checkout's tracked files are copied to a tree of their own (build/mutants/tree, or
# TAVRO_MUTANTS_DIR/tree), which is built once (normal build, without the benchmarks);
# then each mutant is applied there, built incrementally and tested, and its file put
# back. The tests are the normal build's, less those that need a PostgreSQL cluster,
# Wine, an install or the documents, and less the shared bank's long load runs: a
# mutant is killed when one of them fails or times out, and survives when all pass.
# Prints each mutant's outcome, then killed/total and the survivors; a mutant that does
# not build or whose text is not found once fails the run, as the table is then wrong.
# With --killers LOG (the output of an earlier run), the test that killed a mutant then is
# run first, and the others only when it passes: the outcome is the same, sooner.
# Usage: scripts/mutants.sh [--check] [--killers LOG] [ID...]
#        (--check: only look that each mutant applies)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
table=$root/scripts/mutants.tsv
check=0
declare -A killer=()
while [ $# -gt 0 ]; do
  case $1 in
    --check) check=1 ;;
    --killers)
      while read -r id _ _ test _; do
        killer[$id]=$test
      done < <(grep -E '^\S+ killed by \S+ ' "$2")
      shift
      ;;
    *) break ;;
  esac
  shift
done
wanted=" $* "

# One mutant per line; '#' starts a comment line.
ids=() files=() befores=() afters=() whats=()
while IFS=$'\t' read -r id file before after what; do
  [[ -z "$id" || "$id" == \#* ]] && continue
  [[ $# -gt 0 && "$wanted" != *" $id "* ]] && continue
  ids+=("$id") files+=("$file") befores+=("$before") afters+=("$after") whats+=("$what")
done <"$table"

# The text of FILE in the variable original, and with BEFORE replaced by AFTER in the
# variable mutated; fails unless BEFORE occurs exactly once.
mutate() {
  local stripped count
  original=$(cat -- "$1"; printf x)
  original=${original%x}
  stripped=${original//"$2"/}
  count=$(((${#original} - ${#stripped}) / ${#2}))
  if [ "$count" -ne 1 ]; then
    echo "mutants: '$2' occurs $count times in $1, not once" >&2
    return 1
  fi
  mutated=${original/"$2"/"$3"}
}

if [ "$check" -eq 1 ]; then
  bad=0
  for i in "${!ids[@]}"; do
    mutate "${files[$i]}" "${befores[$i]}" "${afters[$i]}" || bad=$((bad + 1))
  done
  [ "$bad" -eq 0 ] && echo "mutants: all ${#ids[@]} apply"
  exit $((bad > 0))
fi

base=${TAVRO_MUTANTS_DIR:-$root/build/mutants}
tree=$base/tree
mkdir -p "$tree"
# The copy keeps each file's time, so that only what changed since the last run is
# rebuilt; a file left mutated by a run that was cut off is touched so it is rebuilt.
git ls-files -z | tar --null -T - -cf - | tar -C "$tree" -xpf -
comm -13 <(git ls-files | sort) \
  <(cd "$tree" && find . -path ./build -prune -o -type f -print | sed 's|^\./||' | sort) |
  (cd "$tree" && xargs -r -d '\n' rm -f --)
if [ -s "$base/dirty" ]; then
  touch -- "$tree/$(cat "$base/dirty")"
fi
cd "$tree"
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$tree CCACHE_NOHASHDIR=true
fi
# Each mutant relinks every program its file reaches: lld, where there is one, links
# them several times faster than the default linker.
linker=()
if command -v ld.lld >/dev/null; then
  linker=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld
          -DCMAKE_MODULE_LINKER_FLAGS=-fuse-ld=lld)
fi
cmake --preset default -DTAVRO_BENCHMARKS=OFF "${linker[@]}" >/dev/null
build() { cmake --build --preset default >"$base/build.log" 2>&1; }
build || { tail -30 "$base/build.log"; echo "mutants: the unmutated tree does not build" >&2; exit 1; }
rm -f "$base/dirty"

export TAVRO_TEST_LOAD_SECONDS=${TAVRO_TEST_LOAD_SECONDS:-10}
unset TAVRO_TEST_PG_HOST TAVRO_TEST_PG_PORT TAVRO_TEST_REQUIRE_PG TAVRO_BANK_URL
skip='^pg\.|SharedBank|ServiceLoad|^docs\.|^install\.|^windows\.'
run_ctest() {
  ctest --test-dir build/default -j2 --timeout 120 --stop-on-failure -E "$skip" "$@" \
    >"$base/test.log" 2>&1
}
run_ctest || { echo "mutants: a test fails on the unmutated tree" >&2; exit 1; }

# The GoogleTest cases, each program run once with its cases (two programs at a time,
# the first failure stops the rest), cost a fraction of a process per case: a mutant
# they kill is known then, and only one they all pass goes on to the whole run above.
ctest --test-dir build/default --show-only=json-v1 >"$base/tests.json"
cat >"$base/quick.py" <<'PY'
import json, os, re, signal, subprocess, sys, time
tests, skip = json.load(open(sys.argv[1]))["tests"], re.compile(sys.argv[2])
alone = set(open(sys.argv[3]).read().split()) if os.path.exists(sys.argv[3]) else set()
groups, rest = {}, []
for number, t in enumerate(tests, 1):
    cmd = t.get("command", [])
    flt = cmd[1:2] if len(cmd) > 1 and cmd[1].startswith("--gtest_filter=") else []
    if not flt or skip.search(t["name"]) or t["name"] in alone:
        rest.append(str(number))
        continue
    props = {p["name"]: p["value"] for p in t.get("properties", [])}
    env = tuple(props.get("ENVIRONMENT", []))
    key = (cmd[0], env, props.get("WORKING_DIRECTORY", "."))
    groups.setdefault(key, []).append(flt[0].split("=", 1)[1])
# The programs this build relinked hold the mutated code: they run first.
relinked = set(re.findall(r"Linking CXX executable (\S+)", open(sys.argv[4]).read()))
waiting = sorted(groups.items(), key=lambda g: os.path.relpath(g[0][0], sys.argv[5]) not in relinked)
running = []
def start(item):
    (exe, env, wd), names = item
    e = dict(os.environ, **dict(v.split("=", 1) for v in env))
    out = open(os.path.join(os.path.dirname(sys.argv[1]), "quick-%d.out" % len(waiting)), "w+", errors="replace")
    return subprocess.Popen([exe, "--gtest_brief=1", "--gtest_filter=" + ":".join(names)],
                            cwd=wd, env=e, stdout=out, stderr=subprocess.STDOUT,
                            start_new_session=True), exe, time.time(), out
open(sys.argv[1] + ".rest", "w").write(",".join(["0", "0", "0"] + rest))
while waiting or running:
    while waiting and len(running) < 2:
        running.append(start(waiting.pop(0)))
    time.sleep(0.05)
    for r in list(running):
        proc, exe, began, out = r
        if proc.poll() is None and time.time() - began < 900:
            continue
        running.remove(r)
        if proc.returncode == 0:
            continue
        for other, _, _, _ in running + [r]:
            try:
                os.killpg(other.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        proc.wait()
        out.seek(0)
        failed = re.search(r"^\[  FAILED  \] (\S+)", out.read(), re.M)
        print(failed.group(1) if failed else os.path.basename(exe) + " (ended by a signal or time-out)")
        sys.exit(1)
PY
quick_tests() {
  python3 "$base/quick.py" "$base/tests.json" "$skip" "$base/alone" "$base/build.log" \
    "$tree/build/default" >"$base/quick.log" 2>&1
}
# A case that fails beside its program's other cases on the unmutated tree (it wants a
# process of its own) is left to the whole run.
: >"$base/alone"
for _ in 1 2 3 4 5 6 7 8 9 10; do
  quick_tests && break
  read -r name rest <"$base/quick.log"
  if [ -n "$rest" ] || grep -qxF "$name" "$base/alone"; then
    cat "$base/quick.log"
    echo "mutants: a program fails on the unmutated tree when it runs all its cases" >&2
    exit 1
  fi
  echo "mutants: $name runs alone, in the whole run"
  echo "$name" >>"$base/alone"
done
quick_tests || { echo "mutants: too many cases want a process of their own" >&2; exit 1; }

# What the programs' own runs leave out: the cases that run alone and the tests that are
# no GoogleTest case (fuzz replays, layer checks, scripts).
run_rest() { run_ctest -I "$(cat "$base/tests.json.rest")"; }
killed=0 survivors=() broken=()
restore() {
  if [ -n "${original_file:-}" ]; then
    printf '%s' "$original" >"$original_file"
    original_file=
  fi
}
trap restore EXIT
for i in "${!ids[@]}"; do
  start=$SECONDS
  file=${files[$i]}
  mutate "$file" "${befores[$i]}" "${afters[$i]}" || exit 1
  original_file=$file
  echo "$file" >"$base/dirty"
  printf '%s' "$mutated" >"$file"
  if ! build; then
    outcome="does not build"
    broken+=("${ids[$i]}")
  elif [ -n "${killer[${ids[$i]}]:-}" ] &&
    ! ctest --test-dir build/default --timeout 120 -R "^${killer[${ids[$i]}]//./\\.}\$" \
      >"$base/test.log" 2>&1; then
    outcome="killed by ${killer[${ids[$i]}]}"
    killed=$((killed + 1))
  elif ! quick_tests; then
    outcome="killed by $(head -1 "$base/quick.log")"
    killed=$((killed + 1))
  elif run_rest; then
    outcome=survived
    survivors+=("${ids[$i]} ${file}: ${whats[$i]}")
  else
    # The first failed test, from ctest's list at the end ("  12 - Suite.Case (Failed)").
    outcome="killed by $(sed -nE 's/^\s*[0-9]+ - (\S+) \(.*/\1/p' "$base/test.log" | head -1)"
    killed=$((killed + 1))
  fi
  restore
  echo "${ids[$i]} $outcome ($((SECONDS - start)) s): ${whats[$i]}"
done
# The tree's build holds no mutant afterwards.
build
rm -f "$base/dirty"
trap - EXIT

echo "mutants: killed ${killed}/${#ids[@]}"
for s in "${survivors[@]}"; do
  echo "survived: $s"
done
if [ ${#broken[@]} -gt 0 ]; then
  echo "mutants: these do not build, mend the table: ${broken[*]}" >&2
  exit 1
fi
