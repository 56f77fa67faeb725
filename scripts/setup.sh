#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds.
# Used by run.sh and test.sh; safe to run again (it only installs what is missing).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PYLONIX_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-multimedia-dev libqt6test6 libqt6svg6 qt6-translations-l10n
    libgtest-dev libgmock-dev
    libjpeg-dev
    libchm1 libchm-dev fp-utils
    fonts-liberation
    xvfb xauth
    libreoffice-calc libreoffice-dev python3-openpyxl
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    if [[ $EUID -ne 0 ]]; then SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$BUILD" -j "$(nproc)"
