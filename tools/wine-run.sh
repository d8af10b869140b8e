#!/usr/bin/env bash
# CTest's emulator for the Windows builds: runs one test program under Wine and hands back its
# exit code. The build tree is found from the program's path (the folder with CMakeCache.txt).
set -uo pipefail
exe=$1
dir=$(cd "$(dirname "$exe")" && pwd)
while [[ $dir != / && ! -f $dir/CMakeCache.txt ]]; do dir=$(dirname "$dir"); done
if [[ ! -f $dir/CMakeCache.txt ]]; then echo "wine-run: no build tree above $exe" >&2; exit 2; fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" "$dir"
orvanta_wine_ready
orvanta_wine "$@"
