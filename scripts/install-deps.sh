#!/usr/bin/env bash
# Installs the Debian packages that building and testing need and that this
# machine lacks: one apt-get update, then apt-get install of exactly those.
set -euo pipefail

PACKAGES=(
  g++
  cmake
  ninja-build
  make
  pkg-config
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libcrypto++-dev
  libutf8proc-dev
  libpugixml-dev
  liblapack-dev
  libgsl-dev
  clang
  libclang-rt-14-dev
  libfuzzer-14-dev
  libcli11-dev
  nlohmann-json3-dev
  qt6-base-dev
  qt6-base-dev-tools
  libgl-dev
  fonts-dejavu-core
  qt6-charts-dev
  libqt6opengl6-dev
  pybind11-dev
  python3-dev
  python3-pybind11
  python3-numpy
  python3-pytest
  python3-dask
  python3-distributed
  python3-matplotlib
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
