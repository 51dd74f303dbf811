#!/bin/bash
# End-to-end test of the Linux program with a screen reader's view: build/linux/loma in Xvfb, in
# a session bus of its own with the AT-SPI bus running. With accessibility on, check_tree.py
# (pyatspi) finds the window, checks its tree, hears the status and the countdown, and ends
# the launcher through the close button's action. With it off (the status says so, or
# NO_AT_BRIDGE=1), the process's maps show that neither ATK nor its bridge was loaded.
#
# Usage: tests/e2e/atspi/run.sh   (LOMA=path/to/loma to test another build)
# Needs: xvfb dbus at-spi2-core python3-pyatspi. Prints "N passed, N failed" last.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
[ -x "$LOMA" ] || { echo "no program at $LOMA"; exit 1; }
. "$ROOT/tests/e2e/lib.sh"

if [ -z "${LOMA_ATSPI_SESSION:-}" ]; then  # first the display, then a session bus around us
  e2e_init atspi
  e2e_display 1280x800
  # Settings in memory, also for the services the bus starts: never in the user's own.
  LOMA_ATSPI_SESSION=$WORK GSETTINGS_BACKEND=memory dbus-run-session -- bash "$0" 2>&1 |
    grep -v 'Failed to set fd limit'
  exit "${PIPESTATUS[0]}"
fi

WORK=$LOMA_ATSPI_SESSION  # the outer run's, which it removes

# The accessibility bus; its settings in memory, never in the user's own.
export GSETTINGS_BACKEND=memory WINEPREFIX=$WORK/prefix
mkdir -p "$WINEPREFIX/drive_c"  # no diagnostic program: the status says not found
/usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
LAUNCHER_PID=$!
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 && break
  sleep 0.05
done
accessibility() {  # accessibility true|false: the session's status
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
    "variant:boolean:$1" >/dev/null
}

# The window lies at 354,7 on a 1280-pixel screen.
accessibility true
/usr/bin/python3 "$ROOT/tests/e2e/atspi/check_tree.py" "$LOMA" 354 7 | tee "$WORK/tree.txt"
e2e_add_counts "$WORK/tree.txt"

mapped() {  # mapped [ENV=VALUE...]: ATK's libraries in the maps of a running launcher
  env "$@" "$LOMA" 2>/dev/null &
  local pid=$!
  sleep 1.5  # well past the first frame, when the question is asked
  kill -0 "$pid" 2>/dev/null || { echo "(not running)"; return; }
  awk '{print $6}' "/proc/$pid/maps" | grep -oE 'lib(atk|atk-bridge|atspi|dbus)-[^/]*\.so' |
    sort -u | tr '\n' ' '
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
not_loaded() {  # not_loaded NAME [ENV=VALUE...]
  local name=$1 maps
  shift
  maps=$(mapped "$@")
  if [ -z "$maps" ]; then pass "$name: neither ATK nor its bridge nor libdbus mapped"
  else fail "$name" "mapped: $maps"; fi
}
maps=$(mapped)
case $maps in
  *libatk-bridge*) pass "accessibility on: mapped $maps" ;;
  *) fail "accessibility on: the bridge is mapped" "$maps" ;;
esac
accessibility false
not_loaded "accessibility off"
accessibility true
not_loaded "NO_AT_BRIDGE=1" NO_AT_BRIDGE=1

kill "$LAUNCHER_PID" 2>/dev/null
e2e_summary
