#!/usr/bin/env bash
# The benchmarks, each figure against its floor measured in the same run on the same machine:
# start-up and memory against a bare Win32 program, the size of the release program, the Translate
# round trip against a bare GET of the same URL, parsing against memchr. Builds what it needs,
# prints one table and writes it as JSON to build/bench/results.json (Debian 12, as root).
#   bash tools/bench.sh
#   ORVANTA_BENCH_STARTUPS=20 ORVANTA_BENCH_ROUND_TRIPS=60 bash tools/bench.sh    more or fewer runs
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

startups=${ORVANTA_BENCH_STARTUPS:-20}
round_trips=${ORVANTA_BENCH_ROUND_TRIPS:-60}
# The loopback fake service of the round trip; apart from the tests' port so both can run.
port=${ORVANTA_BENCH_PORT:-47421}
out=build/bench
jobs=$(nproc)
if ss -ltn 2>/dev/null | grep -q "127.0.0.1:$port "; then
  echo "port $port is in use; name a free one with ORVANTA_BENCH_PORT" >&2
  exit 1
fi

bash tools/install-deps.sh >/dev/null
mkdir -p "$out"
rm -f "$out"/*.part.json

build() {
  local preset=$1 dir=$2; shift 2
  cmake --preset "$preset" -B "$dir" -DORVANTA_WERROR=ON "$@" >/dev/null
}

echo "=== building: x86_64 release with the bench programs, i686 release, native parsing benchmark"
build mingw-x86_64 "$out/mingw-x86_64" -DORVANTA_TEST_SERVICE_PORT="$port"
cmake --build "$out/mingw-x86_64" -j "$jobs" --target window_bench >/dev/null
build mingw-i686 "$out/mingw-i686" -DORVANTA_BUILD_TESTS=OFF
cmake --build "$out/mingw-i686" -j "$jobs" --target orvanta >/dev/null
build native "$out/native" -DORVANTA_BUILD_TESTS=OFF
cmake --build "$out/native" -j "$jobs" --target parse_bench >/dev/null

echo "=== size of the stripped release program"
# One row: the stripped size, and the goal when there is one (a limit in KB).
size_row() {
  local triple=$1 exe=$2 target=$3 limit_kb=${4:-} stripped bytes
  stripped=$(mktemp)
  "$triple-strip" -o "$stripped" "$exe"
  bytes=$(stat -c %s "$stripped")
  rm -f "$stripped"
  if [[ -n $limit_kb ]]; then
    local met=false
    (( bytes <= limit_kb * 1024 )) && met=true
    echo "{\"benchmark\": \"size $target\", \"bytes\": $bytes, \"goal\": \"<= $limit_kb KB\", \"met\": $met}"
  else
    echo "{\"benchmark\": \"size $target\", \"bytes\": $bytes, \"goal\": \"\", \"met\": null}"
  fi
}
{
  echo "["
  size_row i686-w64-mingw32 "$out/mingw-i686/app/orvanta.exe" i686 100
  echo ","
  size_row x86_64-w64-mingw32 "$out/mingw-x86_64/app/orvanta.exe" x86_64
  echo "]"
} >"$out/size.part.json"

echo "=== start-up, memory and round trip under Wine"
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 30 display_number <"$fifo" || true
rm -f "$fifo"
[[ -n ${display_number:-} ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display_number"
source tools/wine-env.sh "$out/mingw-x86_64"
finish() {
  "$orvanta_wine_dir/wineserver" -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap finish EXIT
# Starts the server once and keeps it: every run then pays only for its own process. A server left
# running by an earlier use of this prefix makes "wineserver -p" fail, which is fine.
orvanta_wine_ready || true
bench_exe=$out/mingw-x86_64/bench/window_bench.exe
bare=$root/$out/mingw-x86_64/bench
"$orvanta_wine_dir/wine64" "$bench_exe" startup "$startups" "$root/$out/mingw-x86_64/app/orvanta.exe" "$bare/bare_window.exe" \
  >"$out/startup.part.json"
"$orvanta_wine_dir/wine64" "$bench_exe" roundtrip "$round_trips" "$root/$out/mingw-x86_64/app/orvanta-loopback.exe" \
  "$bare/bare_request.exe" "$port" >"$out/roundtrip.part.json"

echo "=== parsing, natively"
if "$out/native/bench/parse_bench" --json "$out/parse.part.json" >"$out/parse.txt"; then
  :
else
  echo "(parse_bench gave no JSON rows; its part is left out)"
  rm -f "$out/parse.part.json"
fi

python3 - "$out" <<'EOF'
import glob, json, os, sys
out = sys.argv[1]
order = ["size", "startup", "roundtrip", "parse"]
rows = []
for part in order:
    path = os.path.join(out, part + ".part.json")
    if os.path.exists(path):
        for row in json.load(open(path)):
            row.setdefault("benchmark", "parsing " + row.get("name", ""))
            rows.append(row)
json.dump(rows, open(os.path.join(out, "results.json"), "w"), indent=2)

def spread(s, unit=""):
    return "%.1f [%.1f-%.1f]%s" % (s["median"], s["min"], s["max"], unit)

def met(value):
    return {True: "yes", False: "NO", None: ""}.get(value, "")

table = [("benchmark", "program median [min-max]", "floor median [min-max]", "ratio / difference", "goal", "met")]
for row in rows:
    name = row["benchmark"]
    if name.startswith("size"):
        table.append((name, "%.1f KB (%d bytes)" % (row["bytes"] / 1024, row["bytes"]), "", "", row["goal"], met(row["met"])))
    elif "ratio" in row and "program" in row:
        table.append((name + " (%d runs)" % row["runs"], spread(row["program"], " " + row["unit"]),
                      spread(row["baseline"], " " + row["unit"]), "%.3f x" % row["ratio"], row["goal"], met(row["met"])))
    elif "difference" in row:
        table.append((name + " (%d runs)" % row["runs"], spread(row["program"], " MB"), spread(row["baseline"], " MB"),
                      "%+.2f MB" % row["difference"], row["goal"], met(row["met"])))
    elif "parse_mb_s" in row:
        ratio = row["ratio_to_memchr"]
        growth = row.get("growth_16mb_over_1mb")
        goal = ">= 0.10 x memchr" + (", 16 MB <= 20 x 1 MB" if growth is not None else "")
        ok = ratio >= 0.10 and (growth is None or growth <= 20)
        table.append((name, "%.0f [%.0f-%.0f] MB/s" % (row["parse_mb_s"], row["parse_mb_s_min"], row["parse_mb_s_max"]),
                      "%.0f [%.0f-%.0f] MB/s" % (row["memchr_mb_s"], row["memchr_mb_s_min"], row["memchr_mb_s_max"]),
                      "%.3f x" % ratio + ("; 16/1 MB %.1f" % growth if growth is not None else ""), goal, met(ok)))
widths = [max(len(str(line[i])) for line in table) for i in range(len(table[0]))]
for index, line in enumerate(table):
    print("  ".join(str(cell).ljust(width) for cell, width in zip(line, widths)).rstrip())
    if index == 0:
        print("  ".join("-" * width for width in widths))
print("\nwritten to " + os.path.join(out, "results.json"))
EOF
rm -f "$out"/*.part.json
