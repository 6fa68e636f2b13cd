#!/usr/bin/env bash
# Builds the workbook readers' libFuzzer targets with clang and the sanitizers, and runs the three
# side by side for SECONDS each (30 by default) from the kept seeds. A crash fails the script and
# leaves its input in build/fuzz/artifacts/: keep it as a seed with its fix.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DKX_FUZZ=ON -DKX_WERROR=OFF \
  -DKX_BUILD_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target files_fuzz_xlsx files_fuzz_sheet files_fuzz_csv
mkdir -p "$build/artifacts"
pids=()
for target in xlsx sheet csv; do
  # New inputs go to a scratch corpus; the kept seeds stay as they are.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  "$build/tests/files/fuzz/files_fuzz_$target" "$corpus" "tests/files/fuzz/seeds/$target" \
    -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" >"$build/fuzz-$target.log" 2>&1 &
  pids+=($!)
done
failed=0
for i in 0 1 2; do
  target=$(echo xlsx sheet csv | cut -d' ' -f$((i + 1)))
  if wait "${pids[$i]}"; then
    echo "fuzz $target: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz-$target.log" | grep -o '[0-9]*$') inputs in ${seconds}s, no crash"
  else
    echo "fuzz $target: FAILED, see $build/fuzz-$target.log" >&2
    tail -n 40 "$build/fuzz-$target.log" >&2
    failed=1
  fi
done
exit "$failed"
