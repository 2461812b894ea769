#!/usr/bin/env bash
# Builds everything and runs every test under Wine on a private virtual display: first against the
# 64-bit twin (with the checks of the product's files), then against the 32-bit product and its x86
# setup program, as users get them. Case names start with their side: "64/", "32/".
#   tools/test.sh [--side 32|64] [ctest arguments]    e.g. tools/test.sh --side 64 -R Dismissal
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}

sides=(64 32)
if [ "${1:-}" = --side ]; then
  case "${2:-}" in 32 | 64) sides=("$2") ;; *) echo "--side takes 32 or 64" >&2; exit 2 ;; esac
  shift 2
fi

# Built once; the 32-bit side then goes on where 32-bit programs run (tools/run-32bit.sh).
if [ -z "${TAVRIX_TESTS_BUILT:-}" ]; then
  "$top/tools/build.sh"
  export TAVRIX_TESTS_BUILT=1
  [[ " ${sides[*]} " == *" 32 "* ]] && exec "$top/tools/run-32bit.sh" "$0" --side-list "${sides[*]}" "$@"
fi
if [ "${1:-}" = --side-list ]; then
  read -ra sides <<<"$2"
  shift 2
fi

source "$top/tools/wine-session.sh"
trap wine_session_stop EXIT
echo "Starting a private Wine session..."
wine_session_start
# The product's setup program meets Windows 98 in a 32-bit Windows, made while the twin is tested.
[[ " ${sides[*]} " == *" 32 "* ]] && wine_session_start_prefix32 "$build/test32/prefix32"

declare -A folder=([64]="$build/win64" [32]="$build/test32")
declare -A program=([64]="the 64-bit twin" [32]="the 32-bit product")
failed=0 summary=()
for side in "${sides[@]}"; do
  echo "Testing ${program[$side]}..."
  [ "$side" = 64 ] || wine_session_finish_prefix32
  started=$SECONDS status=0
  (cd "${folder[$side]}" && ctest --output-on-failure "$@") || status=$?
  verdict="passed"
  [ $status -eq 0 ] || { verdict="FAILED"; failed=1; }
  summary+=("$(printf '%-19s %s in %d s' "${program[$side]}:" "$verdict" $((SECONDS - started)))")
done
printf '%s\n' "${summary[@]}"
exit $failed
