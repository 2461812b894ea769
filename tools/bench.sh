#!/usr/bin/env bash
# Prints how long the saver's heavy steps take under Wine on a virtual 1024x768 display:
# loading a picture, painting the gradient, copying the screen, and how long input waits
# while nine pictures are drawn. TAVRIX_BUILD_DIR chooses the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}

"$top/tools/build.sh"

source "$top/tools/wine-session.sh"
trap wine_session_stop EXIT
echo "Starting a private Wine session..."
wine_session_start

cd "$build/win64"
"$WINE64" drawing_bench.exe
