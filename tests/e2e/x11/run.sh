#!/bin/bash
# End-to-end tests of the Linux program: the real build/linux/loma in Xvfb, without a window
# manager and under openbox, with a real diagnostic stub at C:\ORNPrg\ZAVRO_Fi\LOMADiag.exe of a
# temporary Wine prefix. Checks the window's place, size and hints, the stacking and the focus,
# the stub's start, the close button, the window manager's close, the countdown, the countdown
# after the program was stopped and continued, the unhandled-error message and the message
# without a display, and compares screenshots with the reviewed images in tests/paint/golden/.
#
# Usage: tests/e2e/x11/run.sh   (LOMA=path/to/loma to test another build, KEEP=1 to keep the
# screenshots). Needs: xvfb openbox xdotool x11-utils imagemagick wmctrl; wine for the Windows
# stub case. Prints "N passed, N failed" last and exits non-zero on any failure.
#
# A build with AddressSanitizer and UBSan (LOMA=build/linux-asan/loma) runs the same checks,
# and any sanitizer report of any run, leaks included, fails the suite: only the caches that
# tests/lsan.supp names are suppressed.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
WINDOWS_STUB=${LOMA_WINDOWS_STUB:-$ROOT/build/windows/stub/LOMADiag.exe}
GOLDEN=$ROOT/tests/paint/golden
. "$ROOT/tests/e2e/lib.sh"
e2e_init e2e
SCREEN_W=1280 SCREEN_H=800
# The window is 8565 x 3800 twips, Left = (1280*15 - 8565)/2 = 5317.5 twips = 354.5 px, which
# rounds to even: 354; Top = 100 twips = 6.67 px: 7.
WIN_X=354 WIN_Y=7 WIN_W=571 WIN_H=253
# Client-area rectangles (x y w h) of the layout: the countdown number, the close button, the
# status panel.
NUMBER="45 174 89 73" BUTTON="43 103 159 85" PANEL="200 103 335 85"

[ -x "$LOMA" ] || { echo "no program at $LOMA (cmake --preset linux && cmake --build build/linux)"; exit 1; }

SANITIZED=0
if readelf -d "$LOMA" 2>/dev/null | grep -qE 'NEEDED.*lib(asan|ubsan)'; then
  SANITIZED=1
  # Reports go to files of their own ($WORK/sanitizer.<pid>), whatever a case does with stderr.
  export ASAN_OPTIONS="log_path=$WORK/sanitizer:detect_leaks=1"
  export UBSAN_OPTIONS="log_path=$WORK/sanitizer:print_stacktrace=1"
  export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
  echo "sanitizer build: any report fails"
fi
# What ending takes beyond the program's own work: under the sanitizers the leak check at exit
# scans the whole heap (200-250 ms on a quiet two-core machine).
EXIT_SLACK_MS=$((SANITIZED * 1000))

no_sanitizer_report() {
  local reports; reports=$(ls "$WORK"/sanitizer.* 2>/dev/null)
  [ -z "$reports" ] && return
  for f in $reports; do head -30 "$f" | sed 's/^/  /'; done
  return 1
}

# --- X servers and window managers -----------------------------------------------------------

start_display() {  # a fresh Xvfb of our own as DISPLAY; optionally openbox on it
  e2e_display ${SCREEN_W}x${SCREEN_H}
  if [ "${1:-}" = openbox ]; then e2e_wm; fi
}

# --- the program ---------------------------------------------------------------------------

new_prefix() {  # new_prefix [native|none|denied]: a Wine prefix with or without the stub
  PREFIX=$(mktemp -d "$WORK/prefix.XXXX")
  local folder=$PREFIX/drive_c/ORNPrg/ZAVRO_Fi
  mkdir -p "$folder"
  case $1 in
    native|denied)
      printf '#!/bin/sh\necho ran > "%s/ran"\n' "$PREFIX" > "$folder/LOMADiag.exe"
      [ "$1" = native ] && chmod +x "$folder/LOMADiag.exe" ;;
  esac
}

start_loma() {  # start_loma [ARG...]: runs loma in $PREFIX; sets LOMA_PID, START_NS, WIN
  START_NS=$(date +%s%N)
  WINEPREFIX=$PREFIX "$LOMA" "$@" 2>"$WORK/stderr" &
  LOMA_PID=$!
  E2E_STARTED+=("$LOMA_PID")
  # Polled every 50 ms (xdotool's --sync looks only every half second): the first-frame
  # screenshot must be taken before the first tick, one second after the window was made.
  if ! e2e_await_window -t 10000 --classname '^loma$'; then
    sed 's/^/  loma: /' "$WORK/stderr"
    xwininfo -root -tree | grep -i loma | sed 's/^/  /'
    return
  fi
  # The first painted frame, as $WORK/first.png.
  # shellcheck disable=SC2086  # the rectangle is four words
  e2e_await_frame "$WORK/first.png" $WIN_X $WIN_Y $WIN_W $WIN_H $NUMBER &&
    echo "  first frame taken $(( ($(date +%s%N) - START_NS) / 1000000 )) ms after start"
}

wait_exit() {  # wait_exit SECONDS: sets CODE to the exit code, or 124 if still running
  END_NS=0
  e2e_wait_exit "$LOMA_PID" $(($1 * 1000)) && END_NS=$((END_MS * 1000000))
}

# --- screenshots ---------------------------------------------------------------------------

shoot() {  # shoot NAME: the launcher's rectangle of the screen as $WORK/NAME.png
  e2e_shot "$WORK/$1.png" $WIN_W $WIN_H $WIN_X $WIN_Y
}

differing() {  # differing A B [x y w h]: pixels that differ by more than 4% between two images
  local region=${3:+-crop ${5}x${6}+${3}+${4} +repage}
  convert "$1" $region "$WORK/a.png" && convert "$2" $region "$WORK/b.png" &&
    compare -metric AE -fuzz 4% "$WORK/a.png" "$WORK/b.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1
}

matches_golden() {  # matches_golden SHOT GOLDEN-NAME [fallback command...]
  local shot=$WORK/$1.png golden=$GOLDEN/$2.png; shift 2
  if [ -f "$golden" ]; then
    local n; n=$(differing "$shot" "$golden")
    [ "$n" -le $((WIN_W * WIN_H / 200)) ] || { echo "  $n pixels differ from $golden"; return 1; }
  else
    echo "  (no $golden yet: key pixels only)"
    "$@"
  fi
}

# --- checks on the running window ------------------------------------------------------------

geometry_is_right() {
  local g; g=$(e2e_geometry "$WIN")
  [ "$g" = "$WIN_X $WIN_Y $WIN_W $WIN_H" ] || { echo "  geometry $g"; return 1; }
}

hints_are_right() {
  local p; p=$(xprop -id "$WIN")
  grep -q '_NET_WM_STATE(ATOM) = .*_NET_WM_STATE_ABOVE' <<<"$p" &&
    grep -q 'Client accepts input or input focus: False' <<<"$p" &&
    ! grep -q '_NET_WM_USER_TIME' <<<"$p" &&
    grep -q '_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x0' <<<"$p" &&
    grep -q 'WM_PROTOCOLS(ATOM): protocols  WM_DELETE_WINDOW$' <<<"$p" &&
    grep -q 'WM_CLASS(STRING) = "loma", "LOMA"' <<<"$p" &&
    grep -q '_NET_WM_NAME(UTF8_STRING) = "LOMA"' <<<"$p" &&
    grep -q 'Icon (32 x 32)' <<<"$p" || { echo "$p" | sed 's/^/  /' | head -30; return 1; }
}

topmost_of_all() {  # the launcher is the last (topmost) mapped top-level window
  local top
  if [ -n "$WM_PID" ]; then
    top=$(xprop -root _NET_CLIENT_LIST_STACKING | awk '{print $NF}')
    [ $((top)) = $((WIN)) ] || { echo "  top of the stacking is $top, not $WIN"; return 1; }
  else
    # xwininfo lists the root's children from the top down.
    top=$(xwininfo -root -children | awk '/^     0x/ {print $1}' | while read -r w; do
      xwininfo -id "$w" | grep -q 'IsViewable' && { echo "$w"; break; }; done)
    [ $((top)) = $((WIN)) ] || { echo "  top window is $top, not $WIN"; return 1; }
  fi
}

cover_with_new_window() {  # maps an ordinary window over the launcher, focused
  xmessage -geometry 400x200+400+0 -name cover "a newly mapped window" &
  E2E_STARTED+=($!)
  COVER_PID=$!
  timeout 5 xdotool search --sync --onlyvisible --name '^cover$' >/dev/null  # until it shows
  sleep 0.4
}

not_focused() {
  local active
  active=$(xprop -root _NET_ACTIVE_WINDOW | awk '$NF ~ /^0x/ {print $NF}')
  [ $((${active:-0})) != $((WIN)) ] && [ "$(xdotool getwindowfocus 2>/dev/null)" != "$((WIN))" ] ||
    { echo "  the launcher has the focus"; return 1; }
}

pressed_look() {  # holding the button changes only the button
  xdotool mousemove $((WIN_X + 120)) $((WIN_Y + 145)) mousedown 1
  sleep 0.3
  shoot "$1-pressed"
  xdotool mouseup 1  # the click: the program ends now
  local inside outside
  inside=$(differing "$WORK/$1.png" "$WORK/$1-pressed.png" $BUTTON)
  # Ticks repaint the number meanwhile; nothing else may change.
  local masks=(-fill black -draw "rectangle 43,103 201,187" -draw "rectangle 45,174 133,246")
  convert "$WORK/$1.png" "${masks[@]}" "$WORK/masked-a.png"
  convert "$WORK/$1-pressed.png" "${masks[@]}" "$WORK/masked-b.png"
  outside=$(differing "$WORK/masked-a.png" "$WORK/masked-b.png")
  [ "$inside" -gt 1000 ] && [ "$outside" -eq 0 ] ||
    { echo "  $inside pixels changed on the button, $outside elsewhere"; return 1; }
  if [ -f "$GOLDEN/button_down.png" ]; then
    local off; off=$(differing "$WORK/$1-pressed.png" "$GOLDEN/button_down.png" $BUTTON)
    [ "$off" -le 70 ] || { echo "  the held button differs from button_down.png in $off pixels"; return 1; }
  fi
}

first_frame_pixels() {  # without golden images: the number is red, the status differs by case
  [ "$(e2e_red_pixels "$WORK/$1.png" $NUMBER)" -gt 300 ] || { echo "  no red number"; return 1; }
}

# --- the cases ---------------------------------------------------------------------------

case_found_and_closed() {  # $1: label of the window manager
  new_prefix native
  start_loma
  check "$1: the window shows" test -n "$WIN"
  [ -n "$WIN" ] || return
  cp "$WORK/first.png" "$WORK/$1-found.png"
  check "$1: 571x253, centred, 7 px below the top" geometry_is_right
  check "$1: above, no decorations, no focus, names and icon in its hints" hints_are_right
  check "$1: found: first frame as reviewed" matches_golden "$1-found" found first_frame_pixels "$1-found"
  for _ in $(seq 50); do [ -f "$PREFIX/ran" ] && break; sleep 0.05; done
  check "$1: the diagnostic stub was started" test -f "$PREFIX/ran"
  check "$1: not focused" not_focused
  cover_with_new_window
  check "$1: above a newly mapped window" topmost_of_all
  check "$1: still not focused" not_focused
  kill "$COVER_PID" 2>/dev/null
  sleep 0.2
  check "$1: pressed look on the held button" pressed_look "$1-found"
  local click_ns; click_ns=$(date +%s%N)
  wait_exit 2
  check "$1: the close button ends the program at once, code 0" \
    test "$CODE" = 0 -a $(( (END_NS - click_ns) / 1000000 )) -lt $((500 + EXIT_SLACK_MS))
}

case_not_found() {  # $1: label; $2: how it ends (close button or the window manager's close)
  new_prefix none
  # Without a window manager it is given a command line, which must change nothing.
  if [ "$2" = wm ]; then start_loma; else start_loma /found 'C:\ORNPrg\ZAVRO_Fi\LOMADiag.exe'; fi
  [ -n "$WIN" ] || { fail "$1: not found: the window shows"; return; }
  cp "$WORK/first.png" "$WORK/$1-not-found.png"
  check "$1: not found: first frame as reviewed" matches_golden "$1-not-found" not_found first_frame_pixels "$1-not-found"
  if [ -f "$WORK/found-shot.png" ]; then
    check "$1: the status panel says something else when nothing is found" \
      test "$(differing "$WORK/found-shot.png" "$WORK/$1-not-found.png" $PANEL || true)" -gt 100
  fi
  if [ "$2" = wm ]; then
    wmctrl -i -c "$WIN"
    wait_exit 2
    check "$1: the window manager's close ends the program, code 0" test "$CODE" = 0
  else
    e2e_click $((WIN_X + 120)) $((WIN_Y + 145))
    wait_exit 2
    check "$1: the close button ends the program, code 0" test "$CODE" = 0
  fi
}

case_countdown() {  # the only run that waits for the countdown
  new_prefix native
  start_loma
  [ -n "$WIN" ] || { fail "countdown: the window shows"; return; }
  cp "$WORK/first.png" "$WORK/countdown-10.png"
  sleep_until 1500
  shoot countdown-9
  check "countdown: the number changes on the first tick" \
    test "$(differing "$WORK/countdown-10.png" "$WORK/countdown-9.png" $NUMBER || true)" -gt 50
  check "countdown: a tick repaints the number only" \
    test "$(differing "$WORK/countdown-10.png" "$WORK/countdown-9.png" || true)" = \
         "$(differing "$WORK/countdown-10.png" "$WORK/countdown-9.png" $NUMBER || true)"
  sleep_until 3500
  shoot countdown-7
  check "countdown: after three ticks as reviewed" \
    matches_golden countdown-7 three_ticks first_frame_pixels countdown-7
  wait_exit 13
  local ms=$(( (END_NS - START_NS) / 1000000 ))
  echo "  ended ${ms} ms after start"
  check "countdown: ends by itself about 11 s after start, code 0" \
    test "$CODE" = 0 -a "$ms" -ge 10800 -a "$ms" -le $((11800 + EXIT_SLACK_MS))
}

sleep_until() {  # sleep_until MS: until MS milliseconds after START_NS
  local left=$(( START_NS / 1000000 + $1 - $(date +%s%N) / 1000000 ))
  [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
}

case_stall() {  # stopped and continued: the late ticks show at once, a late end ends it at once
  new_prefix none
  start_loma
  [ -n "$WIN" ] || { fail "stall: the window shows"; return; }
  sleep_until 2350
  shoot stall-stopped
  kill -STOP "$LOMA_PID"
  sleep_until 5500
  local cont_ns; cont_ns=$(date +%s%N)
  kill -CONT "$LOMA_PID"
  local shown_ms=none n shot_ns
  for n in $(seq 20); do
    shoot stall-woken
    # Timed when the screenshot is taken, not after the comparison, which takes ImageMagick
    # 100 ms or more: the change was on the screen by then.
    shot_ns=$(date +%s%N)
    if [ "$(differing "$WORK/stall-stopped.png" "$WORK/stall-woken.png" $NUMBER || true)" -gt 50 ]; then
      shown_ms=$(( (shot_ns - cont_ns) / 1000000 )); break
    fi
    sleep 0.05
  done
  echo "  the number changed ${shown_ms} ms after the program was continued"
  check "stall: the late ticks show as soon as it runs again" \
    test "$shown_ms" != none -a "${shown_ms/none/9999}" -lt 400
  check "stall: the late ticks are all counted" \
    test "$(differing "$WORK/countdown-7.png" "$WORK/stall-woken.png" $NUMBER || true)" -gt 50
  sleep_until 10300
  kill -STOP "$LOMA_PID"
  sleep_until 13000
  cont_ns=$(date +%s%N)
  kill -CONT "$LOMA_PID"
  wait_exit 3
  local ms=$(( (END_NS - cont_ns) / 1000000 ))
  echo "  ended ${ms} ms after it was continued past its end"
  check "stall: a late end ends it at once, code 0" test "$CODE" = 0 -a "$ms" -lt $((500 + EXIT_SLACK_MS))
}

case_unhandled() {  # a stub that cannot be started: error 70 in a message window
  new_prefix denied
  START_NS=$(date +%s%N)
  WINEPREFIX=$PREFIX "$LOMA" 2>"$WORK/stderr" &
  LOMA_PID=$!
  E2E_STARTED+=("$LOMA_PID")
  # The launcher window maps during the load and goes again when the error is reported.
  local box=
  not_launcher() { [ "$(cut -d' ' -f3 <<<"$2")" != "$WIN_W" ]; }  # not_launcher WINDOW "X Y W H"
  e2e_await_window -t 5000 -f not_launcher --classname '^loma$' && box=$WIN
  sleep 0.3
  check "unhandled: the message is on stderr" \
    grep -qx "Run-time error '70':" "$WORK/stderr"
  check "unhandled: with its description" grep -qx "Permission denied" "$WORK/stderr"
  check "unhandled: the launcher window is hidden, the message shows" \
    test "$(xdotool search --onlyvisible --classname '^loma$' | wc -l)" = 1 -a -n "$box"
  if [ -z "$box" ]; then  # no window to ask about: the box's checks fail at once
    fail "unhandled: the message window shows"
    kill "$LOMA_PID" 2>/dev/null
    return
  fi
  local size; size=$(xwininfo -id "$box" | awk '/Width/{w=$NF}/Height/{h=$NF}END{print w"x"h}')
  check "unhandled: the message window is small, not the launcher" test "$size" != "${WIN_W}x${WIN_H}"
  import -window "$box" "$WORK/unhandled.png"
  check "unhandled: the text is drawn" \
    test "$(convert "$WORK/unhandled.png" -fuzz 20% -fill white -opaque black -fill black +opaque white -format '%[fx:int((1-mean)*w*h)]' info:)" -gt 100
  wait_exit 1
  check "unhandled: waits for OK" test "$CODE" = 124
  local x y w h
  read -r x y w h < <(e2e_geometry "$box")
  e2e_click $((x + w - 12 - 37)) $((y + h - 22))  # OK, bottom right
  wait_exit 2
  check "unhandled: OK ends the program with a non-zero code" test "$CODE" != 0 -a "$CODE" != 124
}

case_windows_stub() {
  # The Windows build of the diagnostic stub, started through real Wine in the same prefix.
  if [ ! -f "$WINDOWS_STUB" ]; then
    skip "Windows stub through Wine" "no $WINDOWS_STUB (build the windows preset first)"
    return
  fi
  new_prefix none
  cp "$WINDOWS_STUB" "$PREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe"
  e2e_wine_prefix "$PREFIX"
  local record=$PREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.ran
  start_loma
  for _ in $(seq 200); do
    [ -s "$record" ] && break; sleep 0.1
  done
  check "Windows stub: started through Wine, it wrote its record" test -s "$record"
  [ -s "$record" ] && echo "       stub: $(tr -d '\r' <"$record")"
  check "Windows stub: started hidden (STARTF_USESHOWWINDOW, SW_HIDE)" \
    grep -Eq '^dwFlags=0x[0-9a-f]*[13579bdf] wShowWindow=0 nCmdShow=0' "$record"
  e2e_click $((WIN_X + 120)) $((WIN_Y + 145))
  wait_exit 2
  WINEPREFIX=$PREFIX wineserver -k 2>/dev/null
}

# --- the runs ------------------------------------------------------------------------------

out=$(DISPLAY=:4095 "$LOMA" 2>&1); code=$?
check "no display: one line naming it, non-zero exit" \
  test "$code" != 0 -a "$(wc -l <<<"$out")" = 1 -a -n "$(grep -F ':4095' <<<"$out")"

start_display
case_found_and_closed no-wm
cp "$WORK/no-wm-found.png" "$WORK/found-shot.png" 2>/dev/null
case_not_found no-wm button
case_countdown
case_stall
case_unhandled
e2e_stop_display

start_display openbox
case_found_and_closed openbox
case_not_found openbox wm
case_windows_stub
e2e_stop_display

if [ "$SANITIZED" = 1 ]; then
  check "no AddressSanitizer, LeakSanitizer or UBSan report from any run" no_sanitizer_report
fi

e2e_summary
