#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers) in
# build-fuzz/ and runs each for SECONDS (default 60), starting from the seeds in
# fuzz/corpus/<target>/ (new findings go to build-fuzz/corpus/<target>/).
#   bash scripts/fuzz.sh [SECONDS]
#   bash scripts/fuzz.sh 5           the seeds and a few seconds more (what CI runs)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTELOQ_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j2 --target teloq_fuzz
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
status=0
for target in fuzz_listfiles fuzz_dialect fuzz_formats fuzz_datasource fuzz_bills fuzz_statements; do
  seeds="fuzz/corpus/$target"
  found="build-fuzz/corpus/$target"
  mkdir -p "$found"
  echo "== $target: $seconds s"
  log="build-fuzz/$target.log"
  if "./build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -artifact_prefix="build-fuzz/$target-" -print_final_stats=1 "$found" "$seeds" >"$log" 2>&1; then
    grep -E "^stat::number_of_executed_units" "$log" | sed 's/^stat::number_of_executed_units:/   inputs run:/'
  else
    status=1
    grep -E -A3 "^(property violated|==[0-9]+==ERROR)|SUMMARY|artifact" "$log" || tail -n 20 "$log"
  fi
done
exit $status
