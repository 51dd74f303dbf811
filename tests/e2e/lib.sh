# The one helper of the end-to-end and release scripts: virtual displays, a window manager, Wine
# prefixes, waiting for a window, clicks, screenshots and the pass/fail count. Sourced, never
# run:
#
#   . "$ROOT/tests/e2e/lib.sh"
#   e2e_init NAME                    $WORK, a fresh /tmp/loma-NAME.XXXXXX, and the clean-up at exit
#   e2e_display [WxH[xDEPTH]]        a fresh Xvfb (default 1280x800, 24 bits); exports DISPLAY,
#                                    sets XVFB_PID
#   e2e_xserver SERVER ARGS...       any X server (Xephyr, say) on a free display; exports DISPLAY,
#                                    sets XSERVER_PID
#   e2e_wm                           openbox on that display, once it manages; sets WM_PID
#   e2e_stop_display                 ends the window manager and the display
#   e2e_session_bus NAME             runs the script again on a fresh display inside a session bus
#                                    of its own; returns only in that inner run (WORK as outer's)
#   e2e_atspi_bus                    the AT-SPI bus in that session, accessibility on; sets
#                                    ATSPI_BUS_PID
#   e2e_accessibility true|false     the session's accessibility status
#   e2e_wine_prefix DIR [ARCH]       a booted Wine prefix (win64|win32), exported as WINEPREFIX,
#                                    its server kept running so every start is a warm one
#   e2e_await_window [-t MS] [-s "W H"] [-f FUNC] SEARCH...
#                                    the first visible window that `xdotool search SEARCH` finds
#                                    (with size W x H, or for which FUNC WINDOW "X Y W H" succeeds),
#                                    polled every 50 ms for MS (default 30000); sets WIN and
#                                    WIN_GEOMETRY ("x y w h"), fails when none came
#   e2e_geometry WINDOW              prints "x y w h" of a window on the screen
#   e2e_click X Y                    a left click at that point of the screen
#   e2e_shot FILE [W H X Y]          a screenshot of the screen, or of that rectangle, as FILE
#   e2e_native_prefix                a fresh prefix in $WORK with a native diagnostic stub at the
#                                    fixed path that adds a line to $PREFIX/ran each run; sets PREFIX
#   e2e_red_pixels IMAGE X Y W H     the pure-red pixels (the countdown number's colour) there
#   e2e_count_colour IMAGE R G B     the pixels of IMAGE within 20 % of that colour (0-255) in
#                                    each of its channels
#   e2e_magick ARGS...               ImageMagick's command-line tool: magick where there is one
#   e2e_await_frame FILE X Y W H NX NY NW NH
#                                    the launcher's first painted frame: shot after shot of its
#                                    rectangle (X Y W H on the screen) as FILE until the number's
#                                    rectangle (NX NY NW NH in the window) is red; fails after 2 s
#   e2e_wait_exit PID MS             waits up to MS for PID to end: CODE is its exit code, or 124
#                                    when it still runs; END_MS is when it was seen to end
#   e2e_now_ms                       the clock in milliseconds
#   pass NAME | fail NAME [DETAIL] | check NAME COMMAND...
#                                    one counted case, printed as "ok   NAME" / "FAIL NAME";
#                                    E2E_INDENT (default empty) goes in front
#   skip NAME REASON                 one case this machine cannot run: "skip NAME: REASON"
#   e2e_runs_x86                     whether this machine runs 32-bit x86 programs (asked once)
#   e2e_x86 NAME                     succeeds where 32-bit programs run; elsewhere counts NAME
#                                    as skipped ("this machine cannot run 32-bit programs")
#   e2e_wine ARGS...                 Wine's 64-bit loader, as /usr/bin/wine would start it (the
#                                    script itself in a win32 prefix); e2e_wine_command sets
#                                    E2E_WINE to that command
#   e2e_add_counts FILE              adds the last "N passed, N failed[, N skipped]" line of
#                                    another suite's output to ours; none there counts as one
#                                    failure
#   e2e_summary                      prints "N passed, N failed, N skipped"; fails when any case
#                                    failed
#
# At exit every process started through here ends, every prefix's server is stopped and the
# prefixes go; $WORK goes too unless KEEP=1 or E2E_KEEP_WORK=1 (a suite whose screenshots are
# its report). A script adds its own last words with e2e_at_exit COMMAND.

passed=0 failed=0 skipped=0
E2E_INDENT=${E2E_INDENT:-}
E2E_STARTED=() E2E_PREFIXES=() E2E_AT_EXIT=()
XVFB_PID="" WM_PID=""

e2e_init() {  # e2e_init NAME
  WORK=$(mktemp -d "/tmp/loma-$1.XXXXXX")
  trap e2e_cleanup EXIT
}

e2e_at_exit() { E2E_AT_EXIT+=("$*"); }

e2e_cleanup() {
  local c p
  for c in "${E2E_AT_EXIT[@]}"; do eval "$c"; done
  for p in "${E2E_PREFIXES[@]}"; do WINEPREFIX=$p wineserver -k 2>/dev/null; done
  for p in "${E2E_STARTED[@]}"; do kill "$p" 2>/dev/null; done
  # Only what was started here: a script's own background jobs end with their prefix's server.
  for p in "${E2E_STARTED[@]}"; do wait "$p" 2>/dev/null; done
  for p in "${E2E_PREFIXES[@]}"; do rm -rf "$p"; done
  [ -n "${WORK:-}" ] || return 0
  if [ "${KEEP:-0}" = 1 ]; then
    echo "screenshots kept in $WORK"
  elif [ "${E2E_KEEP_WORK:-0}" != 1 ]; then
    rm -rf "$WORK"
  fi
}

e2e_now_ms() { echo $(($(date +%s%N) / 1000000)); }

# --- counting -----------------------------------------------------------------------------

pass() { passed=$((passed + 1)); echo "${E2E_INDENT}ok   $1"; }
fail() { failed=$((failed + 1)); echo "${E2E_INDENT}FAIL $1${2:+: $2}"; }
skip() { skipped=$((skipped + 1)); echo "${E2E_INDENT}skip $1: $2"; }
check() {  # check NAME COMMAND...: passes when the command succeeds; the command's verdict
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; return 1; fi
}

e2e_add_counts() {  # e2e_add_counts FILE
  local line
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$1" 2>/dev/null | tail -1)
  if [ -z "$line" ]; then
    fail "$(basename "$1"): the suite ran to its end"
    return 1
  fi
  passed=$((passed + ${line%% passed*}))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
  if [[ $line =~ ([0-9]+)\ skipped ]]; then skipped=$((skipped + BASH_REMATCH[1])); fi
}

e2e_summary() {
  echo "$passed passed, $failed failed, $skipped skipped"
  [ "$failed" -eq 0 ]
}

E2E_RUNS_X86=""
e2e_runs_x86() {
  [ -n "$E2E_RUNS_X86" ] ||
    if bash "$(dirname "${BASH_SOURCE[0]}")/../../tools/runs-x86.sh"; then E2E_RUNS_X86=yes; else E2E_RUNS_X86=no; fi
  [ "$E2E_RUNS_X86" = yes ]
}

e2e_x86() {  # e2e_x86 NAME: if e2e_x86 "the x86 MSI"; then ...32-bit work...; fi
  e2e_runs_x86 && return 0
  skip "$1" "this machine cannot run 32-bit programs"
  return 1
}

# --- displays ------------------------------------------------------------------------------

e2e_display() {  # e2e_display [WxH[xDEPTH]]
  # -noreset: a server resets when its last client leaves and refuses connections meanwhile,
  # and clears the root window's properties (xrdb's resource database among them); the checks
  # connect and leave all the time.
  local screen=${1:-1280x800}
  [[ $screen == *x*x* ]] || screen=${screen}x24
  e2e_xserver Xvfb -noreset -screen 0 "$screen" -nolisten tcp
  XVFB_PID=$XSERVER_PID
}

e2e_xserver() {  # e2e_xserver SERVER ARGS...
  # -displayfd: the server picks a free display number itself, so suites that run side by side
  # never collide.
  local file
  file=$(mktemp "${WORK:-/tmp}/display.XXXXXX")
  "$@" -displayfd 3 3>"$file" >/dev/null 2>&1 &
  XSERVER_PID=$!
  E2E_STARTED+=("$XSERVER_PID")
  for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.05; done
  DISPLAY=:$(cat "$file")
  export DISPLAY
  # The launcher prefers a Wayland compositor with layer-shell: a suite run from a Wayland
  # desktop must reach this server, not the desktop.
  unset WAYLAND_DISPLAY
  rm -f "$file"
}

e2e_wm() {
  openbox --sm-disable >/dev/null 2>&1 &
  WM_PID=$!
  E2E_STARTED+=("$WM_PID")
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
    sleep 0.05
  done
  sleep 0.5  # openbox announces itself before it has finished starting
}

e2e_stop_display() {
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  WM_PID="" XVFB_PID=""
}

# --- the accessibility bus ------------------------------------------------------------------

e2e_session_bus() {  # e2e_session_bus NAME
  # The script again, on a fresh display, inside a session bus of its own (settings in memory,
  # never the user's): in the outer run this never returns; in the inner one it returns with the
  # outer run's WORK, which the outer run removes, and ends what the inner run started.
  if [ -n "${E2E_SESSION_WORK:-}" ]; then
    WORK=$E2E_SESSION_WORK
    trap 'for p in "${E2E_STARTED[@]}"; do kill "$p" 2>/dev/null; done' EXIT
    return 0
  fi
  e2e_init "$1"
  e2e_display 1280x800
  E2E_SESSION_WORK=$WORK GSETTINGS_BACKEND=memory dbus-run-session -- bash "$0" 2>&1 |
    grep -v 'Failed to set fd limit'
  exit "${PIPESTATUS[0]}"
}

e2e_accessibility() {  # e2e_accessibility true|false: the session's accessibility status
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
    "variant:boolean:$1" >/dev/null
}

e2e_atspi_bus() {  # the AT-SPI bus in this session, once it answers, with accessibility on
  /usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
  ATSPI_BUS_PID=$!
  E2E_STARTED+=("$ATSPI_BUS_PID")
  for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
      >/dev/null 2>&1 && break
    sleep 0.05
  done
  e2e_accessibility true
}

# --- Wine ----------------------------------------------------------------------------------

# Debian's /usr/bin/wine (and wineboot, msiexec, reg, which run through it) prefers the 32-bit
# loader whenever it is installed, also where it cannot run: the 64-bit work goes to the 64-bit
# loader itself, with WINELOADER as that script sets it. A win32 prefix needs the 32-bit one.
# E2E_WINE is that command as an array, for a start in the background whose process id must be
# Wine's own ("${E2E_WINE[@]}" PROGRAM &; env execs it).
e2e_wine_command() {
  if [ "${WINEARCH:-win64}" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
    E2E_WINE=(env "WINELOADER=${WINELOADER:-/usr/lib/wine/wine64}" /usr/lib/wine/wine64)
  else
    E2E_WINE=(wine)
  fi
}
e2e_wine() {  # e2e_wine PROGRAM ARGS...
  e2e_wine_command
  "${E2E_WINE[@]}" "$@"
}
export -f e2e_wine e2e_wine_command  # for `bash -c` and `timeout` in the scripts

e2e_wine_prefix() {  # e2e_wine_prefix DIR [win64|win32]
  export WINEPREFIX=$1 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  if [ -n "${2:-}" ]; then export WINEARCH=$2; fi
  E2E_PREFIXES+=("$1")
  e2e_wine wineboot -i >/dev/null 2>&1
  wineserver -w
  wineserver -p
}

# --- windows, clicks, screenshots ------------------------------------------------------------

e2e_geometry() {  # e2e_geometry WINDOW: "x y w h"
  # Without an id xwininfo would wait for a mouse click to pick a window: never.
  [ -n "$1" ] || return 1
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /  Width:/ {w=$NF} /  Height:/ {h=$NF} END {print x, y, w, h}'
}

e2e_await_window() {  # e2e_await_window [-t MS] [-s "W H"] [-f FUNC] SEARCH...
  local timeout=30000 size="" func="" w g deadline
  while [ $# -gt 0 ]; do
    case $1 in
      -t) timeout=$2; shift 2 ;;
      -s) size=$2; shift 2 ;;
      -f) func=$2; shift 2 ;;
      *) break ;;
    esac
  done
  WIN="" WIN_GEOMETRY=""
  deadline=$(($(e2e_now_ms) + timeout))
  while :; do
    for w in $(xdotool search --onlyvisible "$@" 2>/dev/null); do
      g=$(e2e_geometry "$w")
      [ -z "$size" ] || [ "${g#* * }" = "$size" ] || continue
      [ -z "$func" ] || "$func" "$w" "$g" || continue
      WIN=$w WIN_GEOMETRY=$g
      return 0
    done
    [ "$(e2e_now_ms)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

e2e_click() { xdotool mousemove "$1" "$2" click 1; }

e2e_shot() {  # e2e_shot FILE [W H X Y]
  if [ $# -ge 5 ]; then
    import -window root -crop "$2x$3+$4+$5" +repage "$1"
  else
    import -window root "$1"
  fi
}

e2e_native_prefix() {
  PREFIX=$(mktemp -d "$WORK/prefix.XXXX")
  local stub=$PREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe
  mkdir -p "${stub%/*}"
  printf '#!/bin/sh\necho ran >> "%s/ran"\n' "$PREFIX" > "$stub"
  chmod +x "$stub"
}

# ImageMagick 7 (Debian 13) has magick; its convert, kept for old scripts, writes a stray line
# "list" to standard output whenever it applies -fx, ahead of what was asked for. ImageMagick 6
# (Debian 12) has only convert.
e2e_magick() { if command -v magick >/dev/null; then magick "$@"; else convert "$@"; fi; }

e2e_count_colour() {  # e2e_count_colour IMAGE R G B
  e2e_magick "$1" -fx "abs(r-$2/255)<0.2 && abs(g-$3/255)<0.2 && abs(b-$4/255)<0.2" \
    -format '%[fx:round(mean*w*h)]' info:
}

e2e_red_pixels() {  # e2e_red_pixels IMAGE X Y W H
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fuzz 10% -fill white -opaque '#FF0000' \
    -fill black +opaque white -format '%[fx:int(mean*w*h)]' info:
}

# The window maps before its first paint, and a frame reaches the server in one piece: once the
# number is red the whole frame is there. Taken at once, not after a fixed wait, which on a slow
# machine ran into the first tick (a second after the window was made).
e2e_await_frame() {  # e2e_await_frame FILE X Y W H NX NY NW NH
  local n
  for n in $(seq 40); do
    e2e_shot "$1" "$4" "$5" "$2" "$3"
    [ "$(e2e_red_pixels "$1" "$6" "$7" "$8" "$9")" -gt 300 ] && return 0
    sleep 0.05
  done
  echo "  no painted frame in 2 s"
  return 1
}

e2e_wait_exit() {  # e2e_wait_exit PID MS
  local deadline=$(($(e2e_now_ms) + $2))
  while kill -0 "$1" 2>/dev/null && [ "$(e2e_now_ms)" -lt "$deadline" ]; do sleep 0.01; done
  END_MS=$(e2e_now_ms)
  if kill -0 "$1" 2>/dev/null; then
    CODE=124
    return 1
  fi
  wait "$1"
  CODE=$?
}
