#!/usr/bin/env bash
# Builds everything and runs every test under Wine, each side in its own private Wine session and
# virtual display, side by side: the 64-bit twin (with the checks of the product's files) and the
# 32-bit product with its x86 setup program, as users get them. Case names start with their side.
#   tools/test.sh [--side 32|64] [ctest arguments]    e.g. tools/test.sh --side 64 -R Dismissal
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}

sides=(64 32)
if [ "${1:-}" = --side ]; then
  case "${2:-}" in 32 | 64) sides=("$2") ;; *) echo "--side takes 32 or 64" >&2; exit 2 ;; esac
  shift 2
fi

# Built once; a run with the 32-bit side goes on where 32-bit programs run (tools/run-32bit.sh).
if [ -z "${TAVRIX_TESTS_BUILT:-}" ]; then
  "$top/tools/build.sh"
  export TAVRIX_TESTS_BUILT=1
  [[ " ${sides[*]} " == *" 32 "* ]] && exec "$top/tools/run-32bit.sh" "$0" --side-list "${sides[*]}" "$@"
fi
if [ "${1:-}" = --side-list ]; then
  read -ra sides <<<"$2"
  shift 2
fi

declare -A folder=([64]="$build/win64" [32]="$build/test32")
declare -A program=([64]="the 64-bit twin" [32]="the 32-bit product")

# One side's tests in a session of their own; the session ends with them, however they end.
test_side() {  # side, ctest arguments...
  local side=$1
  shift
  source "$top/tools/wine-session.sh"
  trap wine_session_stop EXIT
  trap 'exit 143' TERM INT
  wine_session_start
  cd "${folder[$side]}"
  # The cases labelled "prefix32" run in a 32-bit Windows (see tests/CMakeLists.txt), made while
  # the others run, and only when one of them is asked for.
  local prefix32=0 status=0
  if ctest -N -L prefix32 "$@" | grep -q 'Total Tests: [1-9]'; then
    prefix32=1
    wine_session_start_prefix32 "$build/test32/prefix32"
  fi
  ctest --output-on-failure -LE prefix32 "$@" || status=$?
  if [ $prefix32 -eq 1 ]; then
    wine_session_finish_prefix32
    ctest --output-on-failure -L prefix32 "$@" || status=$?
  fi
  return $status
}

# A single side reports as it goes; two sides write a log each, shown once both are done.
if [ ${#sides[@]} -eq 1 ]; then
  echo "Testing ${program[${sides[0]}]} in a private Wine session..."
  test_side "${sides[0]}" "$@"
  exit
fi

declare -A pid log
for side in "${sides[@]}"; do
  log[$side]="$build/test-$side.log"
  test_side "$side" "$@" >"${log[$side]}" 2>&1 &
  pid[$side]=$!
done
trap 'kill "${pid[@]}" 2>/dev/null; wait' EXIT
echo "Testing ${program[64]} and ${program[32]} side by side (logs: ${log[64]}, ${log[32]})..."

declare -A status
for side in "${sides[@]}"; do
  status[$side]=0
  wait "${pid[$side]}" || status[$side]=$?
done
trap - EXIT
failed=0
for side in "${sides[@]}"; do cat "${log[$side]}"; done
for side in "${sides[@]}"; do
  # ctest's own count and time of the side's cases.
  counts=$(grep -E 'tests passed|Total Test time' "${log[$side]}" | tr -s ' ' | paste -sd';' || true)
  if [ "${status[$side]}" -eq 0 ]; then verdict=passed; else verdict=FAILED failed=1; fi
  printf '%-19s %s: %s\n' "${program[$side]}:" "$verdict" "${counts:-no cases ran}"
done
exit $failed
