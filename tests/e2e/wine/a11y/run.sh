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
. "$ROOT/tests/e2e/lib.sh"
e2e_init wine-a11y
e2e_display 1024x768
e2e_wine_prefix "$WORK/prefix"

# The launcher's window lies at 226,7 on a 1024-pixel screen.
cp "$BUILD/LOMA.exe" "$BUILD/a11y/a11y_client.exe" "$WINEPREFIX/drive_c/"
out=$(cd "$WINEPREFIX/drive_c" && timeout 90 bash -c 'e2e_wine "$@"' _ a11y_client.exe 'C:\LOMA.exe' 226 7 2>/dev/null |
  tr -d '\r')
echo "$out"
echo "$out" >"$WORK/client.txt"
if e2e_add_counts "$WORK/client.txt"; then
  [ "$failed" -eq 0 ]
else
  e2e_summary
fi
