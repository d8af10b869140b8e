#!/usr/bin/env bash
# Nothing kept: after a session that translates, pastes, copies, toggles with F4 and quits, the
# program has written no file, no registry value and no setting anywhere in the Wine prefix.
#   nothing_kept_test.sh BUILD_DIR SESSION_DRIVER_EXE PROGRAM_FOLDER
# PROGRAM_FOLDER holds the program: it is also its current directory, where a relative path lands.
# The registry is compared as the Wine server holds it (a full export by regedit): the server writes
# system.reg, user.reg and userdef.reg only from time to time, so the files may not show a change
# yet. Changes Wine makes by itself are learnt from two snapshots taken around a Wine program that
# shows a window and does nothing else; those of the platform's request object (its cache, cookies,
# history and settings) are listed as its own.
set -uo pipefail
build=$1
driver=$2
program_folder=$3
here=$(cd "$(dirname "$0")" && pwd)
tools=$(cd "$here/../../tools" && pwd)
[[ -n ${DISPLAY:-} ]] || { echo "needs a display (DISPLAY)"; exit 1; }

source "$tools/wine-env.sh" "$build"
orvanta_wine_ready
work=$(mktemp -d "$orvanta_build_dir/nothing-kept.XXXXXX")
trap 'rm -rf "$work"' EXIT

windows_path() { echo "Z:${1//\//\\}"; }

snapshot() {
  local name=$1
  "$orvanta_wine_dir/wine64" regedit /E "$(windows_path "$work/$name.reg")" </dev/null >/dev/null 2>&1
  [[ -s $work/$name.reg ]] || { echo "regedit exported nothing"; exit 1; }
  python3 "$here/prefix_snapshot.py" take "$WINEPREFIX" "$work/$name.reg" "$work/$name.json" "$program_folder" || exit 1
}

snapshot noise-before
orvanta_wine "$driver" idle </dev/null >/dev/null 2>&1
snapshot noise-after

snapshot before
echo "| step | what was tried | what held |"
echo "|---|---|---|"
orvanta_wine "$driver" </dev/null 2>&1 | sed 's/^/| /; s/$/ |/'
session=${PIPESTATUS[0]}
snapshot after

echo
python3 "$here/prefix_snapshot.py" compare "$work/before.json" "$work/after.json" \
  "$work/noise-before.json" "$work/noise-after.json"
kept=$?
[[ $session == 0 ]] || { echo "FAIL: the session did not go as a user's would"; exit 1; }
[[ $kept == 0 ]] || { echo "FAIL: the program left something behind"; exit 1; }
echo "nothing kept"
