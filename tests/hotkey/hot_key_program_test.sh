#!/usr/bin/env bash
# F4 on the program started the way tools/run.sh starts it (the Wine loader on orvanta.exe), pressed
# from outside with xdotool (XTest, as from a real keyboard):
#   - F4 hides the window; F4 again, pressed while another Wine window has the focus, shows it at
#     the same place and size; a key event sent to the hidden window itself shows it too;
#   - a second copy opens its own window without a word, and F4 still toggles the first copy only;
#   - Shift+F4 and Ctrl+F4 toggle nothing, Alt+F4 closes the window, and the key is free afterwards;
#   - F4 pressed during a translation (orvanta-loopback.exe, slow fake service) acts once it ends.
# A press while no Wine window has the X focus never reaches Wine: see docs/hotkey-under-wine.md.
#   hot_key_program_test.sh BUILD_DIR ORVANTA_EXE LOOPBACK_EXE PROBE_EXE PORT
set -uo pipefail
build=$1
exe=$2
loopback_exe=$3
probe_exe=$4
port=$5
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
[[ -n ${DISPLAY:-} ]] || { echo "needs a display (DISPLAY)"; exit 1; }

source "$tools/wine-env.sh" "$build"
orvanta_wine_ready
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }

# Starts a Windows program in the background, away from CTest's pipes; its pid goes to $started.
start() {
  local log=$1
  shift
  # The loader itself, not a subshell around it: $! must be the program's own process.
  "$(orvanta_loader_for "$1")" "$@" </dev/null >"$log" 2>&1 &
  started=$!
  pids+=("$started")
}

# wait_for DESCRIPTION COMMAND...: retries COMMAND for up to 20 s.
wait_for() {
  local what=$1
  shift
  for _ in $(seq 200); do
    "$@" && return 0
    sleep 0.1
  done
  fail "$what"
}

map_state() { xwininfo -id "$1" 2>/dev/null | awk '/Map State:/ {print $3}'; }
is_shown() { [[ $(map_state "$1") == IsViewable ]]; }
is_hidden() { [[ $(map_state "$1") == IsUnMapped ]]; }
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                           /Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h "+" x "+" y}'
}
# Every mapped window on the screen, by id (hex).
visible_top_levels() {
  local id
  for id in $(xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}'); do is_shown "$id" && echo "$id"; done
}
ended() { ! kill -0 "$1" 2>/dev/null; }
# The program's visible main windows, newest last.
main_windows() { xdotool search --onlyvisible --name '^Orvanta  -  F4' 2>/dev/null; }
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
probe_f4_free() { orvanta_wine "$probe_exe" f4-free </dev/null >/dev/null 2>&1; }

# Another program's window to hold the keyboard focus, as any other program on the desktop would.
start "$work/probe.log" "$probe_exe" window
probe_pid=$started
wait_for "the probe window did not appear" eval 'probe=$(xdotool search --onlyvisible --name "^Orvanta hot key probe$" | head -n1); [[ -n $probe ]]'

start "$work/first.log" "$exe"
first_pid=$started
wait_for "the window did not appear" eval 'window=$(main_windows | head -n1); [[ -n $window ]]'
place=$(geometry "$window")
echo "window $window at $place"

echo "-- F4 hides the window; F4 with another Wine window focused brings it back"
focus "$window"
xdotool key F4
wait_for "F4 did not hide the window" is_hidden "$window"
focus "$probe"
xdotool key F4
wait_for "F4 did not show the hidden window again" is_shown "$window"
[[ $(geometry "$window") == "$place" ]] || fail "shown at $(geometry "$window"), was at $place"

echo "-- a key event sent to the hidden window itself also brings it back"
focus "$window"
xdotool key F4
wait_for "F4 did not hide the window" is_hidden "$window"
xdotool key --window "$window" F4
wait_for "F4 sent to the hidden window did not show it" is_shown "$window"
[[ $(geometry "$window") == "$place" ]] || fail "shown at $(geometry "$window"), was at $place"

echo "-- a second copy opens its own window silently; the first keeps the key"
start "$work/second.log" "$exe"
second_pid=$started
wait_for "the second copy's window did not appear" eval '[[ $(main_windows | wc -l) == 2 ]]'
second=$(main_windows | grep -vx "$window" | head -n1)
[[ -n $second ]] || fail "no second window"
# Nothing else of the second copy shows: no message box about the key.
others=$(visible_top_levels | grep -vxiE "$(printf '0x%x|0x%x|0x%x' "$probe" "$window" "$second")")
[[ -z $others ]] || fail "the second copy shows more than its window: $others"
probe_f4_free && fail "F4 is free while the first copy runs"
focus "$second"
xdotool key F4
wait_for "F4 did not hide the first copy" is_hidden "$window"
is_shown "$second" || fail "F4 toggled the second copy"
xdotool key Escape
wait_for "Esc did not end the second copy" ended "$second_pid"
probe_f4_free && fail "F4 became free when the second copy closed"
focus "$probe"
xdotool key F4
wait_for "F4 did not show the first copy again" is_shown "$window"

echo "-- Shift+F4 and Ctrl+F4 toggle nothing; Alt+F4 closes; the key is free afterwards"
# Every map and unmap of the window is recorded: a toggle in between cannot go unseen.
stdbuf -oL xev -id "$window" -event structure >"$work/xev.log" 2>&1 &
xev_pid=$!
pids+=("$xev_pid")
sleep 0.5 # xev prints nothing before the first event: a moment for it to select them
focus "$window"
xdotool key shift+F4 ctrl+F4 alt+F4
# Had Shift+F4 or Ctrl+F4 hidden the window, the later keys would have found no Wine window to go to.
wait_for "Alt+F4 did not end the program" ended "$first_pid"
wait "$first_pid"
rc=$?
wait_for "xev did not see the window go" grep -q DestroyNotify "$work/xev.log"
grep -q '^MapNotify' "$work/xev.log" && fail "the window was hidden and shown again by a modified F4"
[[ $rc == 0 ]] || fail "exit code $rc after Alt+F4"
wait_for "F4 did not become free after the program ended" probe_f4_free

echo "-- F4 during a translation takes effect when it has ended"
start "$work/loopback.log" "$loopback_exe"
loopback_pid=$started
wait_for "the loopback program's window did not appear" eval 'window=$(main_windows | head -n1); [[ -n $window ]]'
focus "$window"
start "$work/translate.log" "$probe_exe" translate "$port" 4000
translate_pid=$started
wait_for "the request did not reach the fake service: $(cat "$work/translate.log")" grep -q '^request' "$work/translate.log"
xdotool key F4
grep -q '^result' "$work/translate.log" && fail "pressed too late: the translation had already ended"
wait_for "the probe did not finish" ended "$translate_pid"
wait "$translate_pid"
translate_rc=$?
cat "$work/translate.log"
[[ $translate_rc == 0 ]] || fail "F4 during the translation"
is_hidden "$window" || fail "not hidden after the translation"
xdotool key --window "$window" F4
wait_for "the loopback window did not come back" is_shown "$window"
focus "$window"
xdotool key Escape
wait_for "Esc did not end the loopback program" ended "$loopback_pid"
xdotool windowclose "$probe" 2>/dev/null || kill "$probe_pid"
echo "all passed"
