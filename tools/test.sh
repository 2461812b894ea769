#!/usr/bin/env bash
# Builds both programs and runs every test: the 64-bit twin under Wine on a private virtual
# display, and the checks of the 32-bit product. Extra arguments go to ctest (e.g. -R dismissal).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}

"$top/tools/build.sh"

source "$top/tools/wine-session.sh"
trap wine_session_stop EXIT
echo "Starting a private Wine session..."
wine_session_start

cd "$build/win64"
ctest --output-on-failure "$@"
