#!/usr/bin/env bash
# Builds what the main program needs and runs it: the design point of the
# example turbojet model, through its components.
# Arguments replace the default command, e.g. scripts/run-main.sh gas -T 300:900:200
#
# Only the targets the command needs are built, in a tree configured without
# tests and benchmarks: vyr alone for its own calculations; for "vyr run" also
# the run module (Qt and the UI library) and the example component library.
# The build is what the first output waits for, so it is made short:
# - a unity build: each library and program compiles as one translation unit
#   (the few files whose file-local names clash stay apart, marked in the
#   CMake files), so the many inline functions of the Qt, STL, command-line
#   and JSON headers are compiled once per target instead of once per file:
#   less than a third of the processor time of the file-by-file build; the
#   precompiled headers, which pay off only over many files, are left out;
# - no optimisation (-O0): a design point takes milliseconds either way, and
#   the build takes a quarter less processor time than at -O1.
# scripts/run-tests.sh builds and runs everything else.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

BUILD=build/main
if (($# == 0)); then set -- run examples/turbojet.xml; fi
TARGETS=(vyr)
if [[ "$1" == run ]]; then TARGETS+=(vyrrun vyrgaspath); fi

# The build's own lines only when it fails.
mkdir -p "$BUILD"
LOG="$BUILD/run-main.log"
if ! { [[ -f "$BUILD/build.ninja" ]] ||
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O0 -DNDEBUG" \
    -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=0 -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON \
    -DVYR_BUILD_TESTS=OFF -DVYR_BUILD_BENCH=OFF -DVYR_INSTALL_TEST=OFF; } >"$LOG" 2>&1 ||
  ! cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target "${TARGETS[@]}" >>"$LOG" 2>&1; then
  cat "$LOG" >&2
  exit 1
fi
"$BUILD/apps/vyr" "$@"
