#!/usr/bin/env bash
# Runs every test program of a build once whole, with its cases shuffled.
# Usage: scripts/run-whole-shuffled.sh <build dir> [jobs]
set -uo pipefail
build_dir=${1:?build dir}
jobs=${2:-$(nproc)}
logs="$build_dir/whole-shuffled"
rm -rf "$logs"
mkdir -p "$logs"
mapfile -t programs < <(find "$build_dir/tests" -maxdepth 1 -type f -executable -name '*_test' | sort)
if [ "${#programs[@]}" -eq 0 ]; then
  echo "no test programs in $build_dir/tests" >&2
  exit 1
fi
# Each program prints its seed; a failure names the program and keeps its log.
printf '%s\n' "${programs[@]}" | xargs -P "$jobs" -I{} bash -c '
  p={}; log="$0/$(basename "$p").log"
  if timeout 900 "$p" --gtest_shuffle --gtest_brief=1 >"$log" 2>&1; then rm -f "$log"
  else echo "FAILED whole and shuffled: $(basename "$p") (log: $log)"; grep -E "^\[  FAILED|random seed" "$log" | head -20; exit 1; fi
' "$logs"
status=$?
if [ $status -ne 0 ]; then
  echo "Some test programs failed when run whole and shuffled." >&2
  exit 1
fi
echo "${#programs[@]} test programs passed whole and shuffled."
