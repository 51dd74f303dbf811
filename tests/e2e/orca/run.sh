#!/bin/bash
# End-to-end test with a real screen reader: Orca, as Debian ships it, hears build/linux/loma.
# In Xvfb under openbox, in a session bus of its own with the AT-SPI bus on, Orca runs with a
# settings folder of its own (mouse review on) and speaks through speech-dispatcher, whose
# generic module writes each utterance, with the time it came, to a file: no audio at all.
# For the found and the not-found launcher: the status is spoken once, within 1 s of the
# window mapping; then the pointer, moved to each control's middle, makes Orca say it.
#
# Usage: tests/e2e/orca/run.sh   (LOMA=path/to/loma to test another build; KEEP=1 keeps the
# folder with Orca's debug log and the utterances)
# Needs: xvfb openbox xdotool x11-utils dbus at-spi2-core orca speech-dispatcher.
# Prints "N passed, N failed" last.
set -u

ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
LOMA=${LOMA:-$ROOT/build/linux/loma}
[ -x "$LOMA" ] || { echo "no program at $LOMA"; exit 1; }

. "$ROOT/tests/e2e/lib.sh"

e2e_session_bus orca

# Everything Orca, GLib and speech-dispatcher keep goes into this folder, never the user's.
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data XDG_CACHE_HOME=$WORK/cache \
  XDG_RUNTIME_DIR=$WORK/run HOME=$WORK/home LANG=C.UTF-8 LC_ALL=C.UTF-8 NO_AT_BRIDGE=0
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$HOME" "$WORK/orca" \
  "$WORK/speechd/modules" "$XDG_RUNTIME_DIR/speech-dispatcher"
chmod 700 "$XDG_RUNTIME_DIR"
SPOKEN=$WORK/spoken.txt
: >"$SPOKEN"

e2e_wm  # mouse review finds windows through the window manager's stacking list
e2e_atspi_bus

# speech-dispatcher with only the generic module, which appends "<ns since epoch> <text>" per
# utterance; Orca reaches it at the session's default socket. The module's charset is spelled
# UTF8: for "utf-8" the module keeps no copy of a message that is not text (a single character,
# the count), and speech-dispatcher 0.12 frees that message once handed over, so the file got
# freed memory; any other name recodes, UTF-8 to UTF-8, into a copy of its own.
cat >"$WORK/speechd/speechd.conf" <<CONF
LogLevel 1
LogDir "$WORK/speechd-log"
DefaultModule generic
AddModule "generic" "sd_generic" "generic.conf"
DefaultLanguage "en"
AudioOutputMethod "alsa"
AudioALSADevice "null"
CONF
cat >"$WORK/speechd/modules/generic.conf" <<CONF
GenericExecuteSynth "printf '%s %s\\\\n' \$(date +%s%N) '\$DATA' >> $SPOKEN"
GenericLanguage "en" "en" "UTF8"
GenericLanguage "zh" "zh" "UTF8"
AddVoice "en" "MALE1" "en"
CONF
mkdir -p "$WORK/speechd-log"
speech-dispatcher -s -t 0 -C "$WORK/speechd" -c unix_socket \
  -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" >/dev/null 2>&1 &
E2E_STARTED+=($!)
export SPEECHD_ADDRESS=unix_socket:$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" ] && break; sleep 0.05; done

# Orca's own settings: speech through speech-dispatcher, mouse review on, no first-run wizard,
# and every voice in English. A voice without a language takes one from the locale through
# Python's locale.getdefaultlocale(), which made "en" of C.UTF-8 up to Python 3.11 but makes "C"
# of it from 3.13; the generic module knows no "c", recodes for it to ISO-8859-1, and the Chinese
# texts come out as question marks.
cat >"$WORK/orca/user-settings.conf" <<'CONF'
{
  "general": {"enableSpeech": true, "enableMouseReview": true, "firstStart": false,
              "speechServerFactory": "orca.speechdispatcherfactory",
              "enableTutorialMessages": false, "presentToolTips": false,
              "voices": {"default": {"established": false, "family": {"lang": "en"}},
                         "uppercase": {"established": false, "average-pitch": 7.0,
                                       "family": {"lang": "en"}},
                         "hyperlink": {"established": false, "family": {"lang": "en"}},
                         "system": {"established": false, "family": {"lang": "en"}}}},
  "profiles": {"default": {"profile": ["Default", "default"], "enableMouseReview": true}},
  "pronunciations": {},
  "keybindings": {}
}
CONF
orca --user-prefs "$WORK/orca" --debug-file "$WORK/orca-debug.txt" >"$WORK/orca-out.txt" 2>&1 &
ORCA_PID=$!
E2E_STARTED+=("$ORCA_PID")
# Orca is ready once it has said it is on.
for _ in $(seq 300); do [ -s "$SPOKEN" ] && break; sleep 0.05; done
sleep 1
if [ -s "$SPOKEN" ]; then pass "Orca speaks through speech-dispatcher: $(cut -d' ' -f2- "$SPOKEN" | head -1)"
else fail "Orca speaks through speech-dispatcher" "$(tail -3 "$WORK/orca-out.txt")"; fi

now_ns() { date +%s%N; }
window_of() {  # window_of PID: the launcher's window, once mapped
  for _ in $(seq 200); do
    w=$(xdotool search --all --onlyvisible --pid "$1" --name '^LOMA$' 2>/dev/null | head -1)
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.01
  done
}
spoken_since() { awk -v t="$1" '$1 >= t' "$SPOKEN"; }

# The controls' middles on a 1280-pixel screen (the window at 354,7) and what Orca should say.
# The count's upper half lies under the close button's caption, which is in front (a click there
# presses the button): the middle of its uncovered half stands for it.
run_case() {  # run_case found|notfound
  local case=$1 status stub
  export WINEPREFIX=$WORK/prefix-$case
  mkdir -p "$WINEPREFIX/drive_c"
  if [ "$case" = found ]; then
    status="ZAVRO Fi 診斷系統 已經啟動"
    mkdir -p "$WINEPREFIX/drive_c/ORNPrg/ZAVRO_Fi"
    printf '#!/bin/sh\nexit 0\n' >"$WINEPREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe"
    chmod +x "$WINEPREFIX/drive_c/ORNPrg/ZAVRO_Fi/LOMADiag.exe"
  else
    status="未發現 診斷系統"
  fi
  xdotool mousemove 5 790
  sleep 0.3
  local t0 w t1
  # The moment of mapping: the root window's MapNotify (openbox maps the frame around it),
  # each line of xev stamped as it comes.
  stdbuf -oL xev -root -event substructure 2>/dev/null > >(perl -MTime::HiRes=time \
    -ne '$| = 1; printf "%d %s", time * 1e9, $_' >"$WORK/map-$case.txt") &
  local xev_pid=$!
  sleep 0.3
  t0=$(now_ns)
  "$LOMA" 2>/dev/null &
  local pid=$!
  w=$(window_of "$pid")
  [ -n "$w" ] || { fail "$case: the window maps"; kill "$pid"; return; }
  sleep 1.5
  kill "$xev_pid" 2>/dev/null
  t1=$(awk -v t="$t0" '$1 >= t && /MapNotify/ {print $1; exit}' "$WORK/map-$case.txt")
  [ -n "$t1" ] || t1=$t0
  local heard ms
  heard=$(spoken_since "$t0" | grep -F -- "$status")
  local n
  n=$(printf '%s' "$heard" | grep -c .)
  ms=$(printf '%s\n' "$heard" | head -1 | awk -v t="$t1" 'NF {printf "%d", ($1 - t) / 1000000}')
  local from_start
  from_start=$(printf '%s\n' "$heard" | head -1 | awk -v t="$t0" 'NF {printf "%d", ($1 - t) / 1000000}')
  if [ "$n" = 1 ] && [ "${ms:-9999}" -le 1000 ]; then
    pass "$case: status spoken once, $ms ms after the window mapped ($from_start ms after the start): $(printf '%s' "$heard" | cut -d' ' -f2-)"
  else
    fail "$case: status spoken once within 1 s" "$n times, first ${ms:+at $ms ms}${ms:-never}; heard: $(spoken_since "$t0" | cut -d' ' -f2- | tr '\n' '|')"
  fi
  # Mouse review: each control's middle, then what Orca said since the pointer came there.
  local -a points=(
    "banner|354+42+246|7+30+37|ZAVRO Fi 診斷系統啓動器"
    "button|354+43+40|7+103+54|關閉"
    "status|354+218+20|STATUS_Y|$status"
    "count|354+45+44|7+211+18|"
    "credit|745|203|(C) ZAVRO Fi LOMA Diagnostic Launcher"
    "notice|354+139+163|7+204+12|時間倒數到 0 關閉啓動器"
  )
  for entry in "${points[@]}"; do
    IFS='|' read -r name px py want <<<"$entry"
    if [ "$py" = STATUS_Y ]; then
      if [ "$case" = found ]; then py=$((7 + 121 + 10)); else py=$((7 + 137 + 10)); fi
    fi
    px=$((px)); py=$((py))
    local tm
    tm=$(now_ns)
    xdotool mousemove "$px" "$py"
    sleep 0.7
    local said
    said=$(spoken_since "$tm" | cut -d' ' -f2- | tr '\n' '|')
    if [ "$name" = count ]; then
      if printf '%s' "$said" | grep -qE '(^|\|)[0-9]+'; then pass "$case: mouse review at the $name ($px,$py): $said"
      else fail "$case: mouse review at the $name ($px,$py)" "heard: $said"; fi
    elif printf '%s' "$said" | grep -qF -- "$want"; then
      pass "$case: mouse review at the $name ($px,$py): $said"
    else
      fail "$case: mouse review at the $name ($px,$py) says $want" "heard: $said"
    fi
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  xdotool mousemove 5 790
  sleep 0.5
}

if kill -0 "$ORCA_PID" 2>/dev/null; then
  run_case notfound
  run_case found
else
  fail "Orca runs" "$(tail -5 "$WORK/orca-out.txt")"
fi
grep -c "SPEECH OUTPUT" "$WORK/orca-debug.txt" 2>/dev/null | sed 's/^/       SPEECH OUTPUT lines in the debug log: /'

e2e_summary
