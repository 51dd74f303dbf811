#!/bin/bash
# What the screen-reader support costs a start: build/linux/loma's first complete frame in three
# sessions of one virtual display: no session bus at all; a session bus with the AT-SPI bus
# running and its status off; the same with the status on. With it off, neither libdbus's
# question nor ATK may show in the first frame: the question is asked after it. Prints figures;
# it is no test. Called by bench/run.sh; alone: bench/accessibility.sh PROBE RUNS [LOMA...]
# (more than one program: each is measured, for example a build from before the support).
# Needs: xvfb dbus at-spi2-core, and the probe that bench/run.sh builds.
set -eu

PROBE=$1 RUNS=$2
shift 2
ROOT=$(cd "$(dirname "$0")/.." && pwd)
PROGRAMS=("${@:-$ROOT/build/linux/loma}")

if [ -z "${LOMA_BENCH_SESSION:-}" ]; then
  . "$ROOT/tests/e2e/lib.sh"
  e2e_init bench-a11y
  e2e_display 1280x800
  export WINEPREFIX=$WORK/prefix
  mkdir -p "$WINEPREFIX/drive_c"
  for mode in none off on; do
    if [ "$mode" = none ]; then
      env -u DBUS_SESSION_BUS_ADDRESS LOMA_BENCH_SESSION=$mode bash "$0" "$PROBE" "$RUNS" "${PROGRAMS[@]}"
    else
      GSETTINGS_BACKEND=memory LOMA_BENCH_SESSION=$mode dbus-run-session -- bash "$0" "$PROBE" "$RUNS" "${PROGRAMS[@]}" 2>&1 |
        grep -vE 'fd limit|dbus-daemon|SpiRegistry'
    fi
  done
  exit 0
fi

if [ "$LOMA_BENCH_SESSION" != none ]; then
  export GSETTINGS_BACKEND=memory
  /usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
  LAUNCHER=$!
  trap 'kill $LAUNCHER 2>/dev/null' EXIT
  for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
      >/dev/null 2>&1 && break
    sleep 0.05
  done
  on=false
  [ "$LOMA_BENCH_SESSION" = on ] && on=true
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
    "variant:boolean:$on" >/dev/null
fi

case $LOMA_BENCH_SESSION in
  none) what="no session bus" ;;
  off) what="AT-SPI bus, status off" ;;
  on) what="AT-SPI bus, status on" ;;
esac
# The programs take turns, so that a busy moment of the machine falls on each alike.
TIMES=$(mktemp -d /tmp/loma-bench-times.XXXXXX)
for _ in $(seq "$RUNS"); do
  for i in "${!PROGRAMS[@]}"; do
    "$PROBE" --first-frame-only -- "${PROGRAMS[$i]}" 2>/dev/null |
      awk '/^first-frame/ {print $2}' >>"$TIMES/$i"
    sleep 0.2
  done
done
for i in "${!PROGRAMS[@]}"; do
  program=${PROGRAMS[$i]}
  times=$(sort -n "$TIMES/$i")
  printf '%-24s %-40s first frame median %6s ms, best %6s ms (%s runs)\n' "$what" "$program" \
    "$(awk '{v[NR]=$1} END {print NR % 2 ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}' <<<"$times")" \
    "$(head -1 <<<"$times")" "$(wc -l <<<"$times")"
done
rm -rf "$TIMES"
