#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's test prefix: the CTest emulator for the
# cross build, and the way to run a tool by hand.  Usage: wine-run.sh PROGRAM.exe [ARGS...]
# Environment: WINEPREFIX (default build/wine-prefix), MIRELO_WINE_TIMEOUT (seconds, default 120).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=,winedbg.exe=d"}
export WINEDEBUG=${WINEDEBUG:-"-all"}
export WINEARCH=${WINEARCH:-win64}
limit=${MIRELO_WINE_TIMEOUT:-120}

"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
exec timeout --kill-after=5 "$limit" wine "$@"
