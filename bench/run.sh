#!/bin/bash
# Start-up, memory, CPU and tick timing of build/linux/loma beside the floor and yad, in the same
# Xvfb of our own, without a window manager; and of LOMA.exe beside a minimal Win32 program
# under the same warm Wine. Prints figures; it is no test and fails only when it cannot measure.
#
# What runs beside loma, each showing a 571x253 window with loma's hints and ending itself:
# - floor: bench/floor.c, plain Xlib putting one frame of ready pixels: no program does less.
# - stack: bench/floor_stack.c, the same window with its frame drawn by the stack loma drew its
#   text with before (TurboJPEG, Cairo, Pango, fontconfig) doing the work of loma's first frame
#   and nothing more: the floor of that old stack.
# - yad: a comparable GTK dialog (undecorated, on top, no focus, closing itself).
# - under Wine: bench/floor_win32.c, a WS_POPUP window painted with one frame of ready pixels,
#   and bench/floor_win32_stack.c, the same window drawn by LOMA.exe's system libraries (OLE
#   pictures, GDI text from the fonts added in memory): the floor of LOMA.exe's stack.
#
# How it measures, from outside the programs (which log nothing):
# - first complete frame: bench/frame_probe (built here) watches the window through the X
#   server's DAMAGE extension: time from just before exec until the last drawing of a window
#   whose every pixel has been drawn, after which it rests for 250 ms. The programs take turns,
#   run after run, so that the load of a shared machine falls on all alike. Median and best.
# - peak RSS, CPU and ticks: whole runs under frame_probe, which reports the kernel's figures
#   for the program (WHOLE runs, taking turns too; medians); each update of the window is set against the schedule that
#   starts when the window is created (tick k due k * 1000 ms later).
# - Wine: first complete frame of LOMA.exe and of the Win32 floor, taking turns, in one prefix
#   whose wineserver stays up (warm), after two unmeasured runs of each.
#
# Usage: bench/run.sh [RUNS]   (default 10)
# Environment: LOMA=path of the Linux program; LOMA_EXE=path of LOMA.exe ("" skips Wine);
#   WHOLE=number of whole runs (default 3); YAD=0 skips yad; A11Y=off|on runs everything under
#   a session bus of its own whose accessibility status is set so (no bus otherwise); DPI=144
#   sets Xft.dpi in the display (the floors still draw 96-dpi pixels);
#   bench/accessibility.sh also compares no bus, status off and status on, after the table.
# Needs (tools/deps.sh bench): xvfb yad gcc libx11-dev libxdamage-dev and loma's -dev
#   packages; mingw-w64 and wine for the Wine figures; dbus and at-spi2-core for A11Y.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${A11Y:-}" ] && [ -z "${LOMA_BENCH_BUS:-}" ]; then
  # Again, inside a session bus of its own; its accessibility bus is started on demand.
  exec env LOMA_BENCH_BUS=1 dbus-run-session -- bash "$0" "$@"
fi
LOMA=${LOMA:-$ROOT/build/linux/loma}
LOMA_EXE=${LOMA_EXE-$ROOT/build/windows/LOMA.exe}
RUNS=${1:-10}
WHOLE=${WHOLE:-3}
WORK=$(mktemp -d /tmp/loma-bench.XXXXXX)
pids=()
cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

[ -x "$LOMA" ] || { echo "no program at $LOMA"; exit 1; }
[ "${YAD:-1}" = 0 ] || command -v yad >/dev/null || { echo "yad is not installed"; exit 1; }
PROBE=$WORK/frame_probe
cc -O2 -o "$PROBE" "$ROOT/bench/frame_probe.c" -lX11 -lXdamage -lXfixes
cc -O2 -o "$WORK/floor" "$ROOT/bench/floor.c" -lX11
# shellcheck disable=SC2046
cc -O2 -o "$WORK/stack" "$ROOT/bench/floor.c" "$ROOT/bench/floor_stack.c" \
  $(pkg-config --cflags --libs pangocairo pangofc fontconfig cairo x11 libturbojpeg)
export LOMA_ASSETS=$ROOT/assets

if [ -n "${A11Y:-}" ]; then
  value=$([ "$A11Y" = on ] && echo true || echo false)
  for property in IsEnabled ScreenReaderEnabled; do
    dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
      org.freedesktop.DBus.Properties.Set string:org.a11y.Status "string:$property" \
      "variant:boolean:$value" >/dev/null
  done
fi

# The end-to-end suites' display, which never resets: the resource database (Xft.dpi) stays
# when the last client leaves.
. "$ROOT/tests/e2e/lib.sh"
e2e_display 1280x800
pids+=("$XVFB_PID")
[ -z "${DPI:-}" ] || echo "Xft.dpi: $DPI" | xrdb -merge
# An empty Wine prefix: the diagnostic program is not found, nothing else is started.
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX/drive_c"

names=(loma floor stack)
declare -A CMD
CMD[loma]=$LOMA
CMD[floor]=$WORK/floor
CMD[stack]=$WORK/stack
YAD_CMD=(yad --undecorated --on-top --no-focus --no-buttons --timeout=11 --timeout-indicator=top
         --title=LOMA --width=571 --height=253 --text=10)
[ "${YAD:-1}" = 0 ] || names+=(yad)
command_of() {  # command_of NAME: prints nothing, sets the array RUN to its command
  if [ "$1" = yad ]; then RUN=("${YAD_CMD[@]}"); else read -ra RUN <<<"${CMD[$1]}"; fi
}

stats() {  # median and best of numbers on stdin
  sort -n | awk '{v[NR]=$1} END {if (!NR) {print "n/a n/a"; exit}
    m = NR % 2 ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2; printf "%.1f %.1f\n", m, v[1]}'
}

first_frame() {  # first_frame CMD...: one first-frame time in ms
  "$PROBE" --first-frame-only -- "$@" 2>/dev/null | awk '/^first-frame/ {print $2}'
}

whole_run() {  # whole_run NAME K: probe output of one whole run
  command_of "$1"
  "$PROBE" -- "${RUN[@]}" >"$WORK/$1.$2.probe" 2>/dev/null
}

tick_errors() {  # tick_errors FILE: each update's distance from its due time, in ms
  awk '/^created/ {c = $2} /^update/ {k++; printf "%.1f\n", $2 - c - k * 1000}' "$1"
}

echo "Measuring on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); $RUNS runs" \
     "each, taking turns; $WHOLE whole runs each${A11Y:+; session bus, accessibility $A11Y}" \
     "${DPI:+; Xft.dpi $DPI}."
for _ in $(seq "$RUNS"); do
  for n in "${names[@]}"; do
    command_of "$n"
    first_frame "${RUN[@]}" >>"$WORK/$n.ff"
    sleep 0.2
  done
done
for k in $(seq "$WHOLE"); do
  for n in "${names[@]}"; do whole_run "$n" "$k"; done
done

declare -A FF FFBEST RSS DIRTY CPU WORST
for n in "${names[@]}"; do
  read -r FF[$n] FFBEST[$n] < <(stats <"$WORK/$n.ff")
  read -r RSS[$n] _ < <(cat "$WORK/$n".*.probe | awk '/^rusage/ {printf "%.1f\n", $2 / 1024}' | stats)
  read -r DIRTY[$n] _ < <(cat "$WORK/$n".*.probe | awk '/^dirty/ {printf "%.1f\n", $2 / 1024}' | stats)
  read -r CPU[$n] _ < <(cat "$WORK/$n".*.probe | awk '/^rusage/ {print $3 + $4}' | stats)
  read -r WORST[$n] _ < <(for f in "$WORK/$n".*.probe; do
      tick_errors "$f" | awk '{a = $1 < 0 ? -$1 : $1; if (a > w) w = a} END {printf "%.1f\n", w}'
    done | stats)
done
# yad's timer runs from its own start, not from its window's creation: no schedule to hold.
[ "${YAD:-1}" = 0 ] || WORST[yad]=""


ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "n/a"}'; }
row() { printf "%-30s %7s %7s %7s %7s  %7s %7s %7s   %s\n" "$@"; }
line() {  # line LABEL ARRAY TARGET
  local -n v=$2
  row "$1" "${v[loma]}" "${v[floor]}" "${v[stack]}" "${v[yad]:-}" \
    "$(ratio "${v[loma]}" "${v[floor]}")" "$(ratio "${v[loma]}" "${v[stack]}")" \
    "$([ -n "${v[yad]:-}" ] && ratio "${v[loma]}" "${v[yad]}")" "$3"
}
echo
row "" loma floor stack yad "/floor" "/stack" "/yad" "target"
line "first complete frame, median" FF "<= 2.0x floor (ms)"
line "first complete frame, best" FFBEST ""
line "peak RSS, median (MB)" RSS "<= 10"
line "private dirty at 1.5 s (MB)" DIRTY "<= 2.5"
line "CPU per whole run, median" CPU "<= 30 (ms)"
line "worst tick off schedule" WORST "<= 10 (ms)"
echo
for n in loma floor stack; do
  echo "$n ticks, ms after due: $(tick_errors "$WORK/$n.1.probe" | tr '\n' ' ')"
done
echo "loma exit: $(awk '/^exit/ {print $2}' "$WORK/loma.1.probe") after" \
     "$(awk '/^update/ {t = $2} END {print t}' "$WORK/loma.1.probe") ms of drawing"

if [ -n "$LOMA_EXE" ] && [ -f "$LOMA_EXE" ] && command -v wine >/dev/null &&
   command -v x86_64-w64-mingw32-gcc >/dev/null; then
  x86_64-w64-mingw32-gcc -O2 -municode -mwindows -o "$WORK/floor.exe" "$ROOT/bench/floor_win32.c"
  # The stack's floor reads the pictures and fonts from its current folder.
  mkdir -p "$WORK/stackexe"
  cp "$ROOT"/assets/*.jpg "$ROOT"/assets/countdown_notice.wmf "$ROOT"/assets/fonts/*.otf "$WORK/stackexe/"
  x86_64-w64-mingw32-gcc -O2 -municode -mwindows -o "$WORK/stackexe/stack.exe" \
    "$ROOT/bench/floor_win32_stack.c" -lole32 -loleaut32 -luuid -lgdi32
  # All three are 64-bit: Wine's 64-bit loader runs them, as the tests' helper starts it.
  e2e_wine_command
  e2e_wine wineboot -i >/dev/null 2>&1 || true
  wineserver -p || true  # stays up between the runs: the warm case
  exes=("$LOMA_EXE" "$WORK/floor.exe" "$WORK/stackexe/stack.exe")
  for _ in 1 2; do
    for e in "${exes[@]}"; do (cd "$(dirname "$e")" && first_frame "${E2E_WINE[@]}" "$e" >/dev/null); done
  done
  for _ in $(seq "$RUNS"); do
    for k in 0 1 2; do
      (cd "$(dirname "${exes[k]}")" && first_frame "${E2E_WINE[@]}" "${exes[k]}") >>"$WORK/exe$k.ff"
    done
  done
  read -r exe exe_best < <(stats <"$WORK/exe0.ff")
  read -r fexe fexe_best < <(stats <"$WORK/exe1.ff")
  read -r sexe sexe_best < <(stats <"$WORK/exe2.ff")
  echo
  printf "%-30s %9s %9s %9s %7s %7s   %s\n" "under warm Wine (ms)" LOMA.exe floor.exe stack.exe \
    /floor /stack "target"
  printf "%-30s %9s %9s %9s %7s %7s   %s\n" "first complete frame, median" "$exe" "$fexe" "$sexe" \
    "$(ratio "$exe" "$fexe")" "$(ratio "$exe" "$sexe")" "<= 1.1x floor"
  printf "%-30s %9s %9s %9s %7s %7s\n" "first complete frame, best" "$exe_best" "$fexe_best" \
    "$sexe_best" "$(ratio "$exe_best" "$fexe_best")" "$(ratio "$exe_best" "$sexe_best")"
  echo "LOMA.exe: $(stat -c %s "$LOMA_EXE") bytes (target <= 337920, 330 KB)"
fi

if command -v dbus-run-session >/dev/null && [ -x /usr/libexec/at-spi-bus-launcher ]; then
  echo
  echo "First frame by the session's accessibility (bench/accessibility.sh):"
  bash "$ROOT/bench/accessibility.sh" "$PROBE" "$RUNS" "$LOMA"
fi
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
