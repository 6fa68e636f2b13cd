#!/usr/bin/env bash
# Installs what Kestrix needs on a Debian 12 machine. Safe to run again: packages already
# present are skipped, and apt is only asked when something is missing.
#   setup.sh program   what the kestrix program needs to build and run (the default)
#   setup.sh test      that, and what the test suite needs: GoogleTest and Google Benchmark,
#                      openpyxl and LibreOffice for the workbook round trips, and mingw-w64,
#                      Wine (with widl) and Xvfb to build the Windows add-in and run its tests
set -euo pipefail
profile="${1:-program}"

packages=(build-essential g++ cmake ninja-build pkg-config libzip-dev libpugixml-dev zlib1g-dev)
case "$profile" in
  program) ;;
  test)
    packages+=(
      googletest libgtest-dev libgmock-dev libbenchmark-dev
      python3-openpyxl libreoffice-calc-nogui
      g++-mingw-w64-x86-64 wine64 wine64-tools xvfb xauth
    )
    ;;
  *)
    echo "setup: unknown profile '$profile' (program or test)" >&2
    exit 2
    ;;
esac

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
