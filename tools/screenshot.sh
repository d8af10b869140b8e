#!/usr/bin/env bash
# Takes a picture of the running program's window, as a user would see it, into a PNG.
# Starts its own Xvfb (there is no window manager there, so the prefix's Managed=N setting makes
# Wine draw the frame and caption itself), runs the program, crops the window out of the screen.
#   tools/screenshot.sh BUILD_DIR [OUTPUT.png]      (default docs/screenshot.png)
# Environment: ORVANTA_SCREENSHOT_DISPLAY (default :53), ORVANTA_SCREENSHOT_EXE (default the
# build's app/orvanta.exe).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: tools/screenshot.sh BUILD_DIR [OUTPUT.png]}" && pwd)
out=${2:-$root/docs/screenshot.png}
exe=${ORVANTA_SCREENSHOT_EXE:-$build/app/orvanta.exe}
display=${ORVANTA_SCREENSHOT_DISPLAY:-:53}
[[ -f $exe ]] || { echo "screenshot: $exe is not built" >&2; exit 1; }

export DISPLAY=$display
xvfb_pid=
if ! xdpyinfo >/dev/null 2>&1; then
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
program_pid=
cleanup() {
  if [[ -n $program_pid ]]; then kill "$program_pid" 2>/dev/null || true; fi
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

source "$root/tools/wine-env.sh" "$build"
# "wineserver -p" fails when a server is already up; that is fine here.
set +e
orvanta_wine_ready
set -e
orvanta_wine "$exe" </dev/null >/dev/null 2>&1 &
program_pid=$!

window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Orvanta  -  F4' 2>/dev/null | head -n1) || true
  [[ -n $window ]] && break
  sleep 0.1
done
[[ -n $window ]] || { echo "screenshot: the window did not appear" >&2; exit 1; }
sleep 1 # let the first paint finish

geometry=$(xwininfo -id "$window")
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
width=$(awk '/Width:/ {print $2}' <<<"$geometry")
height=$(awk '/Height:/ {print $2}' <<<"$geometry")
mkdir -p "$(dirname "$out")"
import -window root -crop "${width}x${height}+${x}+${y}" +repage "$out"
echo "wrote $out (${width}x${height})"

# Esc closes the program, as a user would.
xdotool key --window "$window" Escape || true
for _ in $(seq 50); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
if ! kill -0 "$program_pid" 2>/dev/null; then
  wait "$program_pid" && rc=0 || rc=$?
  program_pid=
  echo "the program exited with code $rc"
fi
