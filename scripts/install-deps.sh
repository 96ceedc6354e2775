#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Safe to run again: apt-get skips what is already installed.
# Usage: scripts/install-deps.sh [--fuzz]
#   --fuzz   also Clang 14 with libFuzzer and the sanitizer runtimes, and
#            llvm-symbolizer for readable reports (scripts/fuzz.sh)
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev libqt6printsupport6 qt6-qpa-plugins qt6-translations-l10n
  libssl-dev libxml2-dev libxml2-utils libxmlsec1-dev xmlsec1
  libcurl4-openssl-dev nlohmann-json3-dev libsqlite3-dev
  softhsm2 libp11-kit-dev libgcrypt20-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev
  libcpp-httplib-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation2 openssl ccache
  # the layout check (scripts/check-format.sh)
  clang-format-14
  # pdfinfo and pdftotext: the printing tests read the PDF files they print
  poppler-utils
)

if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang-14 libclang-rt-14-dev llvm-14)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
