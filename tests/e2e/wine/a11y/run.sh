#!/bin/bash
# End-to-end test of the Windows program with a screen reader's view: LOMA.exe under Wine in a
# virtual X display, read and ended by a11y_client.exe, an Active Accessibility client of our
# own in another process (see client.c). No diagnostic program: the status says not found.
#
#   tests/e2e/wine/a11y/run.sh [build-dir]     (default build/windows, from the windows preset)
#
# Needs: wine wine64 xvfb. Prints "N passed, N failed" last; exits non-zero on any failure.
set -u

ROOT=$(cd "$(dirname "$0")/../../../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/windows}" && pwd) || exit 2
for f in "$BUILD/LOMA.exe" "$BUILD/a11y/a11y_client.exe"; do
  [ -e "$f" ] || { echo "missing $f (build the windows preset first)"; exit 2; }
done
WORK=$(mktemp -d /tmp/loma-wine-a11y.XXXXXX)
export WINEPREFIX=$WORK/prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
XVFB_PID=""
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

exec 3>"$WORK/display"
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$WORK/display")
wineboot -i >/dev/null 2>&1
wineserver -w

# The launcher's window lies at 226,7 on a 1024-pixel screen.
cp "$BUILD/LOMA.exe" "$BUILD/a11y/a11y_client.exe" "$WINEPREFIX/drive_c/"
out=$(cd "$WINEPREFIX/drive_c" && timeout 90 wine a11y_client.exe 'C:\LOMA.exe' 226 7 2>/dev/null |
  tr -d '\r')
echo "$out"
grep -qE '^[0-9]+ passed, [0-9]+ failed$' <<<"$out" || { echo "0 passed, 1 failed"; exit 1; }
grep -q '^[0-9]* passed, 0 failed$' <<<"$out"
