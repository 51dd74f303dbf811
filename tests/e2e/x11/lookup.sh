#!/usr/bin/env bash
# The Linux launcher's lookup and start on real folders, where permissions and limits matter:
# run as root and, for the permission cases, as nobody (setpriv), in a virtual display of its
# own. The stand-in program (tests/posix/report_stub.cpp) reports the inode of the file that ran
# to $LOMA_STUB_REPORT. Cases:
#   - a folder that may be searched but not listed (711): the exact name is still found;
#   - an execute-only native program (711): started natively;
#   - descriptors used up (ulimit -n 6): error 67 on stderr and a non-zero exit, not "not found";
#   - a relative WINEPREFIX: the Windows stand-in runs through real Wine in that prefix;
#   - a folder named with a dotless i (U+0131) is no ZAVRO_Fi, as in Wine's own lookup;
#   - a stack or address space below the libraries' needs: one line on stderr and exit code 1.
# Prints "N passed, N failed" last.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
STUB=${LOMA_REPORT_STUB:-$ROOT/build/linux/tests/posix/loma_report_stub}
. "$ROOT/tests/e2e/lib.sh"

for f in "$LOMA" "$STUB"; do
  [ -x "$f" ] || { echo "no $f (cmake --preset linux && cmake --build build/linux)"; exit 1; }
done

e2e_init lookup
chmod 755 "$WORK"  # nobody must reach the prefixes below it
e2e_display

# A fresh prefix whose program folder's path is given, e.g. new_prefix ORNPrg/ZAVRO_Fi.
new_prefix() {
  PREFIX=$(mktemp -d "$WORK/prefix.XXXX")
  chmod 755 "$PREFIX"
  mkdir -p "$PREFIX/drive_c/$1"
  REPORTS=$(mktemp -d "$WORK/reports.XXXX")
  chmod 777 "$REPORTS"
}
place_stub() {  # place_stub RELATIVE-PATH [MODE]: the stand-in at drive_c/<path>
  cp "$STUB" "$PREFIX/drive_c/$1"
  chmod "${2:-755}" "$PREFIX/drive_c/$1"
}
inode() { stat -c %i "$1"; }

# run_loma [as-nobody] [ulimit -X N]: starts the launcher in $PREFIX; sets LOMA_PID.
run_loma() {
  local runner=() limit=()
  while [ $# -gt 0 ]; do
    case $1 in
      as-nobody) runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups --) ;;
      ulimit) limit=("$2" "$3"); shift 2 ;;
    esac
    shift
  done
  (
    [ ${#limit[@]} -gt 0 ] && ulimit "${limit[@]}"
    exec env WINEPREFIX="${RUN_PREFIX:-$PREFIX}" LOMA_STUB_REPORT="$REPORTS/ran" \
      "${runner[@]}" "$LOMA" 2>"$REPORTS/stderr"
  ) &
  LOMA_PID=$!
  E2E_STARTED+=("$LOMA_PID")
}
wait_report() {  # wait_report SECONDS: true once the started program has reported
  local i
  for i in $(seq $(($1 * 20))); do [ -s "$REPORTS/ran" ] && return 0; sleep 0.05; done
  return 1
}
stop_loma() {
  kill "$LOMA_PID" 2>/dev/null
  wait "$LOMA_PID" 2>/dev/null
}
ran_inode() { head -1 "$REPORTS/ran" 2>/dev/null; }

# --- a folder that may be searched but not listed ------------------------------------------
# Run by root, the launcher runs as nobody for these; anyone else owns what is made here.
if [ "$(id -u)" = 0 ]; then
  new_prefix ORNPrg/ZAVRO_Fi
  place_stub ORNPrg/ZAVRO_Fi/LOMADiag.exe
  chmod 711 "$PREFIX/drive_c/ORNPrg"
  run_loma as-nobody
  check "search-only folder (711), as nobody: the exact name is found and started" wait_report 5
  check "search-only folder: the file started is the one at the exact name" \
    test "$(ran_inode)" = "$(inode "$PREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe")"
  stop_loma
  # Another letter case needs the listing, which nobody may not read: not found, and no error.
  new_prefix ORNPrg/ZAVRO_Fi
  place_stub ORNPrg/ZAVRO_Fi/LOMADiag.exe
  mv "$PREFIX/drive_c/ORNPrg/ZAVRO_Fi" "$PREFIX/drive_c/ORNPrg/zavro_fi"
  chmod 711 "$PREFIX/drive_c/ORNPrg"
  run_loma as-nobody
  wait_report 3
  check "search-only folder, name in another case: not found, nothing started" test ! -e "$REPORTS/ran"
  check "search-only folder, name in another case: no error reported" test ! -s "$REPORTS/stderr"
  stop_loma

  # --- an execute-only native program --------------------------------------------------------
  new_prefix ORNPrg/ZAVRO_Fi
  place_stub ORNPrg/ZAVRO_Fi/LOMADiag.exe 711
  run_loma as-nobody
  check "execute-only program (711), as nobody: started natively" wait_report 5
  check "execute-only program: no error box" test ! -s "$REPORTS/stderr"
  stop_loma
else
  echo "skip the permission cases: only root can run the launcher as nobody"
fi

# --- out of descriptors --------------------------------------------------------------------
# Six: the three standard ones and the X connection leave two, fewer than the lookup's walk
# down the drive's folders needs (with seven it reaches the file and the start runs).
for stored in LOMADiag.exe lomadiag.exe; do
  new_prefix ORNPrg/ZAVRO_Fi
  place_stub "ORNPrg/ZAVRO_Fi/$stored"
  run_loma ulimit -n 6
  for _ in $(seq 100); do grep -q "Run-time error" "$REPORTS/stderr" && break; sleep 0.05; done
  echo "       ulimit -n 6, stored as $stored: $(grep -A2 "Run-time error" "$REPORTS/stderr" | tr '\n' ' ')"
  check "ulimit -n 6, stored as $stored: error 67, Too many files" \
    grep -qx "Run-time error '67':" "$REPORTS/stderr"
  check "ulimit -n 6, stored as $stored: nothing started" test ! -e "$REPORTS/ran"
  # The message waits for OK where it can be drawn; it is dismissed here by closing it.
  box=$(xdotool search --onlyvisible --classname '^loma$' 2>/dev/null | head -1)
  [ -n "$box" ] && xdotool key --window "$box" Return 2>/dev/null
  e2e_wait_exit "$LOMA_PID" 3000
  check "ulimit -n 6, stored as $stored: ends with a non-zero code (code $CODE; 124: still runs)" \
    test "$CODE" != 0 -a "$CODE" != 124
  stop_loma
done

# --- a stack or address space too small for the libraries ---------------------------------
for limit in "-s 32" "-v 30720"; do
  new_prefix ORNPrg/ZAVRO_Fi
  place_stub ORNPrg/ZAVRO_Fi/LOMADiag.exe
  # shellcheck disable=SC2086  # "-s 32": the option and its value
  run_loma ulimit $limit
  e2e_wait_exit "$LOMA_PID" 5000
  echo "       ulimit $limit: $(head -c 200 "$REPORTS/stderr")"
  check "ulimit $limit: exit code 1 (code $CODE)" test "$CODE" = 1
  check "ulimit $limit: one line that says which limit" \
    test "$(grep -c "^loma: the .* limit .* is below the .* the launcher needs" "$REPORTS/stderr")" = 1
done

# --- dotless i -----------------------------------------------------------------------------
new_prefix ORNPrg
mkdir "$PREFIX/drive_c/ORNPrg/ZAVRO_F$(printf '\xc4\xb1')"
place_stub "ORNPrg/ZAVRO_F$(printf '\xc4\xb1')/LOMADiag.exe"
run_loma
wait_report 3
check "a folder ZAVRO_F + dotless i is no ZAVRO_Fi: nothing started" test ! -e "$REPORTS/ran"
stop_loma
mkdir "$PREFIX/drive_c/ORNPrg/zavro_fi"
place_stub ORNPrg/zavro_fi/LOMADiag.exe
run_loma
wait_report 5
check "beside it, zavro_fi's program is the one started" \
  test "$(ran_inode)" = "$(inode "$PREFIX/drive_c/ORNPrg/zavro_fi/LOMADiag.exe")"
stop_loma

# --- a relative WINEPREFIX with a Windows program -----------------------------------------
PREFIX=$WORK/wine-prefix
e2e_wine_prefix "$PREFIX"
mkdir -p "$PREFIX/drive_c/ORNPrg/ZAVRO_Fi"
REPORTS=$(mktemp -d "$WORK/reports.XXXX")
x86_64-w64-mingw32-gcc -O2 -municode -mwindows -DUNICODE -D_UNICODE -o "$WORK/LOMADiag.exe" \
  "$ROOT/tests/e2e/wine/stub/stub.c" || exit 1
cp "$WORK/LOMADiag.exe" "$PREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe"
record=$PREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.ran
cd "$WORK" || exit 1
RUN_PREFIX=./wine-prefix run_loma
for _ in $(seq 200); do [ -s "$record" ] && break; sleep 0.1; done
check "relative WINEPREFIX: the Windows program ran through Wine in that prefix" test -s "$record"
check "relative WINEPREFIX: no error reported" test ! -s "$REPORTS/stderr"
stop_loma
cd "$ROOT" || exit 1

e2e_summary
