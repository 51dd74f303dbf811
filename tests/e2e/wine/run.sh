#!/bin/bash
# End-to-end test of the Windows program: LOMA.exe under Wine in a virtual X display, with the
# stand-in diagnostic program at C:\ORNPrg\ZAVRO_Fi\LOMADiag.exe. Everything is checked from
# outside: X window geometry and properties, screenshots, files on the Wine drive, process exit.
#
#   tests/e2e/wine/run.sh [build-dir]     (default build/windows, from the windows preset)
#
# Needs: mingw-w64 (objdump, windres) wine wine64 xvfb xdotool imagemagick x11-utils.
# Prints the folder with the screenshots, then "N passed, N failed"; exits non-zero on any
# failure. About 65 s on two cores; two runs wait for (nearly) the whole countdown.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/windows}" && pwd) || exit 2
EXE=$BUILD/LOMA.exe
STUB=$BUILD/stub/LOMADiag.exe
CANCEL_MODE=$BUILD/stub/cancel_mode.exe
ASSETS=$(sed -n 's/^LOMA_ASSETS_DIR:PATH=//p' "$BUILD/CMakeCache.txt")
for f in "$EXE" "$STUB" "$CANCEL_MODE" "$ASSETS/backdrop.jpg"; do
  [ -e "$f" ] || { echo "missing $f (build the windows preset first)"; exit 2; }
done

. "$ROOT/tests/e2e/lib.sh"
e2e_init wine-e2e
E2E_KEEP_WORK=1 E2E_INDENT="  "  # the screenshots are the report; the prefix goes
SHOTS=$WORK/screenshots
mkdir -p "$SHOTS"
DIAG_DIR=$WORK/prefix/drive_c/ORNPrg/ZAVRO_Fi
seconds() { awk -v ms="$1" 'BEGIN { printf "%.2f", ms / 1000 }'; }
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
below() { awk -v v="$1" -v limit="$2" 'BEGIN { exit !(v < limit) }'; }

# --- the display and the prefix -------------------------------------------------------------
# No window manager: the launcher's popup is override-redirect anyway, and a manager's own
# Alt+F4 binding would keep that key from the program.
e2e_display 1024x768
T=$(e2e_now_ms)
e2e_wine_prefix "$WORK/prefix"
echo "prefix ready in $(seconds $(($(e2e_now_ms) - T))) s; screenshots in $SHOTS"

# --- helpers --------------------------------------------------------------------------------
start() { T0=$(e2e_now_ms); e2e_wine_command; "${E2E_WINE[@]}" "$EXE" >/dev/null 2>&1 & PID=$!; }

# The launcher window of process $PID once it is shown at its full size; sets WIN, WX, WY, T1.
await_window() {
  e2e_await_window -s "571 253" --pid "$PID" --name '^LOMA$' || return 1
  T1=$(e2e_now_ms)
  read -r WX WY _ <<<"$WIN_GEOMETRY"
}

# Waits for process $PID to end; sets CODE (124: still running) and T_END.
await_exit() { e2e_wait_exit "$PID" "$1"; local r=$?; T_END=$END_MS; return $r; }

shot() { e2e_shot "$SHOTS/$1.png"; }
# crop SHOT NAME X Y W H: a part of the window (window coordinates) as NAME.png
crop() { convert "$SHOTS/$1.png" -crop "$5x$6+$((WX + $3))+$((WY + $4))" +repage "$WORK/$2.png"; }
# The normalised root-mean-square difference of two images of one size.
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/'; }
asset() {  # asset FILE W H NAME: the picture stretched to W x H, as the program draws it
  convert "$ASSETS/$1" -resize "$2x$3!" "$WORK/$4.png"
}
click_at() { e2e_click $((WX + $1)) $((WY + $2)); }
ran_file() { find "$DIAG_DIR" -maxdepth 1 -iname 'LOMADiag.ran' 2>/dev/null | head -1; }
put_stub() { rm -rf "$WINEPREFIX/drive_c/ORNPrg"; mkdir -p "$DIAG_DIR"; cp "$STUB" "$DIAG_DIR/$1"; }

# The status message: two lines from Top 1820 when found, one from 2050 when not. Its upper
# band (rows 121-134) holds yellow text only in the found case.
status_is() {  # status_is found|missing SHOT
  crop "$2" band 218 121 304 14
  local upper; upper=$(e2e_count_colour "$WORK/band.png" 255 255 0)
  crop "$2" band 218 137 304 22
  local lower; lower=$(e2e_count_colour "$WORK/band.png" 255 255 0)
  if [ "$1" = found ]; then [ "$upper" -gt 10 ]; else [ "$upper" -lt 3 ] && [ "$lower" -gt 10 ]; fi
}

stub_ran_hidden() {  # the stub recorded STARTF_USESHOWWINDOW with SW_HIDE
  local f deadline=$(($(e2e_now_ms) + 5000))
  while f=$(ran_file); [ -z "$f" ] && [ "$(e2e_now_ms)" -lt "$deadline" ]; do sleep 0.1; done
  [ -n "$f" ] || return 1
  echo "       stub: $(tr -d '\r' <"$f")"
  grep -Eq 'dwFlags=0x[0-9a-f]*[13579bdf] wShowWindow=0 nCmdShow=0' "$f"
}

# --- 0. the program file ---------------------------------------------------------------------
echo "the program file: $(stat -c %s "$EXE") bytes"
has() { grep -q -- "$1" <<<"$2"; }
HEADERS=$(x86_64-w64-mingw32-objdump -p "$EXE")
check "GUI subsystem" has "Subsystem.*(Windows GUI)" "$HEADERS"
for flag in DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA; do
  check "DllCharacteristics $flag" has "^[[:space:]]*$flag\$" "$HEADERS"
done
IMPORTS=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$HEADERS" | tr 'A-Z' 'a-z' | sort -u)
check "imports only system DLLs: $(echo $IMPORTS)" test -z \
  "$(grep -vxE '(kernel32|user32|gdi32|ole32|oleaut32|msvcrt)\.dll' <<<"$IMPORTS")"
RESOURCES=$(x86_64-w64-mingw32-windres -i "$EXE" -O rc 2>/dev/null)
check "icon group 1 with icon 30001" has '^1 14 .*RT_GROUP_ICON' "$RESOURCES"
check "icon image 30001" has '^30001 3 ' "$RESOURCES"
check "version block" has '"OriginalFilename", "LOMA.exe"' "$RESOURCES"
check "manifest: asInvoker" has 'level=""asInvoker""' "$RESOURCES"

# --- 1. a file that is no program: the error box, and no countdown ----------------------------
echo "not a program at the diagnostic path"
mkdir -p "$DIAG_DIR"
echo "not a program" >"$DIAG_DIR/LOMADiag.exe"
start
ERROR_PID=$PID BOX=""
not_launcher() { [ "${2#* * }" != "571 253" ]; }  # not_launcher WINDOW "X Y W H"
e2e_await_window -f not_launcher --pid "$PID" --name '^LOMA$' && BOX=$WIN
check "the error box shows" test -n "$BOX"
shot error_box
check "the launcher window is hidden while the box shows" \
  test -z "$(for w in $(xdotool search --onlyvisible --pid "$PID" 2>/dev/null); do
               [ "$(e2e_geometry "$w" | cut -d' ' -f3-)" = "571 253" ] && echo "$w"; done)"

# --- 2. the folder missing: not found, the whole countdown ----------------------------------
echo "no diagnostic folder; the whole countdown"
rm -rf "$WINEPREFIX/drive_c/ORNPrg"
start
if await_window; then
  pass "window shown $(seconds $((T1 - T0))) s after start"
  check "window at 226,7, 571 x 253 pixels" test "$(e2e_geometry "$WIN")" = "226 7 571 253"
  sleep 1.5
  shot not_found
  check "status says not found" status_is missing not_found

  # The pictures, compared with the embedded files drawn as the window draws them.
  convert "$ASSETS/backdrop.jpg" -crop 30x252+540+0 +repage "$WORK/want.png"
  crop not_found got 540 0 30 252
  check "backdrop at natural size" below "$(rmse "$WORK/got.png" "$WORK/want.png")" 0.04
  asset title_banner.jpg 492 74 banner
  convert "$WORK/banner.png" -crop 484x64+4+4 +repage "$WORK/want.png"
  crop not_found got 46 34 484 64
  check "title banner stretched to 492 x 74" below "$(rmse "$WORK/got.png" "$WORK/want.png")" 0.08
  asset down_face.jpg 335 85 panel
  convert "$WORK/panel.png" -crop 330x16+3+1 +repage "$WORK/want.png"
  crop not_found got 203 104 330 16
  check "status panel shows the down face" below "$(rmse "$WORK/got.png" "$WORK/want.png")" 0.08
  asset up_face.jpg 159 85 up
  asset down_face.jpg 159 85 down
  convert "$WORK/up.png" -crop 159x22+0+0 +repage "$WORK/up_top.png"
  convert "$WORK/down.png" -crop 159x22+0+0 +repage "$WORK/down_top.png"
  crop not_found got 43 103 159 22
  UP_E=$(rmse "$WORK/got.png" "$WORK/up_top.png")
  DOWN_E=$(rmse "$WORK/got.png" "$WORK/down_top.png")
  check "close button shows the up face ($UP_E against $DOWN_E)" \
    awk -v u="$UP_E" -v d="$DOWN_E" 'BEGIN { exit !(u < 0.08 && u < d) }'
  crop not_found got 139 204 327 24
  check "countdown notice drawn" test "$(e2e_count_colour "$WORK/got.png" 241 237 59)" -gt 100
  crop not_found got 45 174 89 73
  check "countdown number in red" test "$(e2e_count_colour "$WORK/got.png" 255 0 0)" -gt 50
  crop not_found got 43 126 159 60
  check "close caption in yellow" test "$(e2e_count_colour "$WORK/got.png" 255 255 0)" -gt 50
  crop not_found got 256 190 280 14
  check "credit line drawn" test "$(e2e_count_colour "$WORK/got.png" 0 0 0)" -gt 50
  # The window's icon reaches X as _NET_WM_ICON: 32 x 32, the embedded icon's pixels.
  xprop -id "$WIN" -notype -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON | tr -d ' ' | cut -d= -f2 |
    tr ',' '\n' >"$WORK/icon.txt"
  convert "ico:$ASSETS/window_icon.ico" -depth 8 rgba:"$WORK/icon.rgba"
  check "window icon is the embedded icon" /usr/bin/python3 - "$WORK/icon.txt" "$WORK/icon.rgba" <<'EOF'
import sys
values = [int(v) for v in open(sys.argv[1]).read().split()]
rgba = open(sys.argv[2], "rb").read()
assert values[:2] == [32, 32], values[:2]
for i, argb in enumerate(values[2:2 + 1024]):
    r, g, b, a = rgba[4 * i:4 * i + 4]
    if (argb >> 24) != a or (a and (argb & 0xFFFFFF) != (r << 16 | g << 8 | b)):
        sys.exit(f"pixel {i}: {argb:08x} against {r:02x}{g:02x}{b:02x} alpha {a}")
EOF
  await_exit 20000
  END_S=$(seconds $((T_END - T0))) AFTER_WINDOW=$(seconds $((T_END - T1)))
  # Eleven ticks from the window's creation, which lies between the start and the showing.
  check "countdown ends the program $END_S s after start, $AFTER_WINDOW s after the window" \
    between "$END_S" 11.0 13.0
  check "exit code 0" test "$CODE" = 0
else
  fail "window shown"
fi

# The box of case 1 has outlived the whole countdown: nothing counted down behind it.
PID=$ERROR_PID
check "the error box is still up after the countdown" kill -0 "$PID"
if [ -n "$BOX" ]; then
  read -r BX BY _ <<<"$(e2e_geometry "$BOX")"
  xdotool mousemove $((BX + 8)) $((BY + 8)) click 1 sleep 0.3 key Return  # OK is the default
  await_exit 5000
else
  kill "$PID" 2>/dev/null
  CODE=none
fi
check "the error ends the program with a non-zero code ($CODE)" test "$CODE" != 0 -a "$CODE" != 124 -a "$CODE" != none

# --- 3. found: the stub starts hidden; the pressed face; a click on 關閉 -----------------------
echo "diagnostic program installed"
put_stub LOMADiag.exe
start
if await_window; then
  check "stub started hidden" stub_ran_hidden
  sleep 0.5
  shot found
  check "status says found" status_is found found
  xdotool mousemove $((WX + 122)) $((WY + 150)) mousedown 1
  sleep 0.6
  shot button_down
  crop button_down got 43 103 159 22
  UP_E=$(rmse "$WORK/got.png" "$WORK/up_top.png")
  DOWN_E=$(rmse "$WORK/got.png" "$WORK/down_top.png")
  check "held button shows the down face ($DOWN_E against $UP_E)" \
    awk -v u="$UP_E" -v d="$DOWN_E" 'BEGIN { exit !(d < 0.08 && d < u) }'
  T_CLICK=$(e2e_now_ms)
  xdotool mouseup 1
  await_exit 3000
  check "a click on 關閉 ends it at once ($(seconds $((T_END - T_CLICK))) s)" \
    test "$CODE" = 0 -a $((T_END - T_CLICK)) -lt 1500
else
  fail "window shown"
fi

# --- 3b. the mouse taken away while 關閉 is held: the face up, the release no click -----------
echo "the mouse taken away while the button is held"
rm -rf "$WINEPREFIX/drive_c/ORNPrg"
start
if await_window; then
  xdotool mousemove $((WX + 122)) $((WY + 150)) mousedown 1
  sleep 0.6
  wine "$CANCEL_MODE" >/dev/null 2>&1
  sleep 0.3
  shot capture_lost
  crop capture_lost got 43 103 159 22
  UP_E=$(rmse "$WORK/got.png" "$WORK/up_top.png")
  DOWN_E=$(rmse "$WORK/got.png" "$WORK/down_top.png")
  check "face up while the button is still held ($UP_E against $DOWN_E)" \
    awk -v u="$UP_E" -v d="$DOWN_E" 'BEGIN { exit !(u < 0.08 && u < d) }'
  xdotool mouseup 1
  sleep 0.6
  check "the release over 關閉 is no click" kill -0 "$PID"
  click_at 122 150
  await_exit 3000
  check "the next click ends it" test "$CODE" = 0
else
  fail "window shown"
fi

# --- 4. the name in capitals: found; a click on the number's upper part ---------------------
echo "diagnostic program stored as LOMADIAG.EXE"
put_stub LOMADIAG.EXE
start
if await_window; then
  check "found and started" stub_ran_hidden
  sleep 0.5
  shot capitals
  check "status says found" status_is found capitals
  T_CLICK=$(e2e_now_ms)
  click_at 90 190
  await_exit 3000
  check "a click on the number's upper part ends it" test "$CODE" = 0 -a $((T_END - T_CLICK)) -lt 1500
else
  fail "window shown"
fi

# --- 5. a folder, then a hidden file, by that name: not found; the backdrop does nothing -----
not_found_case() {  # not_found_case NAME close|alt+F4
  start
  if await_window; then
    sleep 1
    shot "$1"
    check "status says not found" status_is missing "$1"
    check "nothing started" test -z "$(ran_file)"
    click_at 560 240
    sleep 1
    check "a click on the backdrop does nothing" kill -0 "$PID"
    if [ "$2" = close ]; then click_at 122 150; else xdotool key "$2"; fi
    await_exit 3000
    check "ended by $2" test "$CODE" = 0
  else
    fail "window shown"
  fi
}
echo "a folder named LOMADiag.exe"
rm -rf "$WINEPREFIX/drive_c/ORNPrg"
mkdir -p "$DIAG_DIR/LOMADiag.exe"
not_found_case folder close
echo "a hidden LOMADiag.exe"
put_stub LOMADiag.exe
/usr/bin/python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.DOSATTRIB", b"0x2")' \
  "$DIAG_DIR/LOMADiag.exe"
not_found_case hidden alt+F4  # the click has activated the window

# --- 6. stopped and continued: the late ticks at once, a late end at once -----------------------
# As after a sleep: the timer ran on while the program could not, and every tick that fell due
# meanwhile is delivered as soon as it runs again.
sleep_until() { local left=$(($1 - $(e2e_now_ms))); [ "$left" -gt 0 ] && sleep "$(seconds "$left")"; }
echo "stopped and continued"
rm -rf "$WINEPREFIX/drive_c/ORNPrg"
start
if await_window; then
  sleep_until $((T1 + 2300))
  shot stall_stopped
  crop stall_stopped stopped 45 174 89 73
  kill -STOP "$PID"
  sleep_until $((T1 + 5500))
  T_CONT=$(e2e_now_ms)
  kill -CONT "$PID"
  SHOWN=none
  for _ in $(seq 20); do
    shot stall_woken
    crop stall_woken woken 45 174 89 73
    if awk -v e="$(rmse "$WORK/stopped.png" "$WORK/woken.png")" 'BEGIN { exit !(e > 0.05) }'; then
      SHOWN=$(($(e2e_now_ms) - T_CONT)); break
    fi
    sleep 0.05
  done
  check "the late ticks show as soon as it runs again ($SHOWN ms)" \
    test "$SHOWN" != none -a "${SHOWN/none/9999}" -lt 600
  sleep_until $((T1 + 10300))
  kill -STOP "$PID"
  sleep_until $((T1 + 13000))
  T_CONT=$(e2e_now_ms)
  kill -CONT "$PID"
  await_exit 5000
  check "a late end ends it at once ($((T_END - T_CONT)) ms), code 0" \
    test "$CODE" = 0 -a $((T_END - T_CONT)) -lt 600
else
  fail "window shown"
fi

echo "screenshots: $SHOTS"
e2e_summary
