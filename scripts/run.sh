#!/usr/bin/env bash
# Builds the program and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)" --target ZrX509_ZERUvorido
# First run: the shipped application configuration goes where the program
# looks for it ($ALLUSERS$/zoren/<APPL>/xcfg); an existing one is left alone.
xcfg="${ALLUSERSPROFILE:-${XDG_DATA_HOME:-$HOME/.local/share}}/zoren/ZrX509_ZERUvorido/xcfg"
if [ ! -e "$xcfg/ZrX509_ZERUvorido.xcfg" ]; then
  mkdir -p "$xcfg"
  for f in app/data/xcfg/*.xcfg; do
    [ -e "$xcfg/$(basename "$f")" ] || cp "$f" "$xcfg/"
  done
fi
exec build/app/ZrX509_ZERUvorido "$@"
