#!/usr/bin/env bash
# Builds the Debian package: an optimised build of the two programs and
# the desktop files, packed by CPack into build/package/tovimark_*.deb.
# Install it with `apt install ./build/package/tovimark_*.deb`, which also
# brings the libraries it depends on.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTVK_WERROR=ON \
  -DTVK_BUILD_TESTS=OFF -DTVK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB)
ls "$build"/tovimark_*.deb
