#!/usr/bin/env bash
# Fails when a C++ file differs from the layout .clang-format describes.
# clang-format 14 exactly: another version lays some lines out differently.
# To format a file: clang-format-14 -i path/to/File.cpp
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format-14 >/dev/null || bash scripts/install-deps.sh
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 -P "$(nproc)" -n 20 clang-format-14 --dry-run --Werror; then
  echo "These files are not laid out as .clang-format says; run clang-format-14 -i on them." >&2
  exit 1
fi
