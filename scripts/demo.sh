#!/usr/bin/env bash
# Shows Mirelo: installs what is missing, builds the Windows program and runs it under Wine with a
# sample start-up link, printing its "[Mirelo] " log. Ends with Ctrl-C or `scripts/demo.sh --stop`.
#
#   scripts/demo.sh            start the client (on $DISPLAY when set, otherwise on a private Xvfb)
#   scripts/demo.sh --stop     end a running demo client through "APPEXIT"
#
# Environment: MIRELO_DEMO_LOCALE (default ko_KR.UTF-8; en_US.UTF-8 for the English resources),
#              MIRELO_DEMO_PORT (notification port given in the link, default 7333).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
state=$root/build/demo
locale=${MIRELO_DEMO_LOCALE:-ko_KR.UTF-8}
port=${MIRELO_DEMO_PORT:-7333}
export WINEPREFIX=$state/prefix
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
export WINEARCH=win64
export LANG=$locale LC_ALL=$locale
program_dir=$WINEPREFIX/drive_c/Mirelo

code_page=cp1252
case $locale in ko_KR*) code_page=cp949 ;; esac

stop_client() {
    [ -f "$state/display" ] || { echo "demo: no demo client is running" >&2; return 1; }
    DISPLAY=$(cat "$state/display") WINEDEBUG=-all timeout 30 wine "$program_dir/Mirelo.exe" APPEXIT || true
}

if [ "${1:-}" = "--stop" ]; then
    stop_client
    exit 0
fi

"$root/scripts/setup.sh"
cmake --preset win32 >/dev/null
cmake --build --preset win32 >/dev/null
mkdir -p "$state"

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
    rm -f "$state/xvfb.display"
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$state/xvfb.display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$state/xvfb.display" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -1 "$state/xvfb.display")"
    echo "demo: private Xvfb on $DISPLAY"
fi
echo "$DISPLAY" >"$state/display"

cleanup() {
    trap - INT TERM EXIT
    stop_client >/dev/null 2>&1 || true
    wait "${client_pid:-}" 2>/dev/null || true
    WINEDEBUG=-all wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -f "$state/display"
}
trap cleanup INT TERM EXIT

"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
mkdir -p "$program_dir"
for f in Mirelo.exe Mirelo.ini PingoProxy.dll vocelink.dll; do
    [ -f "$root/build/win32/$f" ] && cp "$root/build/win32/$f" "$program_dir/"
done

# IPAddress, SendPort, BrowserTitle, ListenPort, UserID, AutoKill, Reflesh, NotifyLogOutType, UserKey,
# ServerUrl, speech, TCP mode, -, UseView, -, -, text conversion, RefreshUrl: each ends with ",".
link="qsnotifyclient://127.0.0.1,44444,Quillon Groupware,$port,demo,1,0,0,demo-key,http://127.0.0.1/,0,0,0,1,0,0,1,http://127.0.0.1/refresh,"
echo "demo: starting Mirelo.exe (locale $locale) with $link"
echo "demo: stop it with Ctrl-C or 'scripts/demo.sh --stop'"
WINEDEBUG=-all,+debugstr wine "$program_dir/Mirelo.exe" "$link" 2>&1 >/dev/null |
    python3 "$root/scripts/wine_log.py" --code-page "$code_page" &
client_pid=$!
wait "$client_pid" || true
