#!/usr/bin/env bash
# Makes the packages with CPack as a release would, into OUT_DIR, and checks what a user downloads:
# a ZIP with one folder holding orvanta.exe (byte for byte the one the build made), README.md and
# LICENSE.txt; an installer for the same architecture; and a SHA-256 file that matches each.
#   package_test.sh BUILD_DIR OUT_DIR VERSION ARCHITECTURE PROGRAM_EXE
set -uo pipefail
build=$1
out=$2
version=$3
architecture=$4
program=$5
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$out"
started=$(date +%s%N)
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$build/package_test.log" 2>&1 ||
  { cat "$build/package_test.log"; fail "cpack failed"; }
echo "packages made in $(( ($(date +%s%N) - started) / 1000000 )) ms"

name=orvanta-$version-$architecture
zip=$out/$name.zip
installer=$out/$name.exe
for package in "$zip" "$installer"; do
  [[ -f $package ]] || fail "no $(basename "$package") (the version or architecture in the name is wrong?)"
  (cd "$out" && sha256sum --quiet -c "$(basename "$package").sha256") || fail "checksum of $(basename "$package")"
done

listing=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
expected=$(printf '%s\n' "$name/LICENSE.txt" "$name/README.md" "$name/orvanta.exe")
[[ $listing == "$expected" ]] || fail "the ZIP holds"$'\n'"$listing"$'\n'"instead of"$'\n'"$expected"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$unpacked"
cmp -s "$unpacked/$name/orvanta.exe" "$program" || fail "the ZIP's orvanta.exe is not the built one"
cmp -s "$unpacked/$name/LICENSE.txt" "$(dirname "$0")/../../LICENSE" || fail "the ZIP's licence differs"

# PE machine of the installer: 8664 for win64, 14c for win32.
pe_machine() { od -An -tx2 -j "$(( $(od -An -tu4 -j60 -N4 "$1") + 4 ))" -N2 "$1" | tr -d ' '; }
case $architecture in
  win64) want=8664 ;;
  *) want=014c ;;
esac
[[ $(pe_machine "$installer") == "$want" ]] || fail "the installer is for machine $(pe_machine "$installer"), not $want"
[[ $(pe_machine "$program") == "$want" ]] || fail "the program is for machine $(pe_machine "$program"), not $want"
echo "ok: $(basename "$zip") ($(stat -c %s "$zip") bytes), $(basename "$installer") ($(stat -c %s "$installer") bytes)"
