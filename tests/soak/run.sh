#!/bin/bash
# Soak test of the Linux program: N runs (default 200) of the real build/linux/loma, in several
# virtual displays side by side, each run in a fresh Wine prefix. The kinds of run alternate:
#   found      the stub diagnostic program is started; the countdown runs out (exit 0)
#   not-found  no program at the path; the countdown runs out (exit 0)
#   close      found, then the close button is clicked (exit 0 at once)
#   fatal      a stub without its run bit: error 70 in the message box, OK clicked (exit 1)
# Counted: crashes (a signal, or a sanitizer report), exits with another code than expected,
# hangs (a run that outlives its deadline), processes left behind in the run's prefix, zombies
# (a started program the launcher does not reap while it runs), and descriptors beyond 0-2 that
# the started program inherits. The launcher is itself handed an extra open descriptor, which
# must not reach the program either.
#
# Usage: tests/soak/run.sh [N]   (LOMA=path to test another build, such as the sanitizer build
# build/linux-asan/loma, whose reports count as crashes; DISPLAYS=4 side by side)
# Needs: xvfb xdotool x11-utils, and a C compiler for the stub. Prints "N passed, N failed" last
# and exits non-zero when any run failed.
set -u

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
N=${1:-200}
LOMA=${LOMA:-$ROOT/build/linux/loma}
DISPLAYS=${DISPLAYS:-4}
KINDS=(found not-found close fatal)
WIN_W=571
# A sanitizer build reports on stderr; only the fontconfig caches are not leaks.
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
# How long each kind of run may take before it counts as a hang: the countdown ends a little
# after 11 s; a click ends the program at once.
NATURAL_END_S=14 AFTER_CLICK_S=3

[ -x "$LOMA" ] || { echo "no program at $LOMA (cmake --preset linux && cmake --build build/linux)"; exit 1; }
WORK=$(mktemp -d /tmp/loma-soak.XXXXXX)
. "$ROOT/tests/e2e/lib.sh"  # its displays and windows; the lanes and their clean-up are ours
lanes=()
cleanup() {
  for pid in "${lanes[@]}"; do kill -- "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
cc -O2 -o "$WORK/stub" "$ROOT/tests/soak/stub.c" || { echo "0 passed, 1 failed"; exit 1; }

# --- one run -------------------------------------------------------------------------------

now_ms() { echo $(($(date +%s%N) / 1000000)); }

wait_exit() {  # wait_exit PID DEADLINE_MS: sets CODE to the exit code, or "hang"
  local deadline=$2
  while kill -0 "$1" 2>/dev/null && [ "$(now_ms)" -lt $deadline ]; do sleep 0.02; done
  if kill -0 "$1" 2>/dev/null; then
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    CODE=hang
  else
    wait "$1"
    CODE=$?
  fi
}

state_of() {  # the process state letter (R, S, Z, ...) of a pid, or nothing when it is gone
  [ -r "/proc/$1/stat" ] && sed -E 's/^.*\) (.).*/\1/' "/proc/$1/stat" 2>/dev/null
}

in_prefix() {  # pids of live processes whose environment names the prefix
  grep -lzxF "WINEPREFIX=$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3
}

run_one() {  # run_one INDEX: prints "INDEX KIND MS PROBLEM..." (no problem: "ok")
  local i=$1 kind=${KINDS[$(($1 % 4))]} problems=()
  local prefix=$WORK/run$i folder=$WORK/run$i/drive_c/ORNPrg/ZAVRO_Fi
  mkdir -p "$folder"
  case $kind in
    found | close) cp "$WORK/stub" "$folder/LOMADiag.exe" ;;
    fatal) cp "$WORK/stub" "$folder/LOMADiag.exe" && chmod a-x "$folder/LOMADiag.exe" ;;
  esac
  local record=$folder/LOMADiag.ran start
  start=$(now_ms)
  # Descriptor 7 is open in the launcher (as a careless parent might leave one): it must not
  # reach the started program, no more than the launcher's own X connection.
  WINEPREFIX=$prefix "$LOMA" 2>"$prefix/stderr" 7<"$ROOT/README.md" &
  local pid=$! win='' box='' w

  if [ "$kind" = fatal ]; then
    # The launcher window maps during the load and goes when the error is reported.
    for _ in $(seq 200); do
      for w in $(xdotool search --onlyvisible --classname '^loma$' 2>/dev/null); do
        [ "$(e2e_geometry "$w" | cut -d' ' -f3)" = "$WIN_W" ] || box=$w
      done
      [ -n "$box" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    if [ -n "$box" ]; then
      sleep 0.2
      local x y bw bh
      read -r x y bw bh < <(e2e_geometry "$box")
      e2e_click $((x + bw - 12 - 37)) $((y + bh - 22))  # OK, bottom right
      wait_exit "$pid" $(($(now_ms) + AFTER_CLICK_S * 1000))
    else
      problems+=("no-message-box")
      wait_exit "$pid" $(($(now_ms) + 1000))
    fi
  else
    e2e_await_window -t 10000 --classname '^loma$'
    win=$WIN
    [ -n "$win" ] || problems+=("no-window")
    local stub_pid=
    if [ "$kind" = found ] || [ "$kind" = close ]; then
      for _ in $(seq 100); do [ -f "$record" ] && break; sleep 0.05; done
      if [ -f "$record" ]; then
        stub_pid=$(sed -E 's/^pid=([0-9]+).*/\1/' "$record")
        local fds; fds=$(sed -E 's/^.* fds=//' "$record")
        [ -z "$fds" ] || problems+=("inherited-fds:$fds")
        # The program has written its record and ends; the launcher reaps it while it runs.
        local state=
        for _ in $(seq 40); do
          state=$(state_of "$stub_pid")
          [ -z "$state" ] && break
          sleep 0.05
        done
        [ "$state" = Z ] && problems+=("zombie")
      else
        problems+=("stub-not-started")
      fi
    fi
    if [ "$kind" = close ] && [ -n "$win" ]; then
      local x y
      read -r x y _ _ < <(e2e_geometry "$win")
      e2e_click $((x + 120)) $((y + 145))
      wait_exit "$pid" $(($(now_ms) + AFTER_CLICK_S * 1000))
    else
      wait_exit "$pid" $((start + NATURAL_END_S * 1000))
    fi
  fi
  local ms=$(($(now_ms) - start))

  local expected=0
  [ "$kind" = fatal ] && expected=1
  if [ "$CODE" = hang ]; then
    problems+=("hang")
  elif [ "$CODE" -ge 128 ]; then
    problems+=("crash:signal-$((CODE - 128))")
  elif grep -qE 'Sanitizer|runtime error:' "$prefix/stderr"; then
    problems+=("crash:sanitizer")
  elif [ "$CODE" != "$expected" ]; then
    problems+=("exit:$CODE")
  fi
  local left; left=$(in_prefix "$prefix" | tr '\n' ' ')
  [ -z "$left" ] || { problems+=("left-behind:${left% }"); kill -KILL $left 2>/dev/null; }
  [ ${#problems[@]} -gt 0 ] || problems=(ok)
  echo "$i $kind $ms ${problems[*]}"
  if [ "${problems[0]}" != ok ] && [ -s "$prefix/stderr" ]; then
    head -5 "$prefix/stderr" | sed "s/^/#   run $i: /"
  fi
  rm -rf "$prefix"
}

# --- displays side by side -----------------------------------------------------------------

lane() {  # lane FIRST LAST: runs those on a virtual display of its own
  # A display that never resets: a run that starts just after one ends must find it.
  e2e_display 1280x800
  for i in $(seq "$1" "$2"); do run_one "$i"; done
  e2e_stop_display
}

started=$(now_ms)
per_lane=$(((N + DISPLAYS - 1) / DISPLAYS))
for ((first = 0; first < N; first += per_lane)); do
  last=$((first + per_lane - 1))
  [ $last -lt "$N" ] || last=$((N - 1))
  lane "$first" "$last" >"$WORK/lane.$first" 2>&1 &
  lanes+=($!)
done
wait "${lanes[@]}"
wall=$((($(now_ms) - started) / 1000))

# --- the figures ---------------------------------------------------------------------------

cat "$WORK"/lane.* | sort -n >"$WORK/all"
grep -v '^#' "$WORK/all" | grep -v ' ok$' | sed 's/^/FAIL run /'
grep '^#' "$WORK/all"
count() { grep -v '^#' "$WORK/all" | grep -cE -- "$1"; }
echo "runs: $N on $DISPLAYS displays in ${wall} s"
for kind in "${KINDS[@]}"; do
  awk -v k="$kind" '$2 == k {n++; t += $3; if ($3 > m) m = $3}
    END {if (n) printf "  %-9s %3d runs, %6.0f ms mean, %6d ms longest\n", k, n, t / n, m}' "$WORK/all"
done
echo "crashes: $(count ' crash:'), unexpected exits: $(count ' exit:'), hangs: $(count ' hang')," \
  "left behind: $(count ' left-behind:'), zombies: $(count ' zombie')," \
  "inherited descriptors: $(count ' inherited-fds:'), no window or no start: $(count ' (no-|stub-not)')"
passed=$(grep -v '^#' "$WORK/all" | grep -c ' ok$')
failed=$((N - passed))
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
