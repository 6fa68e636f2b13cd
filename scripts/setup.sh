#!/usr/bin/env bash
# Installs what Kestrix needs on a Debian 12 machine. Safe to run again: packages already
# present are skipped, and apt is only asked when something is missing.
#   setup.sh program   what the kestrix program needs to build and run (the default)
#   setup.sh package   that, and what scripts/package.sh needs to cross-build the Windows add-in
#                      for x86-64 and i686 and make its installer packages: mingw-w64, widl and
#                      the system IDL files (Wine's tools), wixl, and GoogleTest's sources, which
#                      the Windows builds configure with
#   setup.sh test      that, and what the test suite needs: GoogleTest and Google Benchmark,
#                      openpyxl and LibreOffice for the workbook round trips, Wine for 64-bit and
#                      32-bit programs and Xvfb to run the Windows add-in's tests, and clang with
#                      its runtime for the fuzz targets' short runs
set -euo pipefail
profile="${1:-program}"

packages=(build-essential g++ cmake ninja-build pkg-config libzip-dev libpugixml-dev zlib1g-dev)
package_tools=(googletest g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine64-tools wixl)
case "$profile" in
  program) ;;
  package) packages+=("${package_tools[@]}") ;;
  test)
    packages+=(
      "${package_tools[@]}"
      libgtest-dev libgmock-dev libbenchmark-dev
      python3-openpyxl libreoffice-calc-nogui
      wine32:i386 xvfb xauth
      clang libclang-rt-14-dev
    )
    ;;
  *)
    echo "setup: unknown profile '$profile' (program, package or test)" >&2
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
  # Wine runs the 32-bit add-in and its package with the i386 half of Wine.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
