#!/usr/bin/env bash
# Builds everything (warnings are errors) and runs every test.
# Usage: scripts/build-and-test.sh [--sanitize]
#   --sanitize   a separate build (build-asan/) with AddressSanitizer and UBSan;
#                its test programs run once whole and shuffled (no process per case)
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
cmake -S . -B "$build_dir" -G Ninja -DZRX_WERROR=ON "${extra[@]}"
cmake --build "$build_dir" -j "$jobs"
if [ "$build_dir" = build ]; then
  # Each case in its own process...
  ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" --timeout 300
else
  # Under the sanitizers every case runs once, inside its program's whole
  # run below (a process per case would double the sanitizer pass's time);
  # the fuzz targets go over their seeds.
  ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" --timeout 300 -R '^fuzz[.]'
fi
# ...and each test program once whole, its cases in random order, so that a
# case that depends on running alone (state left by another) fails here.
bash scripts/run-whole-shuffled.sh "$build_dir" "$jobs"
