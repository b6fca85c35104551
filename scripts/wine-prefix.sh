#!/usr/bin/env bash
# Creates a Wine prefix ready for Mirelo's tests when it does not exist yet: booted, no window
# manager decorations to wait for, no audio device noise.  Usage: wine-prefix.sh PREFIX
set -euo pipefail

prefix=$1
[ -f "$prefix/.mirelo-ready" ] && exit 0
mkdir -p "$prefix"
# Two test runs may ask for the same prefix at once: one creates it, the other waits.
exec 9>"$prefix/.mirelo-lock"
flock 9
[ -f "$prefix/.mirelo-ready" ] && exit 0
source "$(dirname "$0")/wine-env.sh"
export WINEPREFIX=$prefix
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=,winedbg.exe=d"}
export WINEDEBUG=-all
timeout 180 wineboot -i >/dev/null 2>&1
# Unmanaged windows: hiding or destroying a captioned window otherwise stalls without a window manager.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d "" /f >/dev/null 2>&1
timeout 60 wineserver -w || true
touch "$prefix/.mirelo-ready"
