#!/usr/bin/env bash
# Builds the benchmark, makes the books of each size (cached under bench-out/), times the
# user's actions over them (offscreen) and prints one table per size, then how the actions
# grow with the books. Tables are also written to bench-out/bench-<N>.csv.
#   bash scripts/bench.sh [N ...]        default: 10000 100000 1000000
#   BENCH_RUNS=9 bash scripts/bench.sh   more runs per action (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target teloq_bench teloq_bench_books
sizes=("$@")
if [ ${#sizes[@]} -eq 0 ]; then sizes=(10000 100000 1000000); fi
./build/bin/teloq_bench_books --out bench-out "${sizes[@]}"
status=0
csv=()
for n in "${sizes[@]}"; do
  QT_QPA_PLATFORM=offscreen ./build/bin/teloq_bench --books "bench-out/books-$n" \
    --out bench-out --runs "${BENCH_RUNS:-5}" || status=1
  csv+=("bench-out/bench-$n.csv")
done
./build/bin/teloq_bench --compare "${csv[@]}"
exit $status
