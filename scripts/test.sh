#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
QT_QPA_PLATFORM=offscreen ctest --preset release
