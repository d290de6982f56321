#!/usr/bin/env bash
# Installs what Teloq needs, builds it and runs every test (offscreen, no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
