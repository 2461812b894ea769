#!/usr/bin/env bash
# Builds everything and runs every test under Wine, in private Wine sessions with virtual displays of
# their own, side by side: the 64-bit twin (with the checks of the product's files) and the 32-bit
# product with its x86 setup program, as users get them. Case names start with their side.
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
# The emulated side is slower: its cases are shared out over two sessions, every other case each.
declare -A shards=([64]=1 [32]=2)

# One shard of a side's cases in a session of its own; the session ends with them, however they end.
test_shard() {  # side, shard, shards, ctest arguments...
  local side=$1 shard=$2 count=$3
  shift 3
  source "$top/tools/wine-session.sh"
  local ctest_pid=""
  trap wine_session_stop EXIT
  # ctest runs in the background so that a stop request is heard at once, and ends it too.
  trap '[ -z "$ctest_pid" ] || kill "$ctest_pid" 2>/dev/null; exit 143' TERM INT
  run_ctest() {
    ctest --output-on-failure "$@" &
    ctest_pid=$!
    wait "$ctest_pid"
  }
  wine_session_start
  cd "${folder[$side]}"
  local select=(-I "$shard,100000,$count") status=0 wanted=("$@")
  asked() { ctest -N "${select[@]}" -L "$1" "${wanted[@]}" | grep -q 'Total Tests: [1-9]'; }
  # The cases labelled "prefix32" run in a 32-bit Windows (see tests/CMakeLists.txt), made while
  # the others run; those labelled "two-monitors" last, on a display with two monitors. Each only
  # when one of its cases is asked for.
  local prefix32=0 monitors=0
  asked prefix32 && prefix32=1
  asked two-monitors && monitors=1
  [ $prefix32 -eq 0 ] || wine_session_start_prefix32 "$build/test32/prefix32"
  run_ctest "${select[@]}" -LE 'prefix32|two-monitors' "$@" || status=$?
  if [ $prefix32 -eq 1 ]; then
    wine_session_finish_prefix32
    run_ctest "${select[@]}" -L prefix32 "$@" || status=$?
  fi
  if [ $monitors -eq 1 ]; then
    wine_session_use_two_monitors
    run_ctest "${select[@]}" -L two-monitors "$@" || status=$?
  fi
  return $status
}

# One prefix made for all sessions, each of which starts on a copy of it.
export TAVRIX_WINE_TEMPLATE="$build/wine-template"
trap 'rm -rf "$TAVRIX_WINE_TEMPLATE"' EXIT
echo "Making a Wine prefix for the test sessions..."
(source "$top/tools/wine-session.sh" && wine_session_make_template "$TAVRIX_WINE_TEMPLATE")

runs=()
for side in "${sides[@]}"; do
  for ((shard = 1; shard <= shards[$side]; shard++)); do runs+=("$side $shard ${shards[$side]}"); done
done

# A single run reports as it goes; several write a log each, shown once all are done.
if [ ${#runs[@]} -eq 1 ]; then
  echo "Testing ${program[${sides[0]}]} in a private Wine session..."
  # shellcheck disable=SC2086  # side, shard and count are words
  (test_shard ${runs[0]} "$@")
  exit
fi

pids=() logs=()
for run in "${runs[@]}"; do
  read -r side shard count <<<"$run"
  logs+=("$build/test-$side-$shard.log")
  test_shard "$side" "$shard" "$count" "$@" >"${logs[-1]}" 2>&1 &
  pids+=($!)
done
trap 'kill "${pids[@]}" 2>/dev/null; wait; rm -rf "$TAVRIX_WINE_TEMPLATE"' EXIT
echo "Testing in ${#runs[@]} private Wine sessions side by side (logs: $build/test-*.log)..."

statuses=()
for pid in "${pids[@]}"; do
  status=0
  wait "$pid" || status=$?
  statuses+=($status)
done
trap 'rm -rf "$TAVRIX_WINE_TEMPLATE"' EXIT
cat "${logs[@]}"
failed=0
for i in "${!runs[@]}"; do
  read -r side shard count <<<"${runs[i]}"
  name=${program[$side]}
  [ "$count" -eq 1 ] || name+=", $shard of $count"
  # ctest's own count and time of the shard's cases.
  counts=$(grep -E 'tests passed|Total Test time' "${logs[i]}" | tr -s ' ' | paste -sd';' || true)
  if [ "${statuses[i]}" -eq 0 ]; then verdict=passed; else verdict=FAILED failed=1; fi
  printf '%-28s %s: %s\n' "$name:" "$verdict" "${counts:-no cases ran}"
done
exit $failed
