#!/usr/bin/env bash
# The main job: builds both programs and shows the product, the 32-bit saver, full-screen under Wine
# for a while, ends it with a key press as a user would, and leaves screenshots behind.
#   tools/run.sh [seconds]               (default 8): a screenshot a second
#   tools/run.sh --record [seconds]      (default 6): ten screenshots a second, made into the
#                                        README's animated picture docs/saver-moving.gif (512 px wide)
# DISPLAY set: the saver appears on that display; otherwise on a virtual 1024x768 one.
# TAVRIX_SETTINGS=file.ini: use these settings instead of the demonstration settings.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIX_BUILD_DIR:-$top/build}

# Built once; the product is 32-bit, so the run goes on where 32-bit programs run.
if [ -z "${TAVRIX_RUN_BUILT:-}" ]; then
  "$top/tools/build.sh"
  export TAVRIX_RUN_BUILT=1
  exec "$top/tools/run-32bit.sh" "$0" "$@"
fi

record=0
if [ "${1:-}" = --record ]; then record=1; shift; fi
if [ $record -eq 1 ]; then seconds=${1:-6}; else seconds=${1:-8}; fi
animation=$top/docs/saver-moving.gif

# Makes the recorded frames into a looping GIF that keeps to the times they were taken at.
make_animation() {  # frames folder, output
  local frames=$1 output=$2 arguments
  mapfile -t arguments < <(awk -v dir="$frames" '
    { name[NR] = $1; at[NR] = $2 }
    END {
      for (i = 1; i <= NR; i++) {
        next_at = (i < NR) ? at[i + 1] : at[i] + (NR > 1 ? (at[NR] - at[1]) / (NR - 1) : 100)
        printf "-delay\n%d\n%s/%s\n", int(next_at / 10 + 0.5) - int(at[i] / 10 + 0.5), dir, name[i]
      }
    }' "$frames/frames.txt")
  convert -loop 0 "${arguments[@]}" -resize 512x +dither -colors 255 -layers Optimize "$frames/raw.gif"
  gifsicle -O3 "$frames/raw.gif" -o "$output"
}

source "$top/tools/wine-session.sh"
if [ -n "${DISPLAY:-}" ]; then wine_session_open user-display; else wine_session_open; fi

settings="$WINEPREFIX/drive_c/windows/tavrixsaver.ini"
if [ -n "${TAVRIX_SETTINGS:-}" ]; then
  cp "$TAVRIX_SETTINGS" "$settings"
else
  # Three moving pictures over the blue gradient, a new set every four seconds.
  printf '[Options]\r\nBackground=1\r\nPictures=2\r\nChangeTime=4\r\nRandom=1\r\nChangePos=1\r\n' >"$settings"
fi

shots="$build/screenshots/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$shots"

"$WINE64" "$build/win32/tavrixsaver.scr" /s &
saver=$!
for _ in $(seq 150); do xdotool search --name '^Screen Saver$' >/dev/null 2>&1 && break; sleep 0.2; done
sleep 2  # the first pictures come in
if [ $record -eq 1 ]; then
  frames="$shots/frames"
  mkdir -p "$frames"
  "$WINE64" "$build/win64/screen_recorder.exe" "Z:${frames//\//\\}" "$seconds" 10
else
  for ((i = 1; i <= seconds; i++)); do
    import -window root "$shots/saver-$(printf %02d "$i").png" 2>/dev/null || true
    sleep 1
  done
fi

# End it as a user would: a key press. If the key goes astray, close the window instead.
xdotool key --clearmodifiers space 2>/dev/null || true
for _ in $(seq 30); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$saver" 2>/dev/null; then
  xdotool search --name '^Screen Saver$' key space 2>/dev/null || true
  sleep 1
  kill "$saver" 2>/dev/null || true
fi
wait "$saver" 2>/dev/null && status=0 || status=$?

if [ $record -eq 1 ]; then
  make_animation "$frames" "$animation"
  rm -rf "$frames"
  rmdir "$shots" 2>/dev/null || true
fi

echo
echo "The saver ran for $seconds seconds and ended with exit code $status."
if [ $record -eq 1 ]; then
  echo "Animation:                                  $animation ($(du -k "$animation" | cut -f1) KB)"
else
  echo "Screenshots:                 $shots"
fi
echo "The saver that ran, to install on Windows:  $build/win32/tavrixsaver.scr"
echo "Its setup program:                          $build/win32/tavrixsaver-setup.exe"
