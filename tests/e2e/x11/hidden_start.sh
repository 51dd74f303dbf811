#!/bin/bash
# End-to-end: the Linux program starts a Windows program found on the Wine drive hidden. The
# real loma, in Xvfb, with real Wine and a real Windows stand-in (LOMADiagWindow.exe, installed
# as C:\ORNPrg\ZAVRO_Fi\LOMADiag.exe) that records its GetStartupInfoW values, its current
# folder and its command line, and then shows its main window with nCmdShow as any program
# does. Checks the record (STARTF_USESHOWWINDOW with SW_HIDE, its own folder, no arguments) and
# that no window of the stand-in is ever mapped, while the launcher's window is shown; and, as
# the control that shows the probe can see a mapped window, the same program file copied where
# it has no start helper, which starts the stand-in through Wine as it is, visibly. Prints the
# time from the start to the launcher's window mapped, for both, and for a native program at
# the fixed path; both kinds also with a relative WINEPREFIX.
#
# Usage: tests/e2e/x11/hidden_start.sh   (LOMA=/usr/bin/loma for the installed package;
# LOMA_WINDOWS_STUB=path/to/LOMADiagWindow.exe). Needs: xvfb xdotool x11-utils wine.
# Prints "N passed, N failed" last and exits non-zero on any failure.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
STUB=${LOMA_WINDOWS_STUB:-$ROOT/build/windows/stub/LOMADiagWindow.exe}
RUNS=${RUNS:-3}
. "$ROOT/tests/e2e/lib.sh"
e2e_init hidden

[ -x "$LOMA" ] || { fail "no program at $LOMA"; e2e_summary; exit; }
if [ ! -f "$STUB" ] || ! command -v wine >/dev/null; then
  fail "no $STUB or no wine (build the windows preset; tools/deps.sh test)"
  e2e_summary; exit
fi

e2e_display
PREFIX=$WORK/prefix
FOLDER=$PREFIX/drive_c/ORNPrg/ZAVRO_Fi
RECORD=$FOLDER/LOMADiag.ran
echo "making the Wine prefix ($(date +%T))"
e2e_wine_prefix "$PREFIX"
mkdir -p "$FOLDER"

# The control: the same program file where it finds no start helper, so Wine runs the
# stand-in itself, as before the helper.
mkdir -p "$WORK/bare"
cp "$LOMA" "$WORK/bare/loma"

stub_shown() { xdotool search --onlyvisible --name '^LOMADiag$' >/dev/null 2>&1; }
loma_shown() { xdotool search --onlyvisible --classname '^loma$' 2>/dev/null | head -1; }

# run LOMA PREFIX-AS-GIVEN: one launcher run from $WORK, with the prefix's server warm. Sets
# FIRST_MS (start to the launcher's window shown), MAPPED (whether a window of the stand-in was
# ever mapped, watched from the start until the stand-in has ended) and RAN.
run() {
  local loma=$1 prefix=$2 start deadline win=
  rm -f "$RECORD" "$PREFIX/ran"
  MAPPED=no FIRST_MS=none RAN=no
  start=$(e2e_now_ms)
  (cd "$WORK" && WINEPREFIX=$prefix exec "$loma") 2>"$WORK/stderr" &
  local pid=$!
  E2E_STARTED+=("$pid")
  deadline=$((start + 30000))
  while [ "$(e2e_now_ms)" -lt $deadline ]; do
    if [ -z "$win" ]; then
      win=$(loma_shown)
      [ -n "$win" ] && FIRST_MS=$(( $(e2e_now_ms) - start ))
    fi
    stub_shown && MAPPED=yes
    if [ -s "$RECORD" ] || [ -f "$PREFIX/ran" ]; then
      RAN=yes
      # The stand-in shows its window right after its record and runs three seconds more.
      [ "$deadline" -gt $(( $(e2e_now_ms) + 3500 )) ] && deadline=$(( $(e2e_now_ms) + 3500 ))
    fi
    sleep 0.01
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

record_has() { tr -d '\r' <"$RECORD" | grep -qxF "$1"; }
median() { tr ' ' '\n' | grep -v none | sort -n | awk '{a[NR]=$1} END {print NR ? a[int((NR+1)/2)] : "none"}'; }

# --- the Windows stand-in, hidden by the start helper, and the control without it -------------

cp "$STUB" "$FOLDER/LOMADiag.exe"
after=() before=()
for i in $(seq "$RUNS"); do
  run "$LOMA" "$PREFIX"
  after+=("$FIRST_MS")
  if [ "$i" = 1 ]; then
    check "hidden: the launcher's window is shown" test "$FIRST_MS" != none
    check "hidden: the stand-in ran and wrote its record" test "$RAN" = yes
    [ -s "$RECORD" ] && tr -d '\r' <"$RECORD" | sed 's/^/       /'
    check "hidden: STARTF_USESHOWWINDOW with wShowWindow=0, nCmdShow=0" \
      grep -Eq '^dwFlags=0x[0-9a-f]*[13579bdf] wShowWindow=0 nCmdShow=0' "$RECORD"
    check "hidden: started in its own folder" record_has 'cwd=C:\ORNPrg\ZAVRO_Fi'
    check "hidden: no arguments, the command line is the quoted path alone" \
      record_has 'commandLine="C:\ORNPrg\ZAVRO_Fi\LOMADiag.exe"'
    check "hidden: no window of the stand-in was ever mapped" test "$MAPPED" = no
  fi
  run "$WORK/bare/loma" "$PREFIX"
  before+=("$FIRST_MS")
  if [ "$i" = 1 ]; then
    [ -s "$RECORD" ] && tr -d '\r' <"$RECORD" | head -1 | sed 's/^/       without the helper: /'
    check "control: without the helper Wine starts it with its window mapped" \
      test "$RAN" = yes -a "$MAPPED" = yes
  fi
done
echo "  window shown after, ms, started hidden through the helper: ${after[*]} (median $(echo "${after[*]}" | median))"
echo "  window shown after, ms, Wine running it as it is (before):  ${before[*]} (median $(echo "${before[*]}" | median))"

# A relative WINEPREFIX: Wine takes only an absolute one, so the launcher must hand it on
# absolute for the stand-in to run at all.
run "$LOMA" prefix
check "relative WINEPREFIX: started hidden, its window never mapped" bash -c \
  'grep -sEq "^dwFlags=0x[0-9a-f]*[13579bdf] wShowWindow=0 nCmdShow=0" "$1" && test "$2" = no' \
  _ "$RECORD" "$MAPPED"

# --- a native program at the fixed path: started directly, as before -------------------------

printf '#!/bin/sh\necho ran > "%s/ran"\n' "$PREFIX" >"$FOLDER/LOMADiag.exe"
chmod +x "$FOLDER/LOMADiag.exe"
run "$LOMA" "$PREFIX"
check "native: started" test "$RAN" = yes
echo "  window shown after, ms, native program: $FIRST_MS"
run "$LOMA" prefix
check "native, relative WINEPREFIX: started" test "$RAN" = yes

e2e_summary
