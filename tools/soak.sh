#!/usr/bin/env bash
# Runs the soak benchmark under Wine: the full-screen saver with nine pictures changing every
# second for N minutes (default 3), its memory and an engine's GDI objects printed every 15 s.
# soak.sh [minutes] [seconds between rows]; TAVRIX_BUILD_DIR chooses the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}
minutes=${1:-3}
interval=${2:-15}

"$top/tools/build.sh"

source "$top/tools/wine-session.sh"
wine_session_open

cd "$build/win64"
"$WINE64" soak_bench.exe "$minutes" "$interval"
