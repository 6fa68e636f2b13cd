#!/usr/bin/env bash
# Installs what is missing, builds the debug configuration and runs the whole test suite and a
# short run of each fuzz target; then cross-builds the Windows add-in and runs its tests under
# Wine, on a display of its own; and builds the 32-bit add-in with both installer packages
# (dist/), the 32-bit package tested too.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh test
cmake --preset debug
cmake --build --preset debug
ctest --preset debug -j2
# The readers' fuzz targets, half a minute each, where the setup put clang there.
if command -v clang++ >/dev/null; then ./scripts/fuzz.sh 30; fi

cmake --preset windows
cmake --build --preset windows
# Of the 32-bit build, only the installer's tests: the rest is the same code as the 64-bit one.
cmake --preset windows32
cmake --build --preset windows32 --target installer_tests
./scripts/package.sh
export KX_WINEPREFIX="${KX_WINEPREFIX:-$PWD/build/wine-prefix}"
trap 'WINEPREFIX="$KX_WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows32 -R '^installer_tests$'
