#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs the whole test suite through CTest:
# the Windows test programs under Wine first, then the native unit tests and the end-to-end tests.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"

cmake --preset win32 >/dev/null
cmake --build --preset win32
cmake --preset native >/dev/null
cmake --build --preset native

jobs=$(nproc)
status=0
if [ -n "$(ctest --test-dir build/win32 -N | grep -E '^ +Test +#')" ]; then
    ctest --test-dir build/win32 --output-on-failure -j "$jobs" || status=$?
fi
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=$?
exit $status
