#!/usr/bin/env bash
# The clipboard as the user's other programs see it: text the copy command puts there is what an X11
# program (xclip) reads from the CLIPBOARD selection, and text an X11 program puts there is what the
# paste command shows. The program runs as a user starts it; window_driver presses its buttons and
# reads and writes its boxes from another process.
#   x11_clipboard_test.sh BUILD_DIR PROGRAM_EXE WINDOW_DRIVER_EXE
set -uo pipefail
build=$1
exe=$2
driver=$3
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
[[ -n ${DISPLAY:-} ]] || { echo "needs a display (DISPLAY)"; exit 1; }
command -v xclip >/dev/null || { echo "needs xclip"; exit 1; }

source "$tools/wine-env.sh" "$build"
orvanta_wine_ready
drive() { orvanta_wine "$driver" "$@" </dev/null 2>/dev/null; }
hex_of() { xxd -p | tr -d '\n'; }

work=$(mktemp -d)
program=
selection_owner=
cleanup() {
  [[ -n $selection_owner ]] && kill "$selection_owner" 2>/dev/null
  if [[ -n $program ]] && kill -0 "$program" 2>/dev/null; then
    drive close
    for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
    kill "$program" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The program must not hold CTest's output pipes open; started by the loader itself so that
# $! is the program and the clean-up can end it.
"$(orvanta_loader_for "$exe")" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
# The driver waits for the window itself; this also proves it can be found.
drive set-result "" || { echo "the program's window did not appear"; exit 1; }

failed=0

# Copy: GBK in the result box, UTF-8 on the X side; Windows line ends become X11's LF.
result_gbk=$(printf '你好，世界\r\nsecond line' | iconv -f UTF-8 -t GBK | hex_of)
expected_x=$(printf '你好，世界\nsecond line' | hex_of)
drive set-result "$result_gbk" && drive click copy || { echo "cannot drive the copy button"; exit 1; }
# The system takes the X selection over shortly after the clipboard changed: ask until it answers.
seen_x=
for _ in $(seq 50); do
  seen_x=$(timeout 5 xclip -o -selection clipboard 2>/dev/null | hex_of)
  [[ $seen_x == "$expected_x" ]] && break
  sleep 0.2
done
if [[ $seen_x == "$expected_x" ]]; then
  echo "copy: xclip read the result box's text"
else
  echo "copy: xclip read '$(xxd -r -p <<<"$seen_x")' (hex $seen_x), expected hex $expected_x"
  failed=1
fi

# Paste: UTF-8 from an X11 program arrives as GBK, its LF as CR LF.
printf '来自另一个程序的文字\nline two' >"$work/selection"
# -quiet keeps xclip in the foreground, so it can be ended by its process id.
xclip -quiet -selection clipboard -i "$work/selection" </dev/null >/dev/null 2>&1 &
selection_owner=$!
expected_source=$(printf '来自另一个程序的文字\r\nline two' | iconv -f UTF-8 -t GBK | hex_of)
seen_source=
for _ in $(seq 50); do
  drive click paste || { echo "cannot drive the paste button"; exit 1; }
  seen_source=$(drive source | tr -d '\r\n')
  [[ $seen_source == "$expected_source" ]] && break
  sleep 0.2
done
if [[ $seen_source == "$expected_source" ]]; then
  echo "paste: the source box shows xclip's text"
else
  echo "paste: the source box shows hex $seen_source, expected hex $expected_source"
  failed=1
fi
exit $failed
