#!/usr/bin/env bash
# The main job: builds both programs and shows the saver full-screen under Wine for a while,
# ends it with a key press as a user would, and leaves screenshots behind.
#   tools/run.sh [seconds]      (default 8)
# DISPLAY set: the saver appears on that display; otherwise on a virtual 1024x768 one.
# TAVRIX_SETTINGS=file.ini: use these settings instead of the demonstration settings.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}
seconds=${1:-8}

"$top/tools/build.sh"

source "$top/tools/wine-session.sh"
trap wine_session_stop EXIT
if [ -n "${DISPLAY:-}" ]; then wine_session_start user-display; else wine_session_start; fi

settings="$WINEPREFIX/drive_c/windows/tavrixsaver.ini"
if [ -n "${TAVRIX_SETTINGS:-}" ]; then
  cp "$TAVRIX_SETTINGS" "$settings"
else
  # Three moving pictures over the blue gradient, a new set every four seconds.
  printf '[Options]\r\nBackground=1\r\nPictures=2\r\nChangeTime=4\r\nRandom=1\r\nChangePos=1\r\n' >"$settings"
fi

shots="$build/screenshots/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$shots"

"$WINE64" "$build/win64/tavrixsaver.scr" /s &
saver=$!
sleep 1
for ((i = 1; i <= seconds; i++)); do
  import -window root "$shots/saver-$(printf %02d "$i").png" 2>/dev/null || true
  sleep 1
done

# End it as a user would: a key press. If the key goes astray, close the window instead.
xdotool key --clearmodifiers space 2>/dev/null || true
for _ in $(seq 30); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$saver" 2>/dev/null; then
  xdotool search --name '^Screen Saver$' key space 2>/dev/null || true
  sleep 1
  kill "$saver" 2>/dev/null || true
fi
wait "$saver" 2>/dev/null && status=0 || status=$?

echo
echo "The saver ran for $seconds seconds and ended with exit code $status."
echo "Screenshots:                 $shots"
echo "The product (32-bit, to install on Windows): $build/win32/tavrixsaver.scr"
echo "Its 64-bit twin (what ran here):             $build/win64/tavrixsaver.scr"
