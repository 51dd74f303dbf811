#!/bin/bash
# Run inside dbus-run-session by sway.sh, as the compositor's user: the AT-SPI bus with
# accessibility on, then the X11 suite's screen-reader client against the launcher on Wayland.
# Usage: a11y_session.sh LOMA PREFIX   Prints "N passed, N failed" last.
ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
/usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
bus=$!
trap 'kill $bus 2>/dev/null' EXIT
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 && break
  sleep 0.05
done
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
  variant:boolean:true >/dev/null
# The window at 354,7: its extents count from the output's corner, the place of the surface.
WINEPREFIX=$2 PYTHONPATH=$ROOT/tests/e2e/atspi timeout 40 \
  /usr/bin/python3 "$ROOT/tests/e2e/atspi/check_tree.py" "$1" 354 7
