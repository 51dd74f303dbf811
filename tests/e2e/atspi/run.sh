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

e2e_session_bus atspi

export WINEPREFIX=$WORK/prefix
mkdir -p "$WINEPREFIX/drive_c"  # no diagnostic program: the status says not found
e2e_atspi_bus

# The window lies at 354,7 on a 1280-pixel screen.
e2e_accessibility true
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
e2e_accessibility false
not_loaded "accessibility off"
e2e_accessibility true
not_loaded "NO_AT_BRIDGE=1" NO_AT_BRIDGE=1

kill "$ATSPI_BUS_PID" 2>/dev/null
e2e_summary
