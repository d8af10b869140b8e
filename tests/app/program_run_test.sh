#!/usr/bin/env bash
# The program started the way tools/run.sh starts it (the Wine loader on orvanta.exe, from Linux):
# its window shows up centred, an outside key press of Esc (XTest, as from a real keyboard) ends it,
# and the exit code that comes back through Wine is 0.
#   program_run_test.sh BUILD_DIR EXE
set -uo pipefail
build=$1
exe=$2
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
[[ -n ${DISPLAY:-} ]] || { echo "needs a display (DISPLAY)"; exit 1; }

source "$tools/wine-env.sh" "$build"
orvanta_wine_ready
# The program must not hold CTest's output pipes open. The loader is started directly (not through
# a shell function) so that $! is the program itself and the clean-up below can end it.
"$(orvanta_loader_for "$exe")" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
trap 'kill $program 2>/dev/null' EXIT

window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Orvanta  -  F4' 2>/dev/null | head -n1)
  [[ -n $window ]] && break
  kill -0 $program 2>/dev/null || { echo "the program ended before showing its window"; exit 1; }
  sleep 0.1
done
[[ -n $window ]] || { echo "the window did not appear"; exit 1; }

geometry=$(xwininfo -id "$window")
read -r screen_width screen_height < <(xdpyinfo | awk '/dimensions:/ {split($2, size, "x"); print size[1], size[2]}')
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
width=$(awk '/Width:/ {print $2}' <<<"$geometry")
height=$(awk '/Height:/ {print $2}' <<<"$geometry")
expected="493x435+$(( (screen_width - 493) / 2 ))+$(( (screen_height - 435) / 2 ))"
if [[ "${width}x${height}+${x}+${y}" != "$expected" ]]; then
  echo "window at ${width}x${height}+${x}+${y}, expected $expected"
  exit 1
fi

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key Escape
for _ in $(seq 200); do
  kill -0 $program 2>/dev/null || break
  sleep 0.1
done
if kill -0 $program 2>/dev/null; then echo "Esc did not end the program"; exit 1; fi
wait $program
rc=$?
trap - EXIT
echo "orvanta.exe exited with code $rc"
[[ $rc == 0 ]]
