#!/usr/bin/env bash
# Prints how fast and how frugally the saver draws, under Wine on a virtual 1024x768 display:
#  - the heavy steps: loading a picture, painting the gradient, copying the screen, and how long a
#    message waits while nine pictures are drawn;
#  - the saver's share of one CPU core while its pictures move, as a task manager sees it (the Linux
#    process's user and system time), with 1 and 9 pictures at Speeds 0, 9 and 10;
#  - the pictures' speed against the intended speed, the gaps between their steps and the time of a
#    frame by the number of pictures;
# each for today's pacing and for the first version's (a benchmark-only build carries both);
# what a large bitmap background costs: load time, peak working set, time from a key to the end;
# and how long the saver takes to be seen after its start, beside a trivial full-screen window.
#   tools/bench.sh [seconds per CPU run, default 20] [seconds per pacing run, default 5]
# TAVRIX_BUILD_DIR chooses the build folder. TAVRIX_COMPARE_SAVERS="Z:\path\a.scr ..." adds other
# builds of the saver (an earlier version, say) to the start-up rounds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}
cpu_seconds=${1:-20}
pacing_seconds=${2:-5}

"$top/tools/build.sh"

source "$top/tools/wine-session.sh"
wine_session_open
cd "$build/win64"

"$WINE64" drawing_bench.exe

# utime + stime of a Linux process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# The share of one core that a saver run takes while its pictures move.
cpu_share() {  # program, pictures, speed, [environment...]
  local program=$1 pictures=$2 speed=$3; shift 3
  printf '[Options]\r\nBackground=1\r\nChangeTime=3600\r\nMove=1\r\nPictures=%s\r\nSpeed=%s\r\n' \
    $((pictures - 1)) "$speed" >"$WINEPREFIX/drive_c/windows/tavrixsaver.ini"
  env "$@" "$WINE64" "$program" /s &
  local pid=$!
  sleep 3  # the background and the first pictures
  local ticks0 start ticks1 end
  ticks0=$(cpu_ticks $pid) start=$(date +%s.%N)
  sleep "$cpu_seconds"
  ticks1=$(cpu_ticks $pid) end=$(date +%s.%N)
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  awk -v t=$((ticks1 - ticks0)) -v hz="$(getconf CLK_TCK)" -v s="$start" -v e="$end" \
    'BEGIN { printf "%.1f", 100 * t / hz / (e - s) }'
}

echo
echo "CPU: the saver's share of one core over ${cpu_seconds} s while the pictures move"
printf '%-9s %-6s %10s %15s\n' pictures Speed today "first version"
for pictures in 1 9; do
  for speed in 0 9 10; do
    today=$(cpu_share tavrixsaver.scr $pictures $speed)
    first=$(cpu_share tavrixsaver_bench.scr $pictures $speed TAVRIX_OLD_PACING=1)
    printf '%-9s %-6s %9s%% %14s%%\n' $pictures $speed "$today" "$first"
  done
done
rm -f "$WINEPREFIX/drive_c/windows/tavrixsaver.ini"

"$WINE64" pacing_bench.exe "$pacing_seconds"

"$WINE64" bitmap_bench.exe

# shellcheck disable=SC2086  # the savers to compare are words
"$WINE64" startup_bench.exe 9 tavrixsaver.scr ${TAVRIX_COMPARE_SAVERS:-}
