#!/bin/bash
# End-to-end tests of the Linux program on denser screens: build/linux/loma in Xvfb whose
# resource database says Xft.dpi 144 (150 %) and 192 (200 %), as a desktop's scaling sets it.
# Checks the window's size and place computed from its twips, the countdown, a close click at
# the scaled point, the screenshot against the reviewed golden image for that density, and
# that the 144-dpi window is drawn sharp rather than blown up from 96 dpi.
#
# Usage: tests/e2e/x11/density.sh   (LOMA=path/to/loma, KEEP=1 to keep the screenshots).
# Needs: xvfb x11-xserver-utils xdotool x11-utils imagemagick python3-pil python3-numpy.
# Prints "N passed, N failed" last and exits non-zero on any failure.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
GOLDEN=$ROOT/tests/paint/golden
. "$ROOT/tests/e2e/lib.sh"
e2e_init e2e-dpi
SCREEN_W=1280 SCREEN_H=800

[ -x "$LOMA" ] || { echo "no program at $LOMA"; exit 1; }

# Xvfb clears the root window's properties, the resource database among them, when its last
# client goes: the display's -noreset keeps what xrdb stored there for the launcher after it.
start_display() {  # start_display [DPI]
  e2e_display ${SCREEN_W}x${SCREEN_H}
  [ -n "${1:-}" ] && echo "Xft.dpi: $1" | xrdb -merge
}
stop_display() { e2e_stop_display; }

start_loma() {  # a prefix with a native stub; sets LOMA_PID, WIN
  e2e_native_prefix
  WINEPREFIX=$PREFIX "$LOMA" 2>"$WORK/stderr" &
  LOMA_PID=$!
  E2E_STARTED+=($LOMA_PID)
  e2e_await_window -t 10000 --classname '^loma$'
}

wait_exit() { e2e_wait_exit "$LOMA_PID" $(($1 * 1000)); }  # wait_exit SECONDS: CODE, 124 if running
geometry() { e2e_geometry "$WIN"; }
shoot() { e2e_shot "$WORK/$5.png" "$3" "$4" "$1" "$2"; }  # shoot X Y W H NAME
differing() {  # differing A B [x y w h]: pixels that differ by more than 4 %
  local region=${3:+-crop ${5}x${6}+${3}+${4} +repage}
  convert "$1" $region "$WORK/a.png" && convert "$2" $region "$WORK/b.png" &&
    compare -metric AE -fuzz 4% "$WORK/a.png" "$WORK/b.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1
}
near() { [ "$1" -le "$2" ] || { echo "  $1 pixels differ (at most $2)"; return 1; }; }

# run_at DPI X Y W H NUMBER(x y w h) BUTTON-MIDDLE(x y): the window at one density
run_at() {
  local dpi=$1 x=$2 y=$3 w=$4 h=$5 nx=$6 ny=$7 nw=$8 nh=$9 bx=${10} by=${11}
  start_display "$([ "$dpi" = 96 ] || echo "$dpi")"  # 96: no Xft.dpi at all
  check "$dpi dpi: the resource database says so" \
    test "$(xrdb -query | awk '/^Xft.dpi:/{print $2}')" = "$([ "$dpi" = 96 ] || echo "$dpi")"
  start_loma
  check "$dpi dpi: the window shows" test -n "$WIN"
  [ -n "$WIN" ] || { sed 's/^/  loma: /' "$WORK/stderr"; stop_display; return; }
  check "$dpi dpi: ${w}x${h} at ($x, $y), centred at the top" test "$(geometry)" = "$x $y $w $h"
  e2e_await_frame "$WORK/found-$dpi.png" "$x" "$y" "$w" "$h" "$nx" "$ny" "$nw" "$nh"
  local golden=$GOLDEN/found_$dpi.png n
  [ "$dpi" = 96 ] && golden=$GOLDEN/found.png
  n=$(differing "$WORK/found-$dpi.png" "$golden")
  echo "  $n pixels differ from $(basename "$golden")"
  check "$dpi dpi: first frame as reviewed" near "$n" $((w * h / 200))
  sleep 1.1
  shoot "$x" "$y" "$w" "$h" "tick-$dpi"
  check "$dpi dpi: the countdown ticks, and only the number changes" \
    test "$(differing "$WORK/found-$dpi.png" "$WORK/tick-$dpi.png" $nx $ny $nw $nh)" -gt 50 -a \
         "$(differing "$WORK/found-$dpi.png" "$WORK/tick-$dpi.png")" = \
         "$(differing "$WORK/found-$dpi.png" "$WORK/tick-$dpi.png" $nx $ny $nw $nh)"
  e2e_click $((x + bx)) $((y + by))
  wait_exit 2
  check "$dpi dpi: a click on the close button at its scaled place ends the program, code 0" \
    test "$CODE" = 0
  stop_display
}

# not_launcher WINDOW "X Y W H": not the launcher's window at 96 or 144 dpi, which maps during
# the load and goes again when the error is reported
not_launcher() { case $(cut -d' ' -f3 <<<"$2") in 571 | 856) return 1 ;; esac; }

# box_size DPI: the unhandled-error window's "WxH" for a stub that cannot be started
box_size() {
  start_display "$([ "$1" = 96 ] || echo "$1")"
  PREFIX=$(mktemp -d "$WORK/prefix.XXXX")
  mkdir -p "$PREFIX/drive_c/ORNPrg/ZAVRO_Fi"
  echo "not runnable" > "$PREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe"
  WINEPREFIX=$PREFIX "$LOMA" 2>/dev/null &
  LOMA_PID=$!
  E2E_STARTED+=($LOMA_PID)
  local box=
  e2e_await_window -t 5000 -f not_launcher --classname '^loma$' && box=$WIN
  sleep 0.3
  [ -n "$box" ] && import -window "$box" "$WORK/box-$1.png"
  BOX_SIZE=$([ -n "$box" ] && xwininfo -id "$box" 2>/dev/null | awk '/Width/{w=$NF}/Height/{h=$NF}END{print w"x"h}')
  kill "$LOMA_PID" 2>/dev/null
  stop_display
}

# Pixels from the twips at each density (the layout's unit tests hold the same figures): the
# number label and the middle of the close button's caption label.
run_at 96 354 7 571 253 45 174 89 73 122 168
run_at 144 212 10 856 380 68 261 134 110 183 254
run_at 192 69 13 1142 507 90 348 178 146 245 338

box_size 96
small=$BOX_SIZE
box_size 144
echo "  the unhandled-error window: $small at 96 dpi, $BOX_SIZE at 144 dpi"
check "144 dpi: the unhandled-error window scales too" awk -v a="$small" -v b="$BOX_SIZE" 'BEGIN {
  split(a, s, "x"); split(b, t, "x");
  exit !(s[1] > 0 && t[1] / s[1] > 1.4 && t[1] / s[1] < 1.6 && t[2] / s[2] > 1.4 && t[2] / s[2] < 1.6) }'

if [ -f "$WORK/found-144.png" ] && [ -f "$WORK/found-96.png" ]; then
  check "144 dpi: sharp, not a 96-dpi frame blown up" \
    /usr/bin/python3 "$ROOT/tests/e2e/x11/sharpness.py" "$WORK/found-144.png" "$WORK/found-96.png" 1.5
  # The measure itself: the 96-dpi window stretched by 150 %, as a system scales an unaware
  # program, must fail it.
  convert "$WORK/found-96.png" -filter Triangle -resize 856x380! "$WORK/stretched-144.png"
  check "the sharpness check fails a stretched 96-dpi window" \
    bash -c '! /usr/bin/python3 "$0" "$1" "$2" 1.5' "$ROOT/tests/e2e/x11/sharpness.py" \
    "$WORK/stretched-144.png" "$WORK/found-96.png"
fi

e2e_summary
