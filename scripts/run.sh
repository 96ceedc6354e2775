#!/usr/bin/env bash
# Builds the program and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)" --target ZrX509_ZERUvorido
exec build/app/ZrX509_ZERUvorido "$@"
