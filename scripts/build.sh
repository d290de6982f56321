#!/usr/bin/env bash
# Configures and builds Teloq into build/ (the program folder). Two jobs at most.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build -j2
