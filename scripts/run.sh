#!/usr/bin/env bash
# The main job on a fresh machine: installs what is missing, builds, makes the bundled example
# workbook, counts its duplicate customers, removes them into a new file and shows the result.
# KX_PRESET=debug picks the debug build, which also builds the tests (scripts/setup.sh test
# installs what they need); the optimised program alone by default.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${KX_PRESET:-program}"
./scripts/setup.sh program
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
kestrix="build/$preset/cli/kestrix"
work="build/$preset/example"
mkdir -p "$work"

echo
echo "== The example workbook: a customer list with repeats, blanks and other capitals"
rm -f "$work/customers.xlsx" "$work/customers-unique.xlsx"
(cd "$work" && "$OLDPWD/$kestrix" shell < "$OLDPWD/examples/customers.kx" >/dev/null)
"$kestrix" show -s A1:C17 "$work/customers.xlsx"

echo
echo "== kestrix count-duplicates --yes -s A1:A17 customers.xlsx"
"$kestrix" count-duplicates --yes --quiet -s A1:A17 "$work/customers.xlsx"

echo
echo "== kestrix remove-duplicates --yes -s A1:A17 -o customers-unique.xlsx customers.xlsx"
"$kestrix" remove-duplicates --yes --quiet -s A1:A17 -o "$work/customers-unique.xlsx" "$work/customers.xlsx"

echo
echo "== kestrix show -s A1:A17 customers-unique.xlsx"
"$kestrix" show -s A1:A17 "$work/customers-unique.xlsx"
