# Sourced by the scripts that run Windows programs: one Wine prefix per build tree, made once.
# Usage: source tools/wine-env.sh BUILD_DIR
#        orvanta_wine_ready            (creates the prefix if needed, starts the server)
#        orvanta_wine EXE ARGS...       (runs EXE with the loader that fits it)

orvanta_build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$orvanta_build_dir/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Gecko or Mono prompts; a crash exits at once instead of waiting on the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export LC_ALL=zh_CN.UTF-8

orvanta_wine_dir=/usr/lib/wine
orvanta_tools_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Debian's /usr/bin/wine starts the 32-bit loader first even for 64-bit programs; pick by PE machine.
orvanta_loader_for() {
  local machine
  machine=$(od -An -tx2 -j "$(( $(od -An -tu4 -j60 -N4 "$1") + 4 ))" -N2 "$1" | tr -d ' ')
  if [[ $machine == 8664 ]]; then echo "$orvanta_wine_dir/wine64"; else echo "$orvanta_wine_dir/wine"; fi
}

orvanta_wine() {
  local loader
  loader=$(orvanta_loader_for "$1")
  "$loader" "$@"
}

orvanta_wine_ready() {
  (
    flock 9
    if [[ ! -f "$WINEPREFIX/.orvanta-ready" ]]; then
      rm -rf "$WINEPREFIX"
      # Without a display Wine boots without asking anything; the GUI comes later.
      env -u DISPLAY "$orvanta_wine_dir/wine64" wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
      "$orvanta_wine_dir/wineserver" -w
      local reg="$WINEPREFIX/drive_c/orvanta-test.reg"
      cp "$orvanta_tools_dir/wine-test-settings.reg" "$reg"
      env -u DISPLAY "$orvanta_wine_dir/wine64" regedit /S 'C:\orvanta-test.reg' </dev/null >/dev/null 2>&1 9>&-
      rm -f "$reg"
      # Without Marlett the caption's close box shows a letter.
      cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      "$orvanta_wine_dir/wineserver" -w
      touch "$WINEPREFIX/.orvanta-ready"
    fi
  ) 9>"$orvanta_build_dir/.wineprefix.lock"
  # Start the server and Wine's services with their output away from us: services inherit the
  # stderr of the first Wine process, and CTest would wait on that pipe until the time-out.
  (
    flock 9
    # 9>&-: the server and services outlive this script and must not hold the lock.
    "$orvanta_wine_dir/wineserver" -p </dev/null >/dev/null 2>&1 9>&-
    "$orvanta_wine_dir/wine64" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&-
  ) 9>"$orvanta_build_dir/.wineserver.lock"
}
