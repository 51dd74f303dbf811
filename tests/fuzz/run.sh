#!/bin/bash
# Runs each libFuzzer harness for a while from its committed seeds and fails on any finding: a
# crash, a sanitizer report, a broken rule, a leak, an input that takes over 10 s or 1 GB.
#
# Usage: tests/fuzz/run.sh [SECONDS] [HARNESS...]   (default 30 s each, every harness)
#   FUZZ_JOBS=2   harnesses run side by side (default 1)
#   FUZZ_RUNS=N   also stop a harness after N inputs
#   FUZZ_CORPUS=DIR   keep the inputs each harness finds in DIR/<harness> and start from them
#                     next time (default: a temporary folder, dropped)
# Builds the fuzz preset first (clang with libFuzzer, AddressSanitizer and UBSan). A finding is
# kept in build/fuzz/findings/<harness>/ with the command that replays it. Prints per harness
# the inputs run and their rate, and "N passed, N failed" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 1
seconds=${1:-30}
shift $(($# > 0 ? 1 : 0))
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(metafile icon jpeg utf drive_name)
jobs=${FUZZ_JOBS:-1}

WORK=$(mktemp -d /tmp/loma-fuzz.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

echo "building the harnesses (fuzz preset)"
{ cmake --preset fuzz && cmake --build --preset fuzz -j "$(nproc)"; } >"$WORK/build.log" 2>&1 ||
  { tail -30 "$WORK/build.log"; echo "0 passed, ${#harnesses[@]} failed"; exit 1; }

max_len() {  # the largest input worth trying: about the size of the seeds, with room to grow
  case $1 in
    utf) echo 256 ;;
    drive_name) echo 1024 ;;
    *) echo 4096 ;;
  esac
}

fuzz_one() {  # fuzz_one NAME: runs it, writes $WORK/NAME.result (ok|FAIL and a summary)
  local name=$1 binary=$ROOT/build/fuzz/tests/fuzz/${1}_fuzzer
  local corpus=${FUZZ_CORPUS:+$FUZZ_CORPUS/$name}
  corpus=${corpus:-$WORK/$name.corpus}
  mkdir -p "$corpus" "$WORK/$name.artifacts"
  if [ ! -x "$binary" ]; then
    echo "FAIL $name: no harness at $binary" >"$WORK/$name.result"
    return
  fi
  local code=0
  "$binary" "$corpus" "$ROOT/tests/fuzz/corpus/$name" -max_total_time="$seconds" \
    ${FUZZ_RUNS:+-runs=$FUZZ_RUNS} -max_len="$(max_len "$name")" -timeout=10 -rss_limit_mb=1024 \
    -print_final_stats=1 -artifact_prefix="$WORK/$name.artifacts/" >"$WORK/$name.log" 2>&1 ||
    code=$?
  local runs rate rss
  runs=$(awk '/stat::number_of_executed_units/{print $2}' "$WORK/$name.log")
  rate=$(awk '/stat::average_exec_per_sec/{print $2}' "$WORK/$name.log")
  rss=$(awk '/stat::peak_rss_mb/{print $2}' "$WORK/$name.log")
  local figures="${runs:-?} inputs, ${rate:-?}/s, peak ${rss:-?} MB"
  if [ "$code" = 0 ] && [ -z "$(ls -A "$WORK/$name.artifacts")" ]; then
    echo "ok   $name: $figures" >"$WORK/$name.result"
    return
  fi
  local keep=$ROOT/build/fuzz/findings/$name
  rm -rf "$keep"
  mkdir -p "$keep"
  cp "$WORK/$name.artifacts/"* "$keep/" 2>/dev/null
  cp "$WORK/$name.log" "$keep/run.log"
  {
    echo "FAIL $name (exit $code): $figures"
    grep -E 'ERROR:|broken rule|runtime error|SUMMARY' "$WORK/$name.log" | head -5 | sed 's/^/  /'
    for f in "$keep"/*; do
      [ "$f" != "$keep/run.log" ] && echo "  replay: $binary $f"
    done
    echo "  log: $keep/run.log"
  } >"$WORK/$name.result"
}

running=0
for name in "${harnesses[@]}"; do
  echo "fuzzing $name for ${seconds} s"
  fuzz_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

passed=0 failed=0
for name in "${harnesses[@]}"; do
  cat "$WORK/$name.result"
  if grep -q '^ok' "$WORK/$name.result"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
