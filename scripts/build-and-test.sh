#!/usr/bin/env bash
# Builds everything (a build with a compiler warning fails) and runs every test.
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
cmake -S . -B "$build_dir" -G Ninja "${extra[@]}"
# Warnings fail the build. The compiler's own -Werror (-DZRX_WERROR=ON) would
# change every command line and so miss the compiler cache; the build's output
# is read instead, which ccache replays for cached objects too.
build_log="$build_dir/build-output.log"
cmake --build "$build_dir" -j "$jobs" 2>&1 | tee "$build_log"
if grep -E -q '(^|[^a-z])warning: ' "$build_log"; then
  echo "The build printed compiler warnings:" >&2
  grep -E '(^|[^a-z])warning: ' "$build_log" | sort -u >&2
  exit 1
fi
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
