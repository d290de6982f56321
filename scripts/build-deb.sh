#!/usr/bin/env bash
# Builds the Debian package of Teloq (bin/teloq, its lists, menu entry, icons and metainfo
# under /usr) with CPack, from the same install rules as `cmake --install`. The package is
# left in build-deb/. Two build jobs at most.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF
cmake --build build-deb -j2
(cd build-deb && cpack -G DEB)
ls -1 build-deb/*.deb
