#!/usr/bin/env bash
# Builds the libFuzzer targets of the portable core (clang, ASan, UBSan) and runs each for a bounded
# time, starting from the committed seeds. Exits non-zero on any finding; the crashing input is left
# in build/fuzz/findings/.
#   bash tools/fuzz.sh                 60 s per target
#   ORVANTA_FUZZ_SECONDS=3600 bash tools/fuzz.sh
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${ORVANTA_FUZZ_SECONDS:-60}

cmake --preset fuzz -DORVANTA_WERROR=ON >/dev/null && cmake --build --preset fuzz || exit 1

status=0
for target in extract_translation url_encoding; do
  seeds=tests/fuzz/corpus/${target%%_*}
  [[ $target == url_encoding ]] && seeds=tests/fuzz/corpus/url
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus" build/fuzz/findings
  log=build/fuzz/$target.log
  "build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz/findings/"$target"- "$corpus" "$seeds" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  if [[ $rc == 0 ]]; then
    echo "fuzz_$target: passed, ${runs:-?} runs in ${seconds} s, $cov"
  else
    echo "fuzz_$target: FAILED (exit $rc); see $log"
    grep -E 'ERROR|SUMMARY|runtime error' "$log" | head -5
    status=1
  fi
done
exit $status
