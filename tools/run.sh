#!/usr/bin/env bash
# Builds the program and runs it under Wine (Debian 12, as root). Uses $DISPLAY when there is one,
# otherwise a virtual display of its own (then nothing shows on screen; the window is still real).
# The program ends when its window is closed (Esc, or the Close button).
#   bash tools/run.sh              the build that fits this machine (i686 where the kernel runs
#                                  32-bit code, else x86_64)
#   ORVANTA_RUN_PRESET=mingw-x86_64 bash tools/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
if [[ -z ${ORVANTA_RUN_PRESET:-} ]]; then
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1 && [[ ! -e /proc/sys/fs/binfmt_misc/orvanta-i386 ]]; then
    ORVANTA_RUN_PRESET=mingw-i686
  else
    ORVANTA_RUN_PRESET=mingw-x86_64
  fi
fi
cmake --preset "$ORVANTA_RUN_PRESET" >/dev/null
cmake --build --preset "$ORVANTA_RUN_PRESET" --target orvanta

build=build/$ORVANTA_RUN_PRESET
exe=$(find "$build" -name orvanta.exe -print -quit)
[[ -n $exe ]] || { echo "orvanta.exe was not built" >&2; exit 1; }

if [[ -z ${DISPLAY:-} ]]; then
  Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null' EXIT
  export DISPLAY=:77
  sleep 1
  echo "No DISPLAY: running on the virtual display :77."
fi

source tools/wine-env.sh "$build"
orvanta_wine_ready
set +e
orvanta_wine "$exe"
rc=$?
echo "orvanta.exe exited with code $rc"
exit $rc
