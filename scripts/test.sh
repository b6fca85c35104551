#!/usr/bin/env bash
# Installs what is missing, builds every target and runs the whole test suite through CTest:
# the Windows test programs under Wine first, then the native unit tests and the end-to-end tests,
# then the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and every fuzz
# target for a few seconds (scripts/fuzz.sh runs them longer).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"

# The shipped 32-bit binaries are always built; Wine runs the build of scripts/windows-target.sh.
target=$("$root/scripts/windows-target.sh")
cmake --preset win32 >/dev/null
cmake --build --preset win32
if [ "$target" != win32 ]; then
    echo "test: this machine cannot run 32-bit programs: the Wine tests run the $target build"
    cmake --preset "$target" >/dev/null
    cmake --build --preset "$target"
fi
cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

jobs=$(nproc)
status=0
if [ -n "$(ctest --test-dir "build/$target" -N | grep -E '^ +Test +#')" ]; then
    ctest --test-dir "build/$target" --output-on-failure -j "$jobs" || status=$?
fi
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=$?
ctest --test-dir build/native-asan --output-on-failure -j "$jobs" || status=$?
ctest --test-dir build/fuzz --output-on-failure -j "$jobs" || status=$?
exit $status
