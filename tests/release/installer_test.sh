#!/usr/bin/env bash
# The installer as a user meets it, on the build's Wine prefix: a silent install into Program
# Files, the installed program started from its Start-menu shortcut (window up, Esc ends it), a
# silent uninstall the way "Apps and Features" runs it, a restart, and then nothing of the program
# left: no file, no shortcut, no registry key. Files and registry are compared with their state
# before the install, so nothing else may run in the prefix meanwhile (the test runs serially).
#   installer_test.sh BUILD_DIR INSTALLER VERSION VERSION_TEST_EXE
set -uo pipefail
build=$1
installer=$2
version=$3
version_test=$4
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
[[ -n ${DISPLAY:-} ]] || { echo "needs a display (DISPLAY)"; exit 1; }
[[ -f $installer ]] || { echo "no installer at $installer (the release_packages test makes it)"; exit 1; }
fail() { echo "FAIL: $*"; exit 1; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# Polls COMMAND until it succeeds or SECONDS have passed. The bounds are generous: under emulated
# 32-bit Wine each process takes about a minute to start.
wait_for() {
  local deadline=$(( $(now_ms) + $1 * 1000 ))
  shift
  until "$@"; do
    (( $(now_ms) < deadline )) || return 1
    sleep 0.1
  done
}

# The build's own prefix: a second one would cost minutes to make where 32-bit Wine is emulated.
source "$tools/wine-env.sh" "$build"
wine=$orvanta_wine_dir/wine64
drive=$WINEPREFIX/drive_c
# A 32-bit installer lands where Windows puts 32-bit programs: Program Files (x86), the 32-bit
# registry view.
if [[ $(orvanta_loader_for "$installer") == */wine64 ]]; then
  program_files='Program Files'
  view=/reg:64
else
  program_files='Program Files (x86)'
  view=/reg:32
fi
windows_folder="C:\\$program_files\\Orvanta"
folder="$drive/$program_files/Orvanta"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvanta.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanta'
quiet() { "$@" </dev/null >/dev/null 2>&1; }

orvanta_wine_ready
# Shortcuts would also become .desktop files in the Linux user's menu; keep Wine out of it.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
if [[ -e $folder || -e $shortcut ]] || quiet "$wine" reg query "$uninstall_key" "$view"; then
  echo "note: removing the install an earlier, failed run left behind"
  rm -rf "$folder" "$shortcut"
  quiet "$wine" reg delete "$uninstall_key" "$view" /f
fi
program=
trap '[[ -n $program ]] && kill $program 2>/dev/null' EXIT

files_now() { (cd "$drive" && find . | LC_ALL=C sort); }
# Both Software hives as text, without Wine's own keys (it keeps display state there).
registry_now() {
  local key
  for key in 'HKLM\Software' 'HKCU\Software'; do
    quiet "$wine" reg export "$key" 'C:\orvanta-registry.reg' /y
    iconv -f UTF-16LE -t UTF-8 "$drive/orvanta-registry.reg" | tr -d '\r' |
      awk '/^\[/ { skip = ($0 ~ /^\[HKEY_[A-Z_]+\\Software\\Wine(\\|\])/) } !skip && NF'
  done
  rm -f "$drive/orvanta-registry.reg"
}

files_before=$(files_now)
registry_before=$(registry_now)

step=$(now_ms)
quiet orvanta_wine "$installer" /S || fail "the installer exited with code $?"
echo "installed in $(( $(now_ms) - step )) ms"

installed=$(cd "$folder" 2>/dev/null && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)
[[ $installed == $'LICENSE.txt\nREADME.md\norvanta.exe\nuninstall.exe' ]] ||
  fail "the program folder holds: ${installed:-nothing}"
[[ -f $shortcut ]] || fail "no Start-menu shortcut at $shortcut"
entry=$("$wine" reg query "$uninstall_key" "$view" 2>/dev/null </dev/null | tr -d '\r')
grep -Eq "DisplayVersion +REG_SZ +$version\$" <<<"$entry" || fail "the uninstall entry does not say version $version:"$'\n'"$entry"
grep -Fxq "    UninstallString    REG_SZ    \"$windows_folder\\uninstall.exe\"" <<<"$entry" ||
  fail "the uninstall entry does not name the uninstaller:"$'\n'"$entry"
orvanta_wine "$version_test" "--program=$windows_folder\\orvanta.exe" --gtest_brief=1 </dev/null 2>&1 ||
  fail "the installed orvanta.exe does not carry the version resource and manifest"

# The shortcut, opened as Explorer opens it. Wine's start hands the link on and returns at once,
# so the program is followed through its window's process.
step=$(now_ms)
quiet "$wine" start 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Orvanta.lnk' ||
  fail "opening the shortcut failed with code $?"
window=
find_window() { window=$(xdotool search --onlyvisible --name '^Orvanta  -  F4' 2>/dev/null | head -n1); [[ -n $window ]]; }
wait_for 180 find_window || fail "the installed program showed no window"
echo "window up $(( $(now_ms) - step )) ms after opening the shortcut"
program=$(xdotool getwindowpid "$window")
command_line=$(tr '\0' ' ' </proc/"$program"/cmdline 2>/dev/null)
# Under qemu the line starts with the emulator and the loader.
[[ $command_line == *"$windows_folder\\orvanta.exe"* ]] || fail "the window belongs to: $command_line"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key Escape
ended() { [[ ! -e /proc/$program || $(awk '{print $3}' /proc/"$program"/stat 2>/dev/null) == Z ]]; }
wait_for 60 ended || fail "Esc did not end the installed program"
program=

# As "Apps and Features" runs it: the uninstaller copies itself to %TEMP% and returns at once,
# the copy does the work, so wait for the folder to go.
step=$(now_ms)
quiet orvanta_wine "$folder/uninstall.exe" /S || fail "the uninstaller exited with code $?"
folder_gone() { [[ ! -e $folder ]]; }
wait_for 180 folder_gone || fail "the program folder is still there: $(ls -A "$folder")"
echo "uninstalled in $(( $(now_ms) - step )) ms"
[[ ! -e $shortcut ]] || fail "the Start-menu shortcut is still there"
quiet "$wine" reg query "$uninstall_key" "$view" && fail "the uninstall entry is still in the registry"

# The copy in %TEMP% can only be deleted at the next restart (NSIS schedules it); have that restart.
quiet "$wine" wineboot -r
leftover_files=$(diff <(echo "$files_before") <(files_now) | grep '^[<>]' |
  grep -v -E '^> \./users/[^/]+/Temp/~nsu[^/]*\.tmp$' || true)
[[ -z $leftover_files ]] || fail "files left behind (>) or gone (<):"$'\n'"$leftover_files"
leftover_keys=$(diff <(echo "$registry_before") <(registry_now) | grep '^[<>]' || true)
[[ -z $leftover_keys ]] || fail "the registry changed:"$'\n'"$leftover_keys"
echo "ok: nothing of Orvanta is left after uninstalling"
