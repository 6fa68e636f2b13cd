#!/usr/bin/env bash
# Installs everything Kestrix needs to build, test and benchmark on a Debian 12 machine.
# Safe to run again: packages already present are skipped, and apt is only asked when
# something is missing.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libzip-dev libpugixml-dev zlib1g-dev
  # the workbook round-trip tests read and write with these
  python3-openpyxl libreoffice-calc-nogui
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
