#!/bin/bash
# End-to-end tests of the Linux program under GNOME's window manager, the real mutter: as the X11
# window manager of an Xvfb display, and as a headless Wayland compositor with the launcher in
# its XWayland. The launcher maps over a focused window that it overlaps, which is where mutter
# marks a window that was mapped without the user asking as demanding attention (and GNOME Shell
# shows its "is ready" banner). Checks: no _NET_WM_STATE_DEMANDS_ATTENTION, never focused, above
# a window activated after it, in the task list as "LOMA", at its place (7 px below the top, or
# just below a 32 px top bar, as GNOME Shell's), the first frame as reviewed; the close click
# and the countdown end it.
#
# Usage: tests/e2e/desktops/mutter.sh   (LOMA=path/to/loma, KEEP=1 keeps the screenshots).
# Needs: mutter xvfb xwayland dbus xdotool x11-utils imagemagick. Prints
# "N passed, N failed, N skipped" last and exits non-zero on any failure.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
GOLDEN=$ROOT/tests/paint/golden
. "$ROOT/tests/e2e/lib.sh"
[ -x "$LOMA" ] || { echo "no program at $LOMA (cmake --preset linux && cmake --build build/linux)"; exit 1; }
command -v mutter >/dev/null || { echo "skip mutter: not installed"; echo "0 passed, 0 failed, 1 skipped"; exit 0; }
# mutter needs a session bus: the script runs again inside one, on a fresh 1280x800 Xvfb.
e2e_session_bus mutter
skipped=0 WIN=""

# Left = (1280*15 - 8565)/2 twips = 354.5 px, to even: 354; Top = 100 twips = 6.67 px: 7.
WIN_X=354 WIN_W=571 WIN_H=253 BAR_H=32
NUMBER="45 174 89 73"  # the countdown number's rectangle in the window

# --- window manager and ordinary windows ---------------------------------------------------

await_manager() {  # until the manager's check window and its work area are on the root
  local deadline=$(($(e2e_now_ms) + 20000))
  while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
      xprop -root _NET_WORKAREA 2>/dev/null | grep -q '=' && { sleep 0.5; return 0; }
    sleep 0.1
  done
  return 1
}

open_window() {  # open_window NAME WxH+X+Y: an ordinary window, activated; sets OTHER
  xmessage -geometry "$2" -name "$1" "an ordinary window" >/dev/null 2>&1 &
  E2E_STARTED+=($!)
  local launcher=$WIN
  OTHER=""
  # By its class, not its title: since mutter 44 the title bars are drawn by a client of their
  # own, mutter-x11-frames, whose frame window carries the same title and is found first.
  e2e_await_window -t 5000 --classname "^$1\$" && OTHER=$WIN
  WIN=$launcher
  [ -n "$OTHER" ] || return 1
  timeout 5 xdotool windowactivate "$OTHER" 2>/dev/null
  await_active "$OTHER"
}

# Window ids as the shell's numbers: awk's "0x..." + 0 is 0 in Debian 13's mawk (20250131).
window_ids() { grep -o '0x[0-9a-fA-F]*' | while read -r id; do echo $((id)); done; }
active_window() { xprop -root _NET_ACTIVE_WINDOW | window_ids; }

await_active() {  # await_active WINDOW: up to 3 s
  local deadline=$(($(e2e_now_ms) + 3000))
  until [ "$(active_window)" = "$(($1))" ]; do
    [ "$(e2e_now_ms)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

top_bar() {  # a 32 px dock along the top edge that reserves its strip, as GNOME Shell's bar
  open_window topbar "1280x${BAR_H}+0+0" || return 1
  xprop -id "$OTHER" -f _NET_WM_WINDOW_TYPE 32a -set _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_DOCK
  xprop -id "$OTHER" -f _NET_WM_STRUT_PARTIAL 32c \
    -set _NET_WM_STRUT_PARTIAL "0,0,$BAR_H,0,0,0,0,0,0,1279,0,0"
  xdotool windowsize "$OTHER" 1280 $BAR_H windowmove "$OTHER" 0 0
  local deadline=$(($(e2e_now_ms) + 3000))
  until xprop -root _NET_WORKAREA | grep -q "= 0, $BAR_H,"; do
    [ "$(e2e_now_ms)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# --- the program ---------------------------------------------------------------------------

start_loma() {  # start_loma TOP: sets LOMA_PID, START_NS, WIN, WIN_Y; the first frame as first.png
  WIN_Y=$1
  e2e_native_prefix
  START_NS=$(date +%s%N)
  WINEPREFIX=$PREFIX "$LOMA" 2>"$WORK/stderr" &
  LOMA_PID=$!
  E2E_STARTED+=($LOMA_PID)
  WIN=""
  e2e_await_window -t 10000 --classname '^loma$' || { sed 's/^/  loma: /' "$WORK/stderr"; return 1; }
  [ "$SHOTS" = 0 ] && return 0
  # shellcheck disable=SC2086  # the rectangle is four words
  e2e_await_frame "$WORK/first.png" $WIN_X $WIN_Y $WIN_W $WIN_H $NUMBER
}

at_place() {
  local g; g=$(e2e_geometry "$WIN")
  [ "$g" = "$WIN_X $WIN_Y $WIN_W $WIN_H" ] || { echo "  geometry $g"; return 1; }
}

differing() { compare -metric AE -fuzz 4% "$1" "$GOLDEN/found.png" null: 2>&1 | cut -d' ' -f1; }
as_reviewed() {  # the first frame against the reviewed image, within 0.5% of its pixels
  # mutter animates a window's mapping (it grows and fades in over about a quarter of a second,
  # the windows behind showing through): the frame as the user sees it is the one after that,
  # still before the first tick.
  local n i
  n=$(differing "$WORK/first.png")
  for i in $(seq 12); do
    [ "${n%.*}" -le $((WIN_W * WIN_H / 200)) ] 2>/dev/null && return 0
    sleep 0.05
    # shellcheck disable=SC2086  # the rectangle is four words
    e2e_shot "$WORK/first.png" $WIN_W $WIN_H $WIN_X $WIN_Y
    n=$(differing "$WORK/first.png")
  done
  [ "${n%.*}" -le $((WIN_W * WIN_H / 200)) ] 2>/dev/null || { echo "  $n pixels differ"; return 1; }
}

states() { xprop -id "$WIN" _NET_WM_STATE; }
no_attention() {
  local s; s=$(states)
  [[ $s == *_NET_WM_STATE_ABOVE* && $s != *DEMANDS_ATTENTION* ]] || { echo "  $s"; return 1; }
}
not_focused() {
  [ "$(active_window)" != "$((WIN))" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" != "$((WIN))" ] ||
    { echo "  the launcher has the focus"; return 1; }
}
in_task_list() {
  xprop -root _NET_CLIENT_LIST | window_ids | grep -qx "$((WIN))" &&
    [[ $(states) != *SKIP_TASKBAR* ]] &&
    xprop -id "$WIN" _NET_WM_NAME | grep -q '= "LOMA"$' || { echo "  not listed as LOMA"; return 1; }
}
topmost() {
  local top; top=$(xprop -root _NET_CLIENT_LIST_STACKING | awk '{print $NF}')
  [ "$((top))" = "$((WIN))" ] || { echo "  top of the stacking is $top, not $WIN"; return 1; }
}

ends_on_click() {
  local click_ns; click_ns=$(date +%s%N)
  e2e_click $((WIN_X + 120)) $((WIN_Y + 145))
  e2e_wait_exit "$LOMA_PID" 2000
  [ "$CODE" = 0 ] && [ $((END_MS - click_ns / 1000000)) -lt 500 ] ||
    { echo "  code $CODE, $((END_MS - click_ns / 1000000)) ms after the click"; return 1; }
}

# The launcher over a focused window that it overlaps, then a window activated after it.
case_over_focused() {  # case_over_focused LABEL TOP
  local label=$1
  open_window "first-$label" 800x400+200+0 || { fail "$label: an ordinary window is focused"; return; }
  start_loma "$2" || { fail "$label: the window shows"; return; }
  check "$label: 571x253, centred, $2 px below the top" at_place
  [ "$SHOTS" = 1 ] && check "$label: first frame as reviewed" as_reviewed
  sleep 0.5  # mutter marks the window as it shows it; give any late change its time
  check "$label: above, not demanding attention" no_attention
  check "$label: not focused" not_focused
  check "$label: in the task list as LOMA" in_task_list
  open_window "later-$label" 400x300+500+60 || fail "$label: a later window is activated"
  sleep 0.3
  check "$label: above the window activated after it" topmost
  check "$label: still not focused, still not demanding attention" eval 'not_focused && no_attention'
  [ "$SHOTS" = 1 ] && e2e_shot "$WORK/$label.png"
  check "$label: the close click ends it at once, code 0" ends_on_click
}

# Each mode runs where this mutter offers it: an option its --help does not list is a mode it
# does not have (a mutter built without X11 has no --x11), and its checks are skipped.
MUTTER_HELP=$(mutter --help 2>&1)
offers() {  # offers OPTION...: all of them are in mutter's --help
  local o
  for o; do grep -qE -- "(^|[ ,])$o([ =]|\$)" <<<"$MUTTER_HELP" || return 1; done
}

# --- mutter as the X11 window manager ------------------------------------------------------

export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
SHOTS=1
if ! offers --replace --x11; then
  skip x11 "this mutter has no X11 window manager mode (no --x11 in its --help)"
else
  mutter --replace --x11 --sm-disable >"$WORK/mutter-x11.log" 2>&1 &
  MUTTER_PID=$!
  E2E_STARTED+=($MUTTER_PID)
  if await_manager; then
    case_over_focused x11 7
    if top_bar; then
      start_loma $BAR_H
      check "x11, top bar: lands just below the 32 px bar, centred" at_place
      [ -f "$WORK/first.png" ] && cp "$WORK/first.png" "$WORK/x11-bar-first.png"
      e2e_shot "$WORK/x11-bar.png"
      e2e_wait_exit "$LOMA_PID" 13000
      ms=$((END_MS - START_NS / 1000000))
      echo "  ended ${ms} ms after start"
      check "x11, top bar: the countdown ends it about 11 s after start, code 0" \
        test "$CODE" = 0 -a "$ms" -ge 10800 -a "$ms" -le 11800
    else
      fail "x11: a dock's strut reserves the top 32 px"
    fi
  else
    fail "x11: mutter manages the display"
    tail -5 "$WORK/mutter-x11.log"
  fi
  kill "$MUTTER_PID" 2>/dev/null && wait "$MUTTER_PID" 2>/dev/null
fi

# --- mutter as a headless Wayland compositor, the launcher in XWayland ----------------------

if ! offers --wayland --headless --virtual-monitor --wayland-display; then
  skip wayland "this mutter has no headless Wayland mode with a virtual monitor"
elif ! command -v Xwayland >/dev/null; then
  skip wayland "no Xwayland"
else
  # mutter starts XWayland and hands its DISPLAY and XAUTHORITY to the command it runs; the
  # command waits for the file to go, at exit.
  e2e_at_exit rm -f "$WORK/xwayland"
  env -u DISPLAY mutter --headless --wayland --virtual-monitor 1280x800 \
    --wayland-display "loma-mutter-$$" -- \
    sh -c 'echo "$DISPLAY $XAUTHORITY" > "$1"; while [ -e "$1" ]; do sleep 0.2; done' sh "$WORK/xwayland" \
    >"$WORK/mutter-wayland.log" 2>&1 &
  MUTTER_PID=$!
  E2E_STARTED+=($MUTTER_PID)
  for _ in $(seq 200); do [ -s "$WORK/xwayland" ] && break; sleep 0.1; done
  read -r DISPLAY XAUTHORITY <"$WORK/xwayland"
  export DISPLAY XAUTHORITY
  # A rootless XWayland has no screen image of its own: no screenshots there.
  SHOTS=0
  if [ -n "$DISPLAY" ] && await_manager; then
    case_over_focused wayland 7
  else
    fail "wayland: mutter runs XWayland"
    tail -5 "$WORK/mutter-wayland.log"
  fi
fi

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
