#!/usr/bin/env bash
# Builds the library and runs the main program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYR_BUILD_TESTS=OFF -DVYR_BUILD_BENCH=OFF
cmake --build "$BUILD" --target vyr-air
"$BUILD/apps/vyr-air" "$@"
