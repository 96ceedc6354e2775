#!/usr/bin/env bash
# Builds the fuzz targets as libFuzzer programs with Debian's Clang 14 (every
# library instrumented, AddressSanitizer and UndefinedBehaviorSanitizer on) in
# build-fuzz/, and runs a campaign: each target in turn for a while, over a
# working corpus that starts from its seeds. How to read the results:
# docs/fuzzing.md.
#
# Usage: scripts/fuzz.sh [options] [target...]      (targets: all by default)
#   --time SECONDS   per target (default 600)
#   --fork N         N fuzzing processes per target (default 1)
#   --max-len BYTES  longest input tried (default 16384)
#   --jobs N         parallel compile jobs (default: all processors)
#   --build-only     build, run nothing
#   --seeds-only     run each target once over its seeds, no fuzzing
# Environment: ZRX_FUZZ_BUILD (build folder, default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."

time_per_target=600
fork=1
max_len=16384
mode=fuzz
jobs=$(nproc)
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --time) time_per_target=${2:?}; shift 2 ;;
    --fork) fork=${2:?}; shift 2 ;;
    --max-len) max_len=${2:?}; shift 2 ;;
    --jobs) jobs=${2:?}; shift 2 ;;
    --build-only) mode=build; shift ;;
    --seeds-only) mode=seeds; shift ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

bash scripts/install-deps.sh --fuzz

if [ ${#targets[@]} -eq 0 ]; then
  for f in tests/fuzz/*.cmake; do targets+=("$(basename "$f" .cmake)"); done
fi
for t in "${targets[@]}"; do
  [ -f "tests/fuzz/$t.cmake" ] || { echo "no fuzz target '$t' (tests/fuzz/$t.cmake)" >&2; exit 2; }
done

build_dir=${ZRX_FUZZ_BUILD:-build-fuzz}
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build_dir" -G Ninja -DZRX_FUZZ=ON -DZRX_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir" -j "$jobs" --target "${targets[@]/#/fuzz_}"
[ "$mode" = build ] && exit 0

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-/usr/lib/llvm-14/bin/llvm-symbolizer}
export QT_QPA_PLATFORM=offscreen

# Dictionaries by target: XML and JSON texts get their tokens.
dict_of() {
  case "$1" in
    xml_config|xml_signer|update_list) echo tests/fuzz/dict/xml.dict ;;
    jcmp_reply) echo tests/fuzz/dict/json.dict ;;
    *) echo "" ;;
  esac
}

failed=()
for t in "${targets[@]}"; do
  bin="$build_dir/tests/fuzz/fuzz_$t"
  seeds="tests/fuzz/corpus/$t"
  if [ "$mode" = seeds ]; then
    echo "== $t: seeds"
    "$bin" -runs=0 "$seeds" || failed+=("$t")
    continue
  fi
  corpus="$build_dir/fuzz-corpus/$t"
  findings="$build_dir/fuzz-findings/$t"
  log="$build_dir/fuzz-logs/$t.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  dict=$(dict_of "$t")
  args=(-max_total_time="$time_per_target" -max_len="$max_len" -timeout=25 -rss_limit_mb=4096
        -artifact_prefix="$findings/" -print_final_stats=1)
  [ -n "$dict" ] && args+=(-dict="$dict")
  [ "$fork" -gt 1 ] && args+=(-fork="$fork" -ignore_crashes=1)
  echo "== $t: ${time_per_target}s (log: $log)"
  # New inputs go into the first folder; the seeds are only read.
  if "$bin" "${args[@]}" "$corpus" "$seeds" >"$log" 2>&1 && [ -z "$(ls -A "$findings")" ]; then
    grep -E '^(Done|stat::number_of_executed_units)' "$log" | tail -1 || true
  else
    echo "   FINDINGS in $findings:"; ls "$findings" | sed 's/^/     /'
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Targets with findings or failures: ${failed[*]}" >&2
  exit 1
fi
echo "${#targets[@]} targets ran clean."
