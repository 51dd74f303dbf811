#!/bin/bash
# Start-up, memory, CPU and tick timing of build/linux/loma beside yad showing a comparable
# window (undecorated, on top, no focus, closing itself), in the same Xvfb of our own, without a
# window manager. Prints figures; it is no test and fails only when it cannot measure.
#
# How it measures, from outside the program (which logs nothing):
# - first complete frame: bench/frame_probe (built here) watches the window through the X
#   server's DAMAGE extension: time from just before exec until the last drawing of a window
#   whose every pixel has been drawn, after which it rests for 250 ms. Median and best of RUNS.
# - peak RSS and CPU: /usr/bin/time around one whole run (the countdown to its end for loma,
#   the same 11 s timeout for yad).
# - ticks: the same whole run under frame_probe; each update of the window is set against the
#   schedule that starts when the window is created (tick k due k * 1000 ms later).
# - hyperfine, when installed: wall time from exec to the first frame, probe included.
#
# Usage: bench/run.sh [RUNS]   (LOMA=path to measure another build)
# Needs: xvfb time yad libx11-dev libxdamage-dev gcc; hyperfine optional; dbus at-spi2-core for
# the first frame by the session's accessibility (bench/accessibility.sh).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
RUNS=${1:-10}
WORK=$(mktemp -d /tmp/loma-bench.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

[ -x "$LOMA" ] || { echo "no program at $LOMA"; exit 1; }
command -v yad >/dev/null || { echo "yad is not installed (apt-get install yad)"; exit 1; }
PROBE=$WORK/frame_probe
cc -O2 -o "$PROBE" "$ROOT/bench/frame_probe.c" -lX11 -lXdamage -lXfixes

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$WORK/display")
# An empty Wine prefix: the diagnostic program is not found, nothing else is started.
export WINEPREFIX=$WORK/prefix
mkdir -p "$WINEPREFIX/drive_c"

LOMA_CMD=("$LOMA")
YAD_CMD=(yad --undecorated --on-top --no-focus --no-buttons --timeout=11 --timeout-indicator=top
         --title=LOMA --width=571 --height=253 --text=10)

first_frames() {  # first_frames CMD...: prints the first-frame times of RUNS runs, one a line
  for _ in $(seq "$RUNS"); do
    "$PROBE" --first-frame-only -- "$@" 2>/dev/null | awk '/^first-frame/ {print $2}'
    sleep 0.2
  done
}

stats() {  # median and best of numbers on stdin
  sort -n | awk '{v[NR]=$1} END {if (!NR) {print "n/a"; exit}
    m = NR % 2 ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2; printf "%.1f %.1f\n", m, v[1]}'
}

whole_run() {  # whole_run NAME CMD...: probe output and /usr/bin/time figures of one whole run
  local name=$1; shift
  "$PROBE" -- /usr/bin/time -f "time %M %U %S" -o "$WORK/$name.time" "$@" >"$WORK/$name.probe" 2>/dev/null
}

tick_errors() {  # tick_errors NAME: each update's distance from its due time, in ms
  awk '/^created/ {c = $2} /^update/ {k++; printf "%.1f\n", $2 - c - k * 1000}' "$WORK/$1.probe"
}

echo "Measuring on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); $RUNS runs each."
read -r loma_ff loma_ff_best < <(first_frames "${LOMA_CMD[@]}" | stats)
read -r yad_ff yad_ff_best < <(first_frames "${YAD_CMD[@]}" | stats)
whole_run loma "${LOMA_CMD[@]}"
whole_run yad "${YAD_CMD[@]}"

read -r _ loma_rss loma_user loma_sys < <(grep "^time" "$WORK/loma.time")
read -r _ yad_rss yad_user yad_sys < <(grep "^time" "$WORK/yad.time")
loma_cpu=$(awk -v u="$loma_user" -v s="$loma_sys" 'BEGIN {print (u + s) * 1000}')
yad_cpu=$(awk -v u="$yad_user" -v s="$yad_sys" 'BEGIN {print (u + s) * 1000}')
loma_ticks=$(tick_errors loma | tr '\n' ' ')
yad_ticks=$(tick_errors yad | tr '\n' ' ')
loma_worst=$(tick_errors loma | awk '{a = $1 < 0 ? -$1 : $1; if (a > w) w = a} END {printf "%.1f", w}')
yad_worst=$(tick_errors yad | awk '{a = $1 < 0 ? -$1 : $1; if (a > w) w = a} END {printf "%.1f", w}')

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "n/a"}'; }
row() { printf "%-34s %10s %10s %8s   %s\n" "$@"; }
echo
row "" loma yad "ratio" "target"
row "first complete frame, median (ms)" "$loma_ff" "$yad_ff" "$(ratio "$loma_ff" "$yad_ff")" "<= 20"
row "first complete frame, best (ms)" "$loma_ff_best" "$yad_ff_best" "$(ratio "$loma_ff_best" "$yad_ff_best")" ""
row "peak RSS (MB)" "$(awk -v k="$loma_rss" 'BEGIN {printf "%.1f", k/1024}')" \
    "$(awk -v k="$yad_rss" 'BEGIN {printf "%.1f", k/1024}')" "$(ratio "$loma_rss" "$yad_rss")" "<= 12"
row "CPU over the whole run (ms)" "$loma_cpu" "$yad_cpu" "$(ratio "$loma_cpu" "$yad_cpu")" "<= 30"
row "worst tick off schedule (ms)" "$loma_worst" "$yad_worst" "$(ratio "$loma_worst" "$yad_worst")" "<= 10"
echo
echo "loma ticks, ms after due: $loma_ticks"
echo "yad updates, ms after each second since its window's creation: $yad_ticks"
echo "loma exit: $(awk '/^exit/ {print $2}' "$WORK/loma.probe") after $(awk '/^update/ {t = $2} END {print t}' "$WORK/loma.probe") ms of drawing"

if command -v hyperfine >/dev/null; then
  echo
  hyperfine -N --warmup 2 --runs "$RUNS" --style basic \
    "$PROBE --first-frame-only -- $LOMA" \
    "$PROBE --first-frame-only -- ${YAD_CMD[*]}" 2>/dev/null |
    grep -E 'Benchmark|Time' || true
  echo "(hyperfine's times include the probe and its 250 ms rest after the frame)"
fi

if command -v dbus-run-session >/dev/null && [ -x /usr/libexec/at-spi-bus-launcher ]; then
  echo
  echo "First frame by the session's accessibility (bench/accessibility.sh):"
  bash "$ROOT/bench/accessibility.sh" "$PROBE" "$RUNS" "$LOMA"
fi
