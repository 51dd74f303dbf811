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

if [ -z "${LOMA_ATSPI_SESSION:-}" ]; then  # first the display, then a session bus around us
  e2e_init click
  e2e_display 1280x800
  LOMA_ATSPI_SESSION=$WORK GSETTINGS_BACKEND=memory dbus-run-session -- bash "$0" 2>&1 |
    grep -v 'Failed to set fd limit'
  exit "${PIPESTATUS[0]}"
fi

WORK=$LOMA_ATSPI_SESSION  # the outer run's, which it removes
export WINEPREFIX=$WORK/prefix
mkdir -p "$WINEPREFIX/drive_c"
if ! gcc -shared -fPIC -O2 -o "$WORK/slow_reply.so" "$ROOT/tests/e2e/atspi/slow_reply.c" -ldl; then
  fail "the preloaded socket builds"
  e2e_summary
  exit
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
E2E_STARTED+=($!)
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 && break
  sleep 0.05
done
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
  variant:boolean:true >/dev/null
/usr/bin/python3 "$ROOT/tests/e2e/atspi/click_reply.py" "$LOMA" "$WORK/slow_reply.so" |
  tee "$WORK/click.txt"
e2e_add_counts "$WORK/click.txt"
for p in "${E2E_STARTED[@]}"; do kill "$p" 2>/dev/null; done
e2e_summary
