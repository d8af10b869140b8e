#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively, and the Windows builds under
# Wine on a virtual X display. Installs what it needs first (Debian 12, as root).
#   bash tools/test.sh            all builds
#   ORVANTA_TEST_PRESETS="mingw-x86_64" bash tools/test.sh    only some of them
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash tools/install-deps.sh || exit 1
source tools/i386-support.sh

presets=${ORVANTA_TEST_PRESETS:-"native fuzz mingw-x86_64 mingw-i686"}
jobs=$(nproc)

xvfb_pid=
stop_display() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
}
trap stop_display EXIT

start_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -displayfd picks a free display number and tells it once the server is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local number
  read -r -t 30 number <"$fifo"
  rm -f "$fifo"
  [[ -n $number ]] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$number"
}

passed=0
failed=0
status=0
summary=()

run_ctest() {
  local name=$1; shift
  local log
  log=$(mktemp)
  ctest "$@" --output-on-failure -j "$jobs" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E '^[0-9]+% tests passed' "$log" | tail -1)
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  fi
  summary+=("$name: ${line:-no tests run}")
  [[ $rc == 0 && -n $line ]] || status=1
  rm -f "$log"
}

for preset in $presets; do
  if [[ $preset == fuzz ]]; then
    echo "=== fuzz: the portable core under libFuzzer, ${ORVANTA_FUZZ_SECONDS:-60} s a target"
    fuzz_log=$(mktemp)
    bash tools/fuzz.sh | tee "$fuzz_log"
    fuzz_rc=${PIPESTATUS[0]}
    fuzz_passed=$(grep -c ': passed,' "$fuzz_log")
    fuzz_failed=$(grep -c ': FAILED' "$fuzz_log")
    passed=$((passed + fuzz_passed))
    failed=$((failed + fuzz_failed))
    summary+=("fuzz: $fuzz_passed targets passed, $fuzz_failed failed")
    [[ $fuzz_rc == 0 ]] || status=1
    rm -f "$fuzz_log"
    continue
  fi
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" -DORVANTA_WERROR=ON >/dev/null || ! cmake --build --preset "$preset" -j "$jobs"; then
    summary+=("$preset: build failed")
    status=1
    continue
  fi
  case $preset in
    native)
      run_ctest "$preset" --preset "$preset"
      ;;
    mingw-i686)
      if ! orvanta_i386_ready; then
        summary+=("$preset: built; its tests were not run: $orvanta_i386_reason")
        status=1
        continue
      fi
      start_display
      run_ctest "$preset" --preset "$preset" $orvanta_i386_ctest_args
      stop_display
      ;;
    *)
      start_display
      run_ctest "$preset" --preset "$preset"
      stop_display
      ;;
  esac
  WINEPREFIX="$root/build/$preset/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
done

echo
echo "=== Summary"
printf '%s\n' "${summary[@]}"
echo "orvanta: $passed passed, $failed failed"
exit $status
