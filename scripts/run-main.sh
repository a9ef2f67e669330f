#!/usr/bin/env bash
# Builds everything and runs the main program: the design point of the
# example turbojet model, through its components.
# Arguments replace the default command, e.g. scripts/run-main.sh gas -T 300:900:200
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)"
if (($# == 0)); then set -- run examples/turbojet.xml; fi
"$BUILD/apps/vyr" "$@"
