#!/usr/bin/env bash
# The native Wayland host under sway, headless (pixman, no GPU), as an unprivileged user (sway
# refuses root; as root the script runs it as $LOMA_TEST_USER, default lomatest, made if absent):
# at each output scale, 1 on 1280x800 and 2 on 2560x1600 (the same logical screen, twice the
# pixels): the layer surface's pixels equal the golden images of that density at the top-centre
# place the X11 host uses; it stays above a terminal opened after it, which has the keyboard;
# a real pointer click on the close button ends it at once; the countdown ends it at 11 s. At
# scale 1 also: the X11 host through XWayland when LOMA_WAYLAND=0 says so, and when
# libwayland-client cannot be opened (as root: a mount namespace); the AT-SPI client of
# the X11 suite against the layer surface; an unhandled error's message through XWayland.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
. "$ROOT/tests/e2e/lib.sh"
LOMA=${LOMA:-$ROOT/build/linux/loma}
HERE=$ROOT/tests/e2e/wayland
GOLDEN=$ROOT/tests/paint/golden
TESTER=${LOMA_TEST_USER:-lomatest}
BACKDROP="32 64 96"  # the output's colour, #204060
skipped=0

skip_all() {
  echo "skip sway: $1"
  echo "0 passed, 0 failed, 1 skipped"
  exit 0
}
for tool in sway swaymsg grim foot wayland-scanner cc pkg-config setpriv; do
  command -v "$tool" >/dev/null || skip_all "$tool is not installed"
done
/usr/bin/python3 -c 'import PIL' 2>/dev/null || skip_all "python3-pil is not installed"
[ -x "$LOMA" ] || { echo "FAIL no program at $LOMA"; echo "0 passed, 1 failed"; exit 1; }

e2e_init wayland-sway
# A sanitizer build: its reports make the exit code non-zero, which every ending checks;
# fontconfig's cache is no leak of ours. Ending takes up to a second more (the leak check).
EXIT_SLACK_MS=0
if readelf -d "$LOMA" 2>/dev/null | grep -qE 'NEEDED.*lib(asan|ubsan)'; then
  export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
  EXIT_SLACK_MS=1000
  echo "sanitizer build: any report fails"
fi
# AS_TESTER runs a command as that user through exec alone (setpriv, env), so that a job's $!
# is the command itself and killing it ends it, not a subshell above it.
if [ "$(id -u)" -eq 0 ]; then
  id "$TESTER" >/dev/null 2>&1 || useradd -m "$TESTER" || skip_all "cannot create $TESTER"
  AS_TESTER=(setpriv --reuid="$TESTER" --regid="$TESTER" --init-groups env)
else
  TESTER=$(id -un)
  AS_TESTER=(env)
fi
as_tester() { "${AS_TESTER[@]}" "$@"; }
# What the user runs, copied where it can read it wherever the checkout is (root's home is
# mode 700): the program with the start helpers beside it, and the screen-reader scripts.
SHARED=$WORK/shared
mkdir -p "$SHARED/tests/e2e"
cp "$LOMA" "$SHARED/loma"
cp "${LOMA%/*}"/start-hidden-*.exe "$SHARED/" 2>/dev/null
cp -r "$HERE" "$ROOT/tests/e2e/atspi" "$SHARED/tests/e2e/"
chmod -R a+rX "$WORK"
LOMA=$SHARED/loma
A11Y_SESSION=$SHARED/tests/e2e/wayland/a11y_session.sh
# The user's programs start in a folder it may enter: foot 1.21 fails to start its shell in a
# working folder it cannot enter (such as a checkout in root's home), and opens no window.
cd "$WORK" || exit 1

# The pointer device that a headless sway lacks, built from our description of the protocol.
POINTER=$WORK/virtual_pointer
wayland-scanner client-header "$HERE/virtual-pointer.xml" "$WORK/virtual-pointer-client-protocol.h"
wayland-scanner private-code "$HERE/virtual-pointer.xml" "$WORK/virtual-pointer-protocol.c"
# shellcheck disable=SC2046  # the compiler's flags, one word each
cc -O1 -I"$WORK" -o "$POINTER" "$HERE/virtual_pointer.c" "$WORK/virtual-pointer-protocol.c" \
  $(pkg-config --cflags --libs wayland-client) || skip_all "the pointer helper does not build"

# --- one sway per scale ---------------------------------------------------------------------
start_sway() {  # start_sway MODE SCALE: sway with one output; sets RT, SWAY_ENV, XDISPLAY
  RT=$(mktemp -d /tmp/loma-wl-rt.XXXXXX)
  chown "$TESTER:" "$RT"
  chmod 700 "$RT"
  E2E_AT_EXIT+=("rm -rf $RT")
  cat > "$RT/sway.conf" <<CONF
output HEADLESS-1 mode $1 position 0 0 scale $2 bg #204060 solid_color
default_border none
exec printenv DISPLAY > $RT/display
CONF
  chown "$TESTER:" "$RT/sway.conf"
  "${AS_TESTER[@]}" HOME="$RT" XDG_RUNTIME_DIR="$RT" WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=1 \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$RT/sway.conf" > "$RT/sway.log" 2>&1 &
  SWAY_PID=$!
  E2E_STARTED+=("$SWAY_PID")
  local deadline=$(($(e2e_now_ms) + 15000)) sock="" wl=""
  while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    sock=$(ls "$RT"/sway-ipc.*.sock 2>/dev/null | head -1)
    for f in "$RT"/wayland-*; do
      [ -e "$f" ] && [[ $f != *.lock ]] && { wl=${f##*/}; break; }
    done
    if [ -n "$sock" ] && [ -n "$wl" ] && [ -s "$RT/display" ]; then break; fi
    sleep 0.1
  done
  XDISPLAY=$(cat "$RT/display" 2>/dev/null)
  SWAY_ENV=(HOME="$RT" XDG_RUNTIME_DIR="$RT" WAYLAND_DISPLAY="$wl" SWAYSOCK="$sock")
  [ -n "$sock" ] && [ -n "$wl" ] || return 1
  "${AS_TESTER[@]}" "${SWAY_ENV[@]}" "$POINTER" 600 > "$RT/pointer.out" 2>&1 &
  POINTER_PID=$!
  E2E_STARTED+=("$POINTER_PID")
  while [ "$(e2e_now_ms)" -lt "$deadline" ] && ! grep -q ready "$RT/pointer.out"; do sleep 0.05; done
  grep -q ready "$RT/pointer.out"
}

stop_sway() {  # its clients (the terminal, swaybg, Xwayland) end with it
  kill "${POINTER_PID:-}" 2>/dev/null
  kill "$SWAY_PID" 2>/dev/null
  e2e_wait_exit "$SWAY_PID" 5000 || kill -9 "$SWAY_PID" 2>/dev/null
}

swaymsg_() { as_tester "${SWAY_ENV[@]}" swaymsg "$@"; }

LAUNCH_IN=()  # what the launcher is started through, before it becomes the user
launch() {  # launch found|not_found [ENV...]: the launcher as the user; sets PID, START_MS
  local kind=$1
  shift
  local prefix=$RT/prefix-$kind
  mkdir -p "$prefix/drive_c"
  local stub=$prefix/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe
  if [ "$kind" = found ]; then
    mkdir -p "${stub%/*}"
    printf '#!/bin/sh\necho ran >> "%s/ran"\n' "$prefix" > "$stub"
    chmod +x "$stub"
  elif [ "$kind" = broken ]; then  # found, but no program: its start fails
    mkdir -p "${stub%/*}"
    echo junk > "$stub"
  fi
  chown -R "$TESTER:" "$prefix"
  START_MS=$(e2e_now_ms)
  "${LAUNCH_IN[@]}" "${AS_TESTER[@]}" "${SWAY_ENV[@]}" DISPLAY="$XDISPLAY" WINEPREFIX="$prefix" \
    NO_AT_BRIDGE=1 "$@" "$LOMA" > "$RT/loma-$kind.log" 2>&1 &
  PID=$!
  E2E_STARTED+=("$PID")
}

shot() {  # shot FILE X Y W H: grim of that logical rectangle, at the output's scale
  as_tester "${SWAY_ENV[@]}" grim -g "$2,$3 ${4}x$5" "$RT/shot.png" && cp "$RT/shot.png" "$1"
}

await_surface() {  # await_surface FILE: the window's rectangle grown by 1, once it shows (5 s)
  local deadline=$(($(e2e_now_ms) + 5000)) corner
  while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    # The window's first pixel, read from a PPM: cheaper than a PNG and a Python start.
    corner=$(as_tester "${SWAY_ENV[@]}" grim -t ppm -g "$((WX + 1)),$((WY + 1)) 1x1" - 2>/dev/null |
      tail -c 3 | od -An -tu1 | xargs)
    if [ -n "$corner" ] && [ "$corner" != "$BACKDROP" ]; then
      FIRST_MS=$(($(e2e_now_ms) - START_MS))
      shot "$1" $((WX - 1)) $((WY - 1)) $((WW + 2)) $((WH + 2))
      return 0
    fi
    sleep 0.02
  done
  return 1
}

placed_as() {  # placed_as SHOT GOLDEN [X Y W H]: 0 pixels off, border included
  local n
  n=$(/usr/bin/python3 "$HERE/pixels.py" placed "$1" "$GOLDEN/$2.png" "$SCALE" $BACKDROP "${@:3}")
  [ "$n" = 0 ] || { echo "  $n pixels off in $1"; return 1; }
}

focused_app() { swaymsg_ -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    if n.get("focused"):
        print(n.get("app_id") or n.get("name") or n.get("type"))
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'; }

in_tree() { swaymsg_ -t get_tree | grep -q "\"name\": \"$1\""; }

# The number's rectangle in the window (ShowEndTime at this scale), left out of the comparisons:
# it moves on each second, and a grim shot takes 0.4 to 0.8 s here, so the first frame's "10"
# cannot be caught reliably. The X11 suite checks the number's pixels from the same painter.
number_rect() { echo $((45 * SCALE)) $((174 * SCALE)) $((89 * SCALE)) $((73 * SCALE)); }

suite() {  # suite MODE SCALE
  SCALE=$2
  local tag="scale $SCALE" golden_suffix=""
  [ "$SCALE" = 2 ] && golden_suffix=_192
  echo "--- sway, output $1 at $tag"
  if ! start_sway "$1" "$2"; then
    fail "$tag: sway starts headless" "$(tail -3 "$RT/sway.log")"
    stop_sway
    return
  fi
  # The X11 host's place at 96 dpi in logical pixels: (19200 - 8565) / 2 twips, 100 twips down.
  # At scale 2 the 507 pixel rows are padded to 508, 254 logical.
  WX=354 WY=7 WW=571 WH=253
  [ "$SCALE" = 2 ] && WH=254

  # Found, then closed by a click of the seat's pointer.
  swaymsg_ seat - cursor set 1279 799 >/dev/null  # out of the way of every screenshot
  launch found
  if await_surface "$WORK/found-$SCALE.png"; then
    pass "$tag: found: the surface shows (seen $FIRST_MS ms after the start)"
    # shellcheck disable=SC2046  # number_rect's x, y, width and height, one word each
    check "$tag: found: its pixels equal found$golden_suffix at $WX,$WY" \
      placed_as "$WORK/found-$SCALE.png" "found$golden_suffix" $(number_rect)
    if in_tree LOMA; then
      fail "$tag: found: a layer surface, not a window of the tree"
    else
      pass "$tag: found: a layer surface, not a window of the tree"
    fi
    local bx=$((WX + 122)) by=$((WY + 146))
    swaymsg_ seat - cursor set "$bx" "$by" >/dev/null
    swaymsg_ seat - cursor press button1 >/dev/null
    sleep 0.3
    shot "$WORK/pressed-$SCALE.png" $((WX - 1)) $((WY - 1)) $((WW + 2)) $((WH + 2))
    # The face left of the pointer (which the shot shows): the down face where it was up; at 96
    # dpi it is the golden image's down face, pixel for pixel.
    local face="$((43 * SCALE)) $((103 * SCALE)) $((70 * SCALE)) $((85 * SCALE)) " up down=0
    local seen="pixels off the up face"
    up=$(/usr/bin/python3 "$HERE/pixels.py" region "$WORK/pressed-$SCALE.png" \
      "$GOLDEN/found$golden_suffix.png" "$SCALE" $face)
    if [ "$SCALE" = 1 ]; then
      down=$(/usr/bin/python3 "$HERE/pixels.py" region "$WORK/pressed-$SCALE.png" \
        "$GOLDEN/button_down.png" 1 $face)
      seen="$seen, $down off button_down"
    fi
    check "$tag: found: the press shows the down face ($up $seen)" \
      test "${up:-0}" -gt 1000 -a "${down:-1}" = 0
    local released
    released=$(e2e_now_ms)
    swaymsg_ seat - cursor release button1 >/dev/null
    if e2e_wait_exit "$PID" 2000; then
      check "$tag: found: the click ends it at once ($((END_MS - released)) ms, code $CODE)" \
        test "$CODE" = 0 -a $((END_MS - released)) -lt $((1000 + EXIT_SLACK_MS))
    else
      fail "$tag: found: the click ends it" "still running 2 s after the release"
      kill "$PID"
    fi
    check "$tag: found: the diagnostic program ran" test -s "$RT/prefix-found/ran"
  else
    fail "$tag: found: the surface shows" "nothing at $WX,$WY in 5 s: $(cat "$RT/loma-found.log")"
    kill "$PID" 2>/dev/null
  fi

  # Not found; a terminal opened after it takes the keyboard, and the countdown ends it.
  swaymsg_ seat - cursor set 1279 799 >/dev/null
  launch not_found
  if await_surface "$WORK/not_found-$SCALE.png"; then
    # shellcheck disable=SC2046  # number_rect's x, y, width and height, one word each
    check "$tag: not found: its pixels equal not_found$golden_suffix at $WX,$WY" \
      placed_as "$WORK/not_found-$SCALE.png" "not_found$golden_suffix" $(number_rect)
    "${AS_TESTER[@]}" "${SWAY_ENV[@]}" foot -o 'colors.background=ffffff' > "$RT/foot.log" 2>&1 &
    local foot=$! deadline=$(($(e2e_now_ms) + 5000))
    E2E_STARTED+=("$foot")
    while [ "$(e2e_now_ms)" -lt "$deadline" ] && [ "$(focused_app)" != foot ]; do sleep 0.1; done
    check "$tag: not found: the terminal opened after it has the keyboard" \
      test "$(focused_app)" = foot
    sleep 0.3
    shot "$WORK/above-$SCALE.png" $((WX - 1)) $((WY - 1)) $((WW + 2)) $((WH + 2))
    shot "$WORK/screen-$SCALE.png" 0 0 1280 800
    # Around the window the terminal's white now lies: only the window's own pixels count.
    check "$tag: not found: still above the terminal" bash -c \
      "n=\$(/usr/bin/python3 '$HERE/pixels.py' placed '$WORK/above-$SCALE.png' '$GOLDEN/not_found$golden_suffix.png' $SCALE 255 255 255 $(number_rect)); [ \"\$n\" = 0 ] || { echo \"  \$n pixels off\"; exit 1; }"
    # Ticks count from the window's creation, which lies between the start and the first sight.
    if e2e_wait_exit "$PID" 16000; then
      local ms=$((END_MS - START_MS)) seen=$((END_MS - START_MS - FIRST_MS))
      check "$tag: not found: the countdown ends it at 11 s ($ms ms after the start, $seen after first seen, code $CODE)" \
        test "$CODE" = 0 -a "$ms" -ge 10900 -a "$seen" -le $((11500 + EXIT_SLACK_MS))
    else
      fail "$tag: not found: the countdown ends it" "still running after 16 s"
      kill "$PID"
    fi
    kill "$foot" 2>/dev/null
    e2e_wait_exit "$foot" 3000
  else
    fail "$tag: not found: the surface shows" "$(cat "$RT/loma-not_found.log")"
    kill "$PID" 2>/dev/null
  fi

  # The output's scale changed while it runs (2 to 1): the form lays itself out again at the new
  # density from its twips, in the same logical place, as a launcher started at scale 1 draws it.
  if [ "$SCALE" = 2 ]; then
    swaymsg_ seat - cursor set 1279 799 >/dev/null
    launch rescaled
    if await_surface "$WORK/rescaled-2.png"; then
      swaymsg_ output HEADLESS-1 scale 1 >/dev/null
      SCALE=1 WH=253
      local deadline=$(($(e2e_now_ms) + 5000))
      while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
        shot "$WORK/rescaled-1.png" $((WX - 1)) $((WY - 1)) $((WW + 2)) $((WH + 2))
        # shellcheck disable=SC2046  # number_rect's x, y, width and height, one word each
        placed_as "$WORK/rescaled-1.png" not_found $(number_rect) >/dev/null && break
        sleep 0.1
      done
      # shellcheck disable=SC2046  # number_rect's x, y, width and height, one word each
      check "scale 2 to 1 while it runs: its pixels equal not_found at $WX,$WY" \
        placed_as "$WORK/rescaled-1.png" not_found $(number_rect)
      SCALE=2 WH=254
    else
      fail "scale 2 to 1 while it runs: the surface shows" "$(cat "$RT/loma-rescaled.log")"
    fi
    kill "$PID" 2>/dev/null
    e2e_wait_exit "$PID" 3000
  fi

  # The X11 host through XWayland when told to: a window of the tree named LOMA.
  if [ "$SCALE" = 1 ] && ! command -v Xwayland >/dev/null; then
    echo "skip LOMA_WAYLAND=0: Xwayland is not installed"
    skipped=$((skipped + 1))
  elif [ "$SCALE" = 1 ]; then
    launch x11 LOMA_WAYLAND=0
    local deadline=$(($(e2e_now_ms) + 10000))
    while [ "$(e2e_now_ms)" -lt "$deadline" ] && ! in_tree LOMA; do sleep 0.1; done
    if in_tree LOMA; then
      pass "LOMA_WAYLAND=0: the X11 window through XWayland ($XDISPLAY)"
    else
      fail "LOMA_WAYLAND=0: the X11 window through XWayland ($XDISPLAY)" "$(cat "$RT/loma-x11.log")"
    fi
    kill "$PID" 2>/dev/null
    e2e_wait_exit "$PID" 3000
  fi

  # Without libwayland-client (an empty file over Debian's, in a mount namespace of the
  # launcher's own): the X11 host through XWayland, as without layer-shell, and not a word.
  local lib
  lib=$(ldconfig -p | awk '/libwayland-client\.so\.0 .*x86-64/ { print $NF; exit }')
  if [ "$SCALE" = 1 ] && ! { command -v Xwayland >/dev/null && [ -n "$lib" ] &&
    unshare -m true 2>/dev/null; }; then
    echo "skip without libwayland-client: needs Xwayland, the library and a mount namespace (root)"
    skipped=$((skipped + 1))
  elif [ "$SCALE" = 1 ]; then
    local deadline=$(($(e2e_now_ms) + 5000))
    while [ "$(e2e_now_ms)" -lt "$deadline" ] && in_tree LOMA; do sleep 0.1; done
    # unshare, sh, setpriv and env each exec the next: PID is the launcher's.
    LAUNCH_IN=(unshare -m sh -c 'mount --bind /dev/null "$0" && exec "$@"' "$lib")
    launch nolib
    LAUNCH_IN=()
    deadline=$(($(e2e_now_ms) + 10000))
    while [ "$(e2e_now_ms)" -lt "$deadline" ] && ! in_tree LOMA; do sleep 0.1; done
    if in_tree LOMA && [ ! -s "$RT/loma-nolib.log" ]; then
      pass "without libwayland-client: the X11 window through XWayland, nothing said"
    else
      fail "without libwayland-client: the X11 window through XWayland, nothing said" \
        "$(cat "$RT/loma-nolib.log")"
    fi
    kill "$PID" 2>/dev/null
    e2e_wait_exit "$PID" 3000
  fi

  # Screen readers: the X11 suite's AT-SPI client finds the same tree, hears the status, and
  # ends the launcher through the button's action.
  if [ "$SCALE" = 1 ] && [ -x /usr/libexec/at-spi-bus-launcher ] &&
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    local prefix=$RT/prefix-a11y
    mkdir -p "$prefix/drive_c"
    chown -R "$TESTER:" "$prefix"
    (cd / && as_tester "${SWAY_ENV[@]}" GSETTINGS_BACKEND=memory \
      dbus-run-session -- bash "$A11Y_SESSION" "$LOMA" "$prefix") 2>&1 |
      grep -E '^(ok|FAIL) |passed' | sed 's/^/  a11y: /' | tee "$WORK/a11y.txt"
    sed -i 's/^  a11y: //' "$WORK/a11y.txt"
    e2e_add_counts "$WORK/a11y.txt"
  elif [ "$SCALE" = 1 ]; then
    echo "skip screen readers: at-spi2-core or python3-pyatspi is not installed"
    skipped=$((skipped + 1))
  fi

  # The unhandled error: the surface goes, the message is the X11 host's, through XWayland.
  if [ "$SCALE" = 1 ] && command -v Xwayland >/dev/null; then
    launch broken
    local deadline=$(($(e2e_now_ms) + 10000))
    while [ "$(e2e_now_ms)" -lt "$deadline" ] && ! grep -q "Run-time error" "$RT/loma-broken.log"; do
      sleep 0.1
    done
    while [ "$(e2e_now_ms)" -lt "$deadline" ] && ! in_tree LOMA; do sleep 0.1; done
    shot "$WORK/error.png" 0 0 1280 800
    shot "$WORK/error-corner.png" $((WX + 1)) $((WY + 1)) 1 1
    if in_tree LOMA && grep -q "Run-time error '5'" "$RT/loma-broken.log" &&
      ! /usr/bin/python3 "$HERE/pixels.py" shows "$WORK/error-corner.png" $BACKDROP; then
      pass "a start that fails: the surface gone, the message through XWayland"
    else
      fail "a start that fails: the surface gone, the message through XWayland" \
        "$(cat "$RT/loma-broken.log")"
    fi
    kill "$PID" 2>/dev/null
  fi
  stop_sway
}

suite 1280x800 1
suite 2560x1600 2
echo "screenshots: $WORK"
e2e_summary
