#!/usr/bin/env bash
# Installs what is missing, builds the debug configuration and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug -j2
