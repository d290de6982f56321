#!/usr/bin/env bash
# Builds the tests in Debug with the address and undefined-behaviour sanitizers in
# build-asan/ and runs the whole suite under them, then runs each fuzz target over its
# seeds and for a few seconds more. CI runs it after scripts/test.sh.
#   bash scripts/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j2 --target teloq_tests
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Qt and fontconfig keep some allocations until the process ends; scripts/lsan.supp names them.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
bash scripts/fuzz.sh 5
