#!/usr/bin/env bash
# How many real faults the tests catch: plants each fault of faults.txt (or those whose name matches
# the regex) in a scratch copy of the checkout, rebuilds the tested 64-bit twin and runs the tests
# named for it. A fault is killed when one of them fails or times out.
#   tests/mutations/run.sh [--check] [name-regex]     --check: only see that every fault still applies
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
check_only=0
if [ "${1:-}" = --check ]; then check_only=1; shift; fi
wanted=${1:-.}

scratch=$(mktemp -d /tmp/tavrix-mutants.XXXXXX)
src=$scratch/src build=$scratch/build
source "$top/tools/wine-session.sh"
# Everything started here ends with the run, however it ends.
ctest_pid=""
# (The kill may fail, the tests having ended: under set -e that must not cut the trap short.)
trap '[ -z "$ctest_pid" ] || kill "$ctest_pid" 2>/dev/null || true; wine_session_stop; rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM

# name | file | sed expression | ctest regex: names, files and regexes hold no blank.
names=() files=() edits=() regexes=()
while IFS= read -r line; do
  [[ -z "${line// /}" || $line == \#* ]] && continue
  [[ $line =~ ^([^ ]+)\ \|\ ([^ ]+)\ \|\ (.+)\ \|\ ([^ ]+)$ ]] || { echo "Not a fault line: $line" >&2; exit 1; }
  fields=("${BASH_REMATCH[@]:1}")
  [[ ${fields[0]} =~ $wanted ]] || continue
  # The list names cases without their side; the twin's start with "64/".
  names+=("${fields[0]}") files+=("${fields[1]}") edits+=("${fields[2]}") regexes+=("^64/${fields[3]#^}")
done <"$top/tests/mutations/faults.txt"
[ ${#names[@]} -gt 0 ] || { echo "No fault's name matches '$wanted'" >&2; exit 1; }

# Only the checkout's own files: nothing built or left lying about comes along.
mkdir -p "$src"
git -C "$top" ls-files -z | tar -C "$top" --null -T - -cf - | tar -C "$src" -xf -

# Plants fault $1; fails unless its edit changed exactly one line. restore puts the file back
# (with a new time, so that the next build compiles it again).
plant() {
  local path=$src/${files[$1]}
  rm -f "$scratch/original"
  cp "$path" "$scratch/original" 2>/dev/null && sed -i -e "${edits[$1]}" "$path" 2>/dev/null &&
    [[ $(diff --unchanged-line-format= --old-line-format=- --new-line-format=+ "$scratch/original" "$path") =~ ^-\+?$ ]]
}
restore() { cp "$scratch/original" "$src/${files[$1]}"; }

refused=0
for i in "${!names[@]}"; do
  plant "$i" || { echo "Refused: ${names[$i]} does not change exactly one line of ${files[$i]}" >&2; refused=1; }
  [ ! -f "$scratch/original" ] || restore "$i"
done

echo "Configuring the twin in $build..."
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-x86_64-w64-mingw32.cmake" -DTAVRIX_TESTS=ON >/dev/null

# Each fault's tests by number, and the programs that run them.
tests=() targets=() all_tests="" all_targets="tavrixsaver"
for i in "${!names[@]}"; do
  listing=$(ctest --test-dir "$build" -N -V -R "${regexes[$i]}")
  tests[i]=$(grep -oE '^ *Test +#[0-9]+' <<<"$listing" | grep -oE '[0-9]+' | paste -sd, || true)
  [ -n "${tests[i]}" ] || { echo "Refused: ${names[$i]} names no test (${regexes[$i]})" >&2; refused=1; }
  targets[i]="tavrixsaver $(grep -oE '[A-Za-z0-9_]+\.exe"' <<<"$listing" | sed 's/\.exe"//' | sort -u | paste -sd' ' || true)"
  all_tests+=",${tests[i]}" all_targets+=" ${targets[i]}"
done
[ $refused -eq 0 ] || exit 1
[ $check_only -eq 0 ] || { echo "All ${#names[@]} faults apply to one line and name tests."; exit 0; }

echo "Building the twin and its tests..."
# shellcheck disable=SC2046  # target lists are words
cmake --build "$build" --parallel 2 --target $(tr ' ' '\n' <<<"$all_targets" | sort -u) >"$scratch/build.log" 2>&1 ||
  { tail -30 "$scratch/build.log"; echo "The unchanged checkout does not build." >&2; exit 1; }
echo "Starting a private Wine session..."
wine_session_start ""  # a virtual display, never the caller's

# A test that timed out may leave a saver or test program of ours running: it would get in the way
# of the next fault's tests. Ours are those of this session's prefix.
end_leftovers() {
  local pid
  for pid in $(pgrep -f tavrix || true); do
    # The session's anchor keeps Wine's desktop alive for the next tests.
    tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -q '/anchor-' && continue
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && kill -9 "$pid" 2>/dev/null
  done
  return 0
}

# Wine keeps what it learnt of a program file by the file's inode, and the linker rewrites a program
# in place: each start of a rebuilt one would then take ten seconds and more. So every program gets a
# new inode after a build, and the 95/98-family copies the tests make (in their scratch folder) are
# made afresh.
fresh_programs() {
  local file
  for file in "$build"/*.{exe,scr,CPL,DLL}; do [ ! -f "$file" ] || { cp -p "$file" "$file.new" && mv "$file.new" "$file"; }; done
  find "$WINEPREFIX/drive_c/users" -type d -name tavrix-tests -prune -exec rm -rf {} +
}

# run_tests <numbers> [ctest options]: quiet, with the log in the scratch folder.
# ctest runs in the background so that a stop request is heard at once (the trap ends it too).
run_tests() {
  local numbers=$1; shift
  rm -f "$build/Testing/Temporary/LastTestsFailed.log"
  (cd "$build" && exec ctest -I "0,0,0,$numbers" --timeout 300 "$@") >"$scratch/test.log" 2>&1 &
  ctest_pid=$!
  wait "$ctest_pid"
}
failed_tests() { cut -d: -f2 "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null | paste -sd' ' || true; }

echo "Running the tests of all ${#names[@]} faults on the unchanged checkout first..."
run_tests "$(tr ',' '\n' <<<"${all_tests#,}" | sort -un | paste -sd,)" ||
  { echo "They fail without any fault: $(failed_tests)" >&2; exit 1; }
end_leftovers

started=$SECONDS
killed=() survived=() unbuilt=()
for i in "${!names[@]}"; do
  fault_start=$SECONDS
  plant "$i"
  # shellcheck disable=SC2086
  if ! cmake --build "$build" --parallel 2 --target ${targets[i]} >"$scratch/build.log" 2>&1; then
    unbuilt+=("${names[$i]}") verdict="DID NOT BUILD"
  else
    fresh_programs
    built=$((SECONDS - fault_start))
    if run_tests "${tests[i]}" --stop-on-failure --output-on-failure; then
      survived+=("${names[$i]}") verdict="SURVIVED"
    else
      killed+=("${names[$i]}") verdict="killed by $(failed_tests)"
    fi
    verdict+=" (built in $built s, tested in $((SECONDS - fault_start - built)) s)"
  fi
  restore "$i"
  end_leftovers
  printf '[%d/%d] %s: %s\n' $((i + 1)) ${#names[@]} "${names[$i]}" "$verdict"
done

echo
echo "${#killed[@]} killed, ${#survived[@]} survived, ${#unbuilt[@]} did not build" \
  "($(( (SECONDS - started) / 60 )) min)"
for name in "${survived[@]}"; do echo "  survived: $name"; done
for name in "${unbuilt[@]}"; do echo "  did not build (rewrite it): $name"; done
