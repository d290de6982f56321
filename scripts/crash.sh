#!/usr/bin/env bash
# Kills a process that saves batches of ledger changes and rewrites a list file at random
# moments, KILLS times (default 100), and checks the books and the list after every kill.
# Prints the counts: kills, batches saved, lost, half-written, damaged books, list rewrites and
# lists that are neither the old nor the new content. Exits non-zero unless all are sound.
# Then the same for imports of bills (each wholly there or wholly absent, the kept ledger totals
# exact after every kill).
#   bash scripts/crash.sh [KILLS]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target teloq_crash
./build/tests/teloq_crash "${1:-100}"
./build/tests/teloq_crash --import "${1:-100}"
