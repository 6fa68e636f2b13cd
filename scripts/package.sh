#!/usr/bin/env bash
# Builds the two installer packages into dist/: Kestrix-x64.msi for 64-bit Office and
# Kestrix-x86.msi for 32-bit Office, each from its own cross-build (presets windows and
# windows32). Only the module and the package are built, not the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh package
for preset in windows windows32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target installer
done
mkdir -p dist
cp build/windows/installer/Kestrix-x64.msi build/windows32/installer/Kestrix-x86.msi dist/
ls -l dist/Kestrix-x64.msi dist/Kestrix-x86.msi
