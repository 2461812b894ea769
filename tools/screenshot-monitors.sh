#!/usr/bin/env bash
# Takes the README's picture of the saver on two monitors side by side (1024x768, the primary, and
# 800x600): docs/two-monitors.png. The blue fade fills each monitor; the pictures move on the
# primary. Runs the 64-bit twin in a private Wine session. TAVRIX_BUILD_DIR chooses the build folder.
#   tools/screenshot-monitors.sh [output.png]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}
output=${1:-$top/docs/two-monitors.png}

"$top/tools/build.sh"

source "$top/tools/wine-session.sh"
wine_session_open
wine_session_use_two_monitors

printf '[Options]\r\nBackground=1\r\nPictures=5\r\nChangeTime=3600\r\nChangePos=1\r\n' \
  >"$WINEPREFIX/drive_c/windows/tavrixsaver.ini"
"$WINE64" "$build/win64/tavrixsaver.scr" /s >/dev/null 2>&1 &
wine_session_program_pid=$!
for _ in $(seq 150); do xdotool search --name '^Screen Saver$' >/dev/null 2>&1 && break; sleep 0.2; done
sleep 2  # the background and the first pictures

mkdir -p "$(dirname "$output")"
import -window root +repage "$output"
echo "Wrote $output ($(identify -format '%wx%h' "$output"))"
