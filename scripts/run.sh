#!/usr/bin/env bash
# Installs what is missing, builds Tovimark and starts the player.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tovimark
exec build/release/app/tovimark "$@"
