#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz: clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS, one after another at low priority, from its seeds and from what earlier
# runs found (build/fuzz/fuzz-corpus/). Prints the executions of every target; inputs that crash are
# kept in build/fuzz/fuzz-crashes/<target>/.
# Usage: scripts/fuzz.sh SECONDS [TARGET...]     (RUNS=N stops each target after N executions)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1
shift

"$root/scripts/setup.sh"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets <"build/fuzz/fuzz-targets.txt"; fi
status=0
for name in "${targets[@]}"; do
    nice -n 10 "$root/fuzz/run_target.sh" "$root/build/fuzz" "$name" "$seconds" "${RUNS:--1}" || status=1
done
exit $status
