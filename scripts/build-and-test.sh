#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/build-and-test.sh [--sanitize]
#   --sanitize   a separate build (build-asan/) with AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build_dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  extra=(-DZRX_SANITIZE=ON -DZRX_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

jobs=$(nproc)
cmake -S . -B "$build_dir" -G Ninja "${extra[@]}"
cmake --build "$build_dir" -j "$jobs"
# Each case in its own process...
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" --timeout 300
# ...and each test program once whole, its cases in random order, so that a
# case that depends on running alone (state left by another) fails here.
bash scripts/run-whole-shuffled.sh "$build_dir" "$jobs"
