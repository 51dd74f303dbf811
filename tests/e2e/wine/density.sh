#!/bin/bash
# End-to-end test of the Windows program on a 150 % screen: LOMA.exe under Wine with LogPixels
# 144 in the prefix's registry, in a virtual X display 1280 pixels wide. The program declares
# itself aware of each monitor's density, so the window is laid out at 144 dpi from its twips:
# 856 x 380 pixels at (212, 10), its fonts at 144 dpi, and a click on the close button at its
# scaled place ends it. Keeps a screenshot to look at.
#
#   tests/e2e/wine/density.sh [build-dir]     (default build/windows)
#
# Needs: wine wine64 xvfb xdotool imagemagick x11-utils. Prints "N passed, N failed" last.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/windows}" && pwd) || exit 2
EXE=$BUILD/LOMA.exe
STUB=$BUILD/stub/LOMADiag.exe
for f in "$EXE" "$STUB"; do [ -e "$f" ] || { echo "missing $f (build the windows preset first)"; exit 2; }; done

. "$ROOT/tests/e2e/lib.sh"
e2e_init wine-dpi
E2E_INDENT="  "
# The height of the pure-red glyphs in an image: the countdown number's size, whichever number
# it shows (a count of its pixels depends on the digits). 36 points are 48 pixels to the em at
# 96 dpi, and a digit is about three quarters of it: 35 to 37 pixels tall at 96 dpi, 53 to 56 at
# 144 and 69 to 75 at 192. Wine 8 thickens the black face by 1/24 em for the bold weight asked
# for, which gives the tallest; Wine 10 takes the face's own weight, 900, as bold enough. 1 when
# there is no red.
red_height() {
  e2e_magick "$1" -fx "abs(r-1)<0.2 && g<0.2 && b<0.2" -trim -format '%h' info:
}

# What Windows reads. Wine 8 gives every program per-monitor awareness and the prefix's
# density whatever it declares, and never stretches a window; Wine 10, as Windows, gives an
# undeclared program 96 dpi and stretches its window.
MANIFEST=$(x86_64-w64-mingw32-windres -i "$EXE" -O rc 2>/dev/null | grep -E 'dpiAware')
check "manifest: true/pm, and per-monitor v2 with the per-monitor fallback" \
  bash -c 'grep -q ">true/pm</dpiAware>" <<<"$0" && grep -q ">PerMonitorV2,PerMonitor</dpiAwareness>" <<<"$0"' "$MANIFEST"

e2e_display 1280x800
e2e_wine_prefix "$WORK/prefix"
# A 150 % desktop: where winecfg keeps the screen's density, and the per-user value. Wine 8
# reads them in each program it starts. Wine 10 gives a monitor the density read when the
# prefix's desktop started (the reg calls start it, at 96): a program started after the change
# alone has 144 dpi as the system's density but 96 as its monitor's, and a per-monitor aware
# program is laid out at 96, as on Windows. So the prefix's server, and its desktop with it,
# start again on the new values.
e2e_wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
  /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
e2e_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -k
wineserver -w
wineserver -p

mkdir -p "$WINEPREFIX/drive_c/ORNPrg/ZAVRO_Fi"
cp "$STUB" "$WINEPREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe"
e2e_wine_command
"${E2E_WINE[@]}" "$EXE" >/dev/null 2>&1 &
PID=$!
# Past the moment of the topmost call, which shrinks the window to nothing for a moment.
full_size() { [ "${2#* * }" != "0 0" ] && [ "${2#* * }" != "1 1" ]; }  # full_size WINDOW "X Y W H"
e2e_await_window -f full_size --pid "$PID" --name '^LOMA$'
check "the window shows" test -n "$WIN"
sleep 1
G=$(e2e_geometry "$WIN")
check "856 x 380 at (212, 10): laid out at 144 dpi ($G)" test "$G" = "212 10 856 380"
e2e_shot "$WORK/found_144.png" 856 380 212 10
cp "$WORK/found_144.png" "${SHOT:-/tmp/loma-wine-found-144.png}"
echo "  screenshot: ${SHOT:-/tmp/loma-wine-found-144.png}"
convert "$WORK/found_144.png" -crop 134x110+68+261 +repage "$WORK/number.png"
H=$(red_height "$WORK/number.png")
check "the number, red, at the 144-dpi size: $H pixels tall" test "$H" -ge 48 -a "$H" -le 62
convert "$WORK/found_144.png" -crop 238x128+64+190 +repage "$WORK/caption.png"
check "the close caption, yellow, at the 144-dpi size" \
  test "$(e2e_count_colour "$WORK/caption.png" 255 255 0)" -gt 1500
# The credit line's last word, "Launcher", lies right of x 700: it is no longer cut off.
convert "$WORK/found_144.png" -crop 100x22+700+285 +repage "$WORK/credit.png"
check "the credit line is drawn to its end" test "$(e2e_count_colour "$WORK/credit.png" 0 0 0)" -gt 40
# The window icon reaches X as _NET_WM_ICON, resampled to the size of a 150 % screen.
xprop -id "$WIN" -notype -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON | tr -d ' ' | cut -d= -f2 |
  tr ',' '\n' >"$WORK/icon.txt"
echo "  icon sizes: $(/usr/bin/python3 - "$WORK/icon.txt" <<'PY'
import sys
v = [int(x) for x in open(sys.argv[1]).read().split()]
sizes, i = [], 0
while i + 2 <= len(v):
    sizes.append(f"{v[i]}x{v[i + 1]}")
    i += 2 + v[i] * v[i + 1]
print(" ".join(sizes))
PY
)"
check "the window icon is 48 x 48, the blue D opaque in its corner" /usr/bin/python3 - "$WORK/icon.txt" \
  "${SHOT:-/tmp/loma-wine-found-144.png}" <<'PY'
import sys
from PIL import Image
v = [int(x) & 0xFFFFFFFF for x in open(sys.argv[1]).read().split()]
assert v[:2] == [48, 48], v[:2]
assert v[2] == 0xFF0000FF, hex(v[2])
icon = Image.new("RGBA", (48, 48))
icon.putdata([((p >> 16) & 255, (p >> 8) & 255, p & 255, p >> 24) for p in v[2:2 + 48 * 48]])
icon.save(sys.argv[2].replace(".png", "-icon.png"))
PY

# The scale changed to 200 % while the launcher runs: it lays itself out again from its twips
# (Left 2117.5 twips is 282.3 px at 192 dpi) and repaints; then back to 150 %.
CHANGE=$BUILD/stub/density_change.exe
if [ -f "$CHANGE" ]; then
  e2e_wine "$CHANGE" 192 >/dev/null 2>&1
  sleep 0.8
  G=$(e2e_geometry "$WIN")
  check "a change to 192 dpi lays the window out again: 1142 x 507 at (282, 13) ($G)" \
    test "$G" = "282 13 1142 507"
  e2e_shot "$WORK/changed_192.png" 1142 507 282 13
  cp "$WORK/changed_192.png" "${SHOT:-/tmp/loma-wine-found-144.png}.changed-192.png"
  convert "$WORK/changed_192.png" -crop 178x146+90+348 +repage "$WORK/number.png"
  H=$(red_height "$WORK/number.png")
  check "and repaints it at 192 dpi: the number $H pixels tall" test "$H" -ge 64 -a "$H" -le 84
  e2e_wine "$CHANGE" 144 >/dev/null 2>&1
  sleep 0.8
  G=$(e2e_geometry "$WIN")
  check "and back at 144 dpi where it was ($G)" test "$G" = "212 10 856 380"
fi

e2e_click $((212 + 183)) $((10 + 254))  # the middle of the close caption
e2e_wait_exit "$PID" 3000
check "a click at the scaled point of the close button ends it ($CODE)" test "$CODE" = 0

e2e_summary
