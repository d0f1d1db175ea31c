#!/usr/bin/env bash
# Installs the Debian packages Tovimark builds with, when any is missing.
# Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev
  zlib1g-dev liblzma-dev libjpeg62-turbo-dev
  libavcodec-dev libavformat-dev libavutil-dev libswresample-dev
  libgtest-dev libgmock-dev libbenchmark-dev duktape-dev
  clang-14 libclang-rt-14-dev
  libcairo2-dev
  fonts-dejavu-core
  desktop-file-utils shared-mime-info
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
