#!/usr/bin/env bash
# Shows Mirelo: installs what is missing, builds the Windows program and runs it under Wine with a
# sample start-up link, printing its "[Mirelo] " log. Ends with Ctrl-C or `scripts/demo.sh --stop`.
#
#   scripts/demo.sh            start the client (on $DISPLAY when set, otherwise on a private Xvfb)
#   scripts/demo.sh --stop     end a running demo client through "APPEXIT"
#
# Environment: MIRELO_DEMO_LOCALE (default ko_KR.UTF-8; en_US.UTF-8, ja_JP.UTF-8 or zh_CN.UTF-8 for the
#              English, Japanese or Chinese resources),
#              MIRELO_DEMO_PORT (notification port given in the link; by default 7333, or the next
#              free one when another program holds it).
# The whole log is kept in build/demo/demo.log, the build's output in build/demo/build.log.
#
# Notifications are spoken: a local vocelink-server (espeak-ng) answers the client, which finds it
# through the suite's settings file named by the registry. Wine's audio is turned on when the machine
# has a sound device; otherwise what the client would play is kept as speech-NNN.wav beside demo.log.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
state=$root/build/demo
locale=${MIRELO_DEMO_LOCALE:-ko_KR.UTF-8}
export WINEPREFIX=$state/prefix
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
export WINEARCH=win64
export LANG=$locale LC_ALL=$locale
program_dir=$WINEPREFIX/drive_c/Mirelo

code_page=cp1252
case $locale in ko_KR*) code_page=cp949 ;; ja_JP*) code_page=cp932 ;; zh_CN*) code_page=gbk ;; esac

stop_client() {
    [ -f "$state/display" ] || { echo "demo: no demo client is running" >&2; return 1; }
    DISPLAY=$(cat "$state/display") WINEDEBUG=-all timeout 30 wine "$program_dir/Mirelo.exe" APPEXIT || true
}

if [ "${1:-}" = "--stop" ]; then
    source "$root/scripts/wine-env.sh"
    stop_client
    exit 0
fi

mkdir -p "$state"
build_log=$state/build.log
: >"$build_log"

# Runs a command with its output in the build log, telling every 15 seconds that it is still busy
# (with the build's step count when it has one); on failure shows the end of the log.
quietly() {
    local what=$1 started=$SECONDS next=$((SECONDS + 15)) from step
    from=$(stat -c %s "$build_log")
    shift
    "$@" >>"$build_log" 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        if [ "$SECONDS" -ge "$next" ]; then
            next=$((next + 15))
            step=$(tail -c +$((from + 1)) "$build_log" | grep -o '^\[[0-9]*/[0-9]*\]' | tail -1 || true)
            echo "demo:   still $what ($((SECONDS - started)) s${step:+, step ${step:1:-1}})"
        fi
    done
    if ! wait "$pid"; then
        echo "demo: $what failed (\`$*\`); the end of what it wrote:" >&2
        tail -c +$((from + 1)) "$build_log" | tail -n 25 >&2
        exit 1
    fi
}

echo "demo: checking the packages the demo needs (scripts/setup.sh; long only the first time)"
quietly "installing packages" "$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"
target=$MIRELO_WINE_TARGET
echo "demo: building Mirelo.exe, mirelo-send and vocelink-server (a few minutes the first time; log in $build_log)"
quietly "building" cmake --preset "$target"
quietly "building" cmake --build --preset "$target"
quietly "building" cmake --preset native
quietly "building" cmake --build --preset native --target mirelo-send vocelink-server
send=$root/build/native/tools/mirelo-send/mirelo-send
log=$state/demo.log
rm -f "$log" "$state"/speech-*.wav "$state"/speech-*.txt
port=$(python3 "$root/scripts/demo_port.py" --requested "${MIRELO_DEMO_PORT:-}")

xvfb_pid=""
speech_pid=""
web_pid=""
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
    [ -n "$speech_pid" ] && kill "$speech_pid" 2>/dev/null
    [ -n "$web_pid" ] && kill "$web_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -f "$state/display"
}
trap cleanup INT TERM EXIT

echo "demo: preparing the Wine prefix $WINEPREFIX (about a minute the first time)"
quietly "preparing Wine" "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
mkdir -p "$program_dir"
for f in "$root"/build/$target/{Mirelo.exe,Mirelo.ini,PingoProxy.dll,vocelink.dll,*.wav,*.AVI}; do
    [ -f "$f" ] && cp "$f" "$program_dir/"
done

# The speech server on a free loopback port, named by the suite's settings file, which the client finds
# through the registry (the 32-bit view, where the suite's installer writes).
speech_options=(--port 0)
[ "$code_page" = cp949 ] && speech_options+=(--voice ko)
# A playback device of ALSA is what Wine's audio driver would use.
if compgen -G '/dev/snd/pcmC*D*p' >/dev/null; then
    WINEDEBUG=-all wine reg delete 'HKCU\Software\Wine\Drivers' /v Audio /f >/dev/null 2>&1 || true
    echo "demo: sound device found: the client speaks aloud through Wine's audio driver"
else
    WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d "" /f >/dev/null 2>&1 || true
    speech_options+=(--save-dir "$state")
    echo "demo: no sound device: what the client would say is kept as $state/speech-NNN.wav"
fi
coproc speech { exec "$root/build/native/vocelink-server" "${speech_options[@]}" 2>>"$log"; }
speech_pid=$speech_PID
speech_port=""
read -r -t 20 speech_port <&"${speech[0]}" || true
[ -n "$speech_port" ] || echo "demo: the speech server did not start (see $log): nothing will be spoken" >&2
suite_dir=$WINEPREFIX/drive_c/Quillon
mkdir -p "$suite_dir/bin"
printf '[TTS]\r\nIP=127.0.0.1\r\nPort=%s\r\n' "$speech_port" >"$suite_dir/bin/tesseldef.ini"
WINEDEBUG=-all wine reg add 'HKLM\SOFTWARE\Corvane\Quillon Groupware 6.5' /v TesselDir32 /t REG_SZ \
    /d 'C:\Quillon\' /f /reg:32 >/dev/null
echo "demo: notifications are spoken by vocelink-server (espeak-ng) on 127.0.0.1:$speech_port," \
    "named by C:\\Quillon\\bin\\tesseldef.ini"

# A local stand-in for the groupware web server: the refresh request and the pages View opens.
rm -f "$state/web.port"
python3 "$root/scripts/demo_web.py" --port-file "$state/web.port" &
web_pid=$!
for _ in $(seq 50); do [ -s "$state/web.port" ] && break; sleep 0.1; done
web="http://127.0.0.1:$(cat "$state/web.port")"

# IPAddress, SendPort, BrowserTitle, ListenPort, UserID, AutoKill, Reflesh, NotifyLogOutType, UserKey,
# ServerUrl, speech, TCP mode, -, UseView, -, -, text conversion, RefreshUrl: each ends with ",".
link="qsnotifyclient://127.0.0.1,44444,Quillon Groupware,$port,demo,1,0,0,demo-key,$web/,1,0,0,1,0,0,1,$web/refresh,"
echo "demo: starting Mirelo.exe (locale $locale) on UDP port $port; stop it with Ctrl-C or 'scripts/demo.sh --stop'"
echo "demo: the client's main events follow; its whole log is in $log"
# Diagnostic lines that only a developer reads stay in the whole log.
hidden='^\[Mirelo\] (pop-up [a-z]+ texts? |payload field|start: command line|INI file|StoreFile|UserKey|EditFlags|viewer command|CNotifyClient - )'
WINEDEBUG=-all,+debugstr wine "$program_dir/Mirelo.exe" "$link" 2>&1 >/dev/null |
    python3 "$root/scripts/wine_log.py" --code-page "$code_page" | tee -a "$log" |
    grep --line-buffered -vE "$hidden" &
client_pid=$!

# Notifications go out once the client listens; anything else it says first is the reason it does not.
ready=""
for _ in $(seq 600); do
    if grep -q "listening for notifications on UDP port $port" "$log"; then ready=1; break; fi
    if grep -qE "Error Number|second instance|start-up failed" "$log"; then break; fi
    kill -0 "$client_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "demo: the client is not listening on UDP port $port, so no notifications are sent." >&2
    if grep -q "second instance" "$log"; then
        echo "demo: a demo client is already running: end it with 'scripts/demo.sh --stop' first" >&2
    else
        echo "demo: see $log" >&2
    fi
    exit 1
fi

# A few notifications as the groupware server sends them.
now=$(date '+%Y-%m-%d %H:%M')
if [ "$code_page" = cp949 ]; then
    texts=("김민지 (영업팀)" "분기 실적 자료가 준비되었습니다" "이준" "공지사항" "금요일 사무실 이전 안내"
           "박소라" "디자인 검토 회의" "최현" "2027년 예산안"
           "서버 점검 안내" $'오늘 18시에 메일 서버를 다시 시작합니다.\n작성 중인 편지를 저장해 주십시오.'
           "정보팀" "도움말 요청 처리 완료" $'요청하신 프린터 설정을 마쳤습니다.\n확인 부탁드립니다.'
           "총무팀" $'이번 금요일은 창립기념일로 휴무입니다.\n좋은 주말 보내십시오.'
           "소방 훈련 15시" "계단으로 대피하십시오" "주차장에 모입니다"
           "소방 훈련" "오후 3시에 주차장으로 모여 주세요" "정해린" "총무팀" "과장")
else
    texts=("Kim Minji (Sales)" "Quarterly figures are ready" "Lee Jun" "Notices" "Office move on Friday"
           "Park Sora" "Design review" "Choi Hyun" "Budget 2027"
           "Server maintenance" $'The mail server restarts at 18:00 today.\nPlease save your drafts.'
           "Help desk" "Your request is done" $'The printer settings you asked for are in place.\nPlease check them.'
           "General affairs" $'The office is closed this Friday for the founding day.\nHave a good weekend.'
           "Fire drill at 15:00" "Leave by the stairs" "Meet in the car park"
           "Fire drill" "Meet in the car park at 3 pm" "Jung Haerin" "Facilities" "Manager")
fi
"$send" mail --sender "${texts[0]}" --subject "${texts[1]}" --date "$now" \
    --function OpenMail --url "$web/mail/read?id=7" --port "$port" --quiet || true
sleep 1
"$send" bbs --poster "${texts[2]}" --board "${texts[3]}" --title "${texts[4]}" --date "$now" \
    --function OpenBbs --url "$web/bbs/view?id=42" --urgent --port "$port" --quiet || true
sleep 1
"$send" schedule --requester "${texts[5]}" --subject "${texts[6]}" --date "$now" --port "$port" --quiet || true
sleep 1
"$send" approval --kind 4 --doc-kind 8 --action 1 --drafter "${texts[7]}" --subject "${texts[8]}" \
    --date "$now" --function OpenSanc --url "$web/sanc/doc?id=9" --port "$port" --quiet || true
sleep 1
"$send" message --kind 8 --subject "${texts[9]}" --body "${texts[10]}" --icon 2 --date "$now" \
    --port "$port" --quiet || true
sleep 1
"$send" message --kind 9 --title "${texts[11]}" --sender "${texts[11]}" --subject "${texts[12]}" \
    --body "${texts[13]}" --date "$now" --function OpenTicket --url "$web/ticket?id=5" \
    --port "$port" --quiet || true
sleep 1
"$send" notice --sender "${texts[14]}" --text "${texts[15]}" --date "$now" --port "$port" --quiet || true
sleep 1
"$send" notice --sender "${texts[14]}" --animated --header "${texts[16]}" --icon sancavi.avi \
    --text1 "${texts[17]}" --text2 "${texts[18]}" --date "$now" --port "$port" --quiet || true
sleep 1
# The alert comes last: from it on, every pop-up appears at the right bottom.
"$send" alert --title "${texts[19]}" --message "${texts[20]}" --sender "${texts[21]}" --dept "${texts[22]}" \
    --job "${texts[23]}" --date "$(date '+%Y%m%d%H%M%S')" --href "http://127.0.0.1/alert/view?id=3" \
    --port "$port" --quiet || true
echo "demo: sent a mail, a bulletin-board post, a schedule request, an approval, two messages, a notice,"
echo "demo: an animated notice and an alert; send more with"
echo "demo:   $send mail --sender NAME --subject TEXT --port $port"
wait "$client_pid" || true
