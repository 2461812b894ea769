# Sourced by the run and test scripts: a private Wine prefix, a persistent wineserver and,
# unless asked to use the caller's display, a virtual X display. Stops what it started.

WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64
WINE32=/usr/lib/wine/wine
wine_session_xvfb_pid=""
wine_session_xephyr_pid=""
wine_session_server_pid=""
wine_session_dir=""
wine_session_server_dir=""
wine_session_anchor_pid=""
wine_session_prefix32=""
wine_session_prefix32_boot_pid=""
wine_session_prefix32_server_pid=""
wine_session_prefix32_anchor_pid=""

wine_session_wait_for_display() {
  local tries=100
  until xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || { echo "X display $DISPLAY did not come up" >&2; return 1; }
    sleep 0.1
  done
}

# The first program would start a server of its own if ours were not listening yet. The server
# works in its own folder, where it makes its socket.
wine_session_wait_for_server() {
  local tries=200
  until [ -S "/proc/$wine_session_server_pid/cwd/socket" ]; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || { echo "The Wine server did not come up" >&2; return 1; }
    sleep 0.05
  done
  wine_session_server_dir=$(readlink "/proc/$wine_session_server_pid/cwd")
}

# Waits (ten seconds at most) until an X server started with -displayfd has written its display
# number into the file; fails with one line while the server is gone or the time is up.
wine_session_await_display_number() {  # file, server PID, server name
  local tries=200
  until [ -s "$1" ]; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] && kill -0 "$2" 2>/dev/null || { echo "$3 did not start" >&2; return 1; }
    sleep 0.05
  done
}

# Xvfb picks a free display number itself and writes it down once it listens: sessions that start
# at the same moment cannot take the same one.
wine_session_start_xvfb() {
  local numbered="$wine_session_dir/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numbered" >/dev/null 2>&1 &
  wine_session_xvfb_pid=$!
  wine_session_await_display_number "$numbered" "$wine_session_xvfb_pid" Xvfb || return 1
  export DISPLAY=":$(head -n 1 "$numbered")"
  wine_session_wait_for_display
}

# Two monitors side by side for the rest of the session: the primary 1024x768 and 800x600 to its
# right, the two screens of an Xephyr joined by Xinerama, shown inside the session's own display.
# Wine takes its monitors from Xinerama (UseXRandR=N, set for every prefix); the server and the
# desktop start afresh on the new display.
wine_session_use_two_monitors() {
  local numbered="$wine_session_dir/two-monitors"
  Xephyr -displayfd 4 +xinerama -screen 1024x768 -screen 800x600 -nolisten tcp -ac 4>"$numbered" >/dev/null 2>&1 &
  wine_session_xephyr_pid=$!
  wine_session_await_display_number "$numbered" "$wine_session_xephyr_pid" Xephyr || return 1
  wine_session_stop_anchor
  wine_session_stop_server
  export DISPLAY=":$(head -n 1 "$numbered")"
  wine_session_wait_for_display
  wine_session_start_server
  wine_session_start_anchor
}

# wine_session_start [use-own-display]: with an argument "user-display" and DISPLAY set,
# the caller's display is used; otherwise a virtual 1024x768 one. With TAVRIX_WINE_TEMPLATE naming
# a prefix that wine_session_make_template made, the session's prefix is a copy of it.
wine_session_start() {
  wine_session_dir=$(mktemp -d /tmp/tavrix-wine.XXXXXX)
  export WINEPREFIX="$wine_session_dir/prefix"
  export WINEDEBUG=-all,err+winediag
  export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d;winemenubuilder.exe=d;mscoree,mshtml="
  if [ "${1:-}" = user-display ] && [ -n "${DISPLAY:-}" ]; then
    :
  else
    wine_session_start_xvfb
  fi
  if [ -n "${TAVRIX_WINE_TEMPLATE:-}" ]; then
    cp -a "$TAVRIX_WINE_TEMPLATE" "$WINEPREFIX"
  else
    wine_session_make_prefix
  fi
  wine_session_start_server
  wine_session_start_anchor
}

# Makes and configures the prefix WINEPREFIX, on a server of its own that is stopped again:
# making it leaves two service managers behind, and then every program start can wait many
# seconds, so the session starts afresh on the finished prefix.
wine_session_make_prefix() {
  mkdir -p "$WINEPREFIX"
  wine_session_start_server
  "$WINE64" wineboot -i >"$wine_session_dir/boot.log" 2>&1
  wine_session_configure_prefix "$WINE64"
  wine_session_stop_server
}

# A prefix at $1 for sessions to copy (TAVRIX_WINE_TEMPLATE): made once, it spares each session
# the seconds of CPU that making one takes. Needs a display, as making a prefix does.
wine_session_make_template() {
  local template=$1
  wine_session_dir=$(mktemp -d /tmp/tavrix-wine.XXXXXX)
  export WINEPREFIX="$wine_session_dir/prefix"
  export WINEDEBUG=-all,err+winediag
  export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d;winemenubuilder.exe=d;mscoree,mshtml="
  wine_session_start_xvfb
  wine_session_make_prefix
  rm -rf "$template"
  mv "$WINEPREFIX" "$template"
  wine_session_stop
}

# A hidden window for the whole session keeps Wine's desktop process from leaving between programs.
# The first program on a fresh server also starts the prefix's services, which keep its output open:
# theirs goes nowhere, so a test's output ends with the test. Its PID lands in $wine_session_new_anchor_pid.
wine_session_launch_anchor() {  # compiler, wine loader, window title
  local compiler=$1 wine=$2 title=$3 source program
  source="$(dirname "${BASH_SOURCE[0]}")/session_anchor.c"
  program="$wine_session_dir/anchor-$compiler.exe"
  [ -f "$program" ] || "$compiler" -O2 -mwindows -DANCHOR_TITLE="\"$title\"" -o "$program" "$source" || return 1
  "$wine" "$program" >/dev/null 2>&1 &
  wine_session_new_anchor_pid=$!
  # A deadline, not a wait: a fresh server first starts the prefix's services, 32-bit ones too
  # (emulated), which on a busy machine has taken more than half a minute.
  local tries=2400
  until xdotool search --name "^$title\$" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || { echo "The session anchor did not start" >&2; return 1; }
    sleep 0.05
  done
}

wine_session_start_anchor() {
  wine_session_launch_anchor x86_64-w64-mingw32-gcc "$WINE64" "Tavrix session anchor"
  wine_session_anchor_pid=$wine_session_new_anchor_pid
}

# Starts a persistent server for WINEPREFIX; its PID lands in $wine_session_new_server_pid.
wine_session_launch_server() {
  # As root, file permissions would not hold for the server, which opens every file for the
  # programs: without these capabilities a read-only file is read-only, as for a user.
  local server=("$WINESERVER64" -f -p)
  if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    server=(setpriv --bounding-set -dac_override,-dac_read_search,-fowner -- "${server[@]}")
  fi
  "${server[@]}" >/dev/null 2>&1 &
  wine_session_new_server_pid=$!
}

wine_session_start_server() {
  wine_session_launch_server
  wine_session_server_pid=$wine_session_new_server_pid
  wine_session_wait_for_server
}

wine_session_stop_server() {
  [ -n "$wine_session_server_pid" ] || return 0
  "$WINESERVER64" -k >/dev/null 2>&1 || true
  wine_session_end_process "$wine_session_server_pid"
  wine_session_server_pid=""
  if [ -n "$wine_session_server_dir" ]; then
    rmdir "$wine_session_server_dir" "$(dirname "$wine_session_server_dir")" 2>/dev/null || true
    wine_session_server_dir=""
  fi
}

# The settings every prefix of a session gets, for the programs run in WINEPREFIX.
wine_session_configure_prefix() {
  local wine=$1
  # Without a window manager, Wine would wait in every DestroyWindow of a managed window.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # A crashing program ends quietly instead of waiting for someone to close a dialog.
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Monitors from Xinerama, where a display has several (XRandR reports them as one).
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
  # No debugger attaches to a fault: the program's own fault handling runs, as on a plain machine.
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ \
    /d 'no-debugger-installed.exe' /f >/dev/null 2>&1
}

# A second prefix, at $1, that is a 32-bit Windows: no program runs under WoW64 there, as none
# does on Windows 95 or 98. It boots in the background; wine_session_finish_prefix32 waits for it.
wine_session_start_prefix32() {
  wine_session_prefix32=$1
  rm -rf "$wine_session_prefix32"
  mkdir -p "$wine_session_prefix32"
  # The server makes the prefix's first files: it too must know the prefix is 32-bit.
  WINEPREFIX=$wine_session_prefix32 WINEARCH=win32 wine_session_launch_server
  wine_session_prefix32_server_pid=$wine_session_new_server_pid
  (
    export WINEPREFIX=$wine_session_prefix32 WINEARCH=win32
    "$WINE32" wineboot -i >"$wine_session_dir/boot32.log" 2>&1
    wine_session_configure_prefix "$WINE32"
  ) &
  wine_session_prefix32_boot_pid=$!
}

# As for the main prefix, the server starts afresh once the prefix is made.
wine_session_finish_prefix32() {
  [ -n "$wine_session_prefix32_boot_pid" ] || return 0
  wait "$wine_session_prefix32_boot_pid" || { echo "The 32-bit prefix could not be made" >&2; return 1; }
  wine_session_prefix32_boot_pid=""
  wine_session_stop_prefix32_server
  export WINEPREFIX
  local main_prefix=$WINEPREFIX
  WINEPREFIX=$wine_session_prefix32
  wine_session_launch_server
  wine_session_prefix32_server_pid=$wine_session_new_server_pid
  wine_session_launch_anchor i686-w64-mingw32-gcc "$WINE32" "Tavrix session anchor 32"
  wine_session_prefix32_anchor_pid=$wine_session_new_anchor_pid
  WINEPREFIX=$main_prefix
}

wine_session_stop_prefix32_server() {
  if [ -n "$wine_session_prefix32_anchor_pid" ]; then
    kill "$wine_session_prefix32_anchor_pid" 2>/dev/null || true
    wine_session_end_process "$wine_session_prefix32_anchor_pid"
    wine_session_prefix32_anchor_pid=""
  fi
  [ -n "$wine_session_prefix32_server_pid" ] || return 0
  WINEPREFIX=$wine_session_prefix32 "$WINESERVER64" -k >/dev/null 2>&1 || true
  wine_session_end_process "$wine_session_prefix32_server_pid"
  wine_session_prefix32_server_pid=""
}

# Gives a process we started five seconds to go, then ends it for good.
wine_session_end_process() {
  local pid=$1
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

wine_session_stop_anchor() {
  [ -n "$wine_session_anchor_pid" ] || return 0
  kill "$wine_session_anchor_pid" 2>/dev/null || true
  wine_session_end_process "$wine_session_anchor_pid"
  wine_session_anchor_pid=""
}

wine_session_stop() {
  # A program the script started in the session (wine_session_program_pid) goes first.
  if [ -n "${wine_session_program_pid:-}" ]; then
    kill "$wine_session_program_pid" 2>/dev/null || true
    wine_session_program_pid=""
  fi
  if [ -n "$wine_session_prefix32_boot_pid" ]; then
    wine_session_end_process "$wine_session_prefix32_boot_pid"
    wine_session_prefix32_boot_pid=""
  fi
  wine_session_stop_prefix32_server
  [ -n "$wine_session_prefix32" ] && rm -rf "$wine_session_prefix32"
  wine_session_prefix32=""
  wine_session_stop_anchor
  wine_session_stop_server
  if [ -n "$wine_session_xephyr_pid" ]; then
    kill "$wine_session_xephyr_pid" 2>/dev/null || true
    wine_session_end_process "$wine_session_xephyr_pid"
    wine_session_xephyr_pid=""
  fi
  if [ -n "$wine_session_xvfb_pid" ]; then
    kill "$wine_session_xvfb_pid" 2>/dev/null || true
    wine_session_end_process "$wine_session_xvfb_pid"
    wine_session_xvfb_pid=""
  fi
  [ -n "$wine_session_dir" ] && rm -rf "$wine_session_dir"
  wine_session_dir=""
}

# The usual start of a script's session: it ends with the script, however the script ends.
# Arguments as wine_session_start's.
wine_session_open() {
  trap wine_session_stop EXIT
  echo "Starting a private Wine session..."
  wine_session_start "$@"
}
