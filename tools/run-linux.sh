#!/bin/bash
# Builds the launcher with the linux preset and starts it. On a machine without a display it
# runs it in a virtual display (Xvfb) instead and saves a screenshot of the first frame and of
# each tick into a folder that it names. Works on a fresh Debian 12: whatever is missing is
# installed with apt-get first (tools/deps.sh; as root, or through sudo).
#
# Usage: tools/run-linux.sh
set -eu
cd "$(dirname "$0")/.."

headless=false
[ -z "${DISPLAY:-}" ] && headless=true
bash tools/deps.sh run
cmake --preset linux >/dev/null
cmake --build build/linux --target loma -j"$(nproc)"

if ! $headless; then
  exec build/linux/loma
fi

shots=$(mktemp -d /tmp/loma-run-XXXX)
echo "No display: running in Xvfb; screenshots go to $shots"
. tests/e2e/lib.sh  # the same virtual display as the end-to-end suites
trap e2e_cleanup EXIT
e2e_display 1280x800

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
build/linux/loma &
loma=$!
window=""
for _ in $(seq 200); do
  window=$(xwininfo -root -children 2>/dev/null | awk '/"LOMA"/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.01
done
start=$(now_ms)  # the window exists: its one-second ticks count from about now
[ -n "$window" ] || { echo "the window did not appear"; kill $loma; exit 1; }

shoot() { import -window "$window" "$shots/$1.png" 2>/dev/null && echo "  $shots/$1.png"; }
sleep 0.3
shoot 00-first-frame
# Each screenshot is taken half-way between two ticks, after the tick it is named after.
for tick in $(seq 1 10); do
  wait_ms=$(( start + tick * 1000 + 500 - $(now_ms) ))
  [ $wait_ms -gt 0 ] && sleep "$(awk -v m=$wait_ms 'BEGIN {print m / 1000}')"
  kill -0 $loma 2>/dev/null || break
  shoot "$(printf 'tick-%02d' "$tick")"
done
code=0
wait $loma || code=$?
echo "loma ended with exit code $code; screenshots in $shots"
exit $code
