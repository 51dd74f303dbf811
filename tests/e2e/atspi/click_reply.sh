#!/bin/bash
# The close button's action must answer before the launcher ends: build/linux/loma in Xvfb, in
# a session bus of its own with the AT-SPI bus on, with slow_reply.c preloaded so that every
# D-Bus reply leaves only from the main loop; click_reply.py calls the action three times.
#
# Usage: tests/e2e/atspi/click_reply.sh   (LOMA=path/to/loma to test another build)
# Needs: xvfb dbus at-spi2-core python3-pyatspi gcc. Prints "N passed, N failed" last.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
[ -x "$LOMA" ] || { echo "no program at $LOMA"; exit 1; }

. "$ROOT/tests/e2e/lib.sh"

e2e_session_bus click

export WINEPREFIX=$WORK/prefix
mkdir -p "$WINEPREFIX/drive_c"
if ! gcc -shared -fPIC -O2 -o "$WORK/slow_reply.so" "$ROOT/tests/e2e/atspi/slow_reply.c" -ldl; then
  fail "the preloaded socket builds"
  e2e_summary
  exit
fi
e2e_atspi_bus
/usr/bin/python3 "$ROOT/tests/e2e/atspi/click_reply.py" "$LOMA" "$WORK/slow_reply.so" |
  tee "$WORK/click.txt"
e2e_add_counts "$WORK/click.txt"
e2e_summary
