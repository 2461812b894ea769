#!/usr/bin/env bash
# Takes the README's picture of the configuration dialog with default settings: docs/config-dialog.png.
# Runs the 64-bit twin in a private Wine session on a virtual display. TAVRIX_BUILD_DIR chooses the build folder.
#   tools/screenshot-dialog.sh [output.png] [dpi]      dpi: the display's, as Windows' scaling sets it (96)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}
output=${1:-$top/docs/config-dialog.png}
dpi=${2:-96}
title="Bildschirmschoner Einstellungen"

"$top/tools/build.sh"

source "$top/tools/wine-session.sh"
wine_session_open

"$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1

# A fresh prefix holds no settings file: the dialog shows the defaults.
"$WINE64" "$build/win64/tavrixsaver.scr" /c >/dev/null 2>&1 &
wine_session_program_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "The dialog did not appear" >&2; exit 1; }
sleep 1.5  # let it finish painting

eval "$(xdotool getwindowgeometry --shell "$window")"  # sets X, Y, WIDTH, HEIGHT
mkdir -p "$(dirname "$output")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
echo "Wrote $output (${WIDTH}x${HEIGHT} at ${X},${Y})"
