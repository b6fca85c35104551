#!/usr/bin/env bash
# Runs every benchmark and prints one report: each figure with its goal and whether it is met.
# Not part of the test run. Installs what is missing and builds first, like the other scripts.
#   scripts/bench.sh [--runs N] [--quick]
#     --runs N   runs of each program per start-up and pop-up figure (default 20, at least 20 for the goals)
#     --quick    fewer runs and notifications: a check that every benchmark works, not figures to report
# Every benchmark's whole output stays in build/bench/<name>.log.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

runs=20
memory=1000
flood=()
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --quick) runs=2; memory=200; flood=(--quick); shift ;;
        *) echo "usage: scripts/bench.sh [--runs N] [--quick]" >&2; exit 2 ;;
    esac
done

"$root/scripts/setup.sh"
target=$("$root/scripts/windows-target.sh")
for preset in "$target" native; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

logs="$root/build/bench"
mkdir -p "$logs"
status=0
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# bench NAME COMMAND...: runs one benchmark under nice, keeping its output; a failure is reported, not fatal.
bench() {
    local name="$1"
    shift
    echo "bench: $name"
    if ! nice -n 10 "$@" >"$logs/$name.log" 2>&1; then
        echo "RESULT $name | failed, see build/bench/$name.log | runs | NOT met" >>"$logs/$name.log"
        status=1
    fi
}

bench store build/native/bench/store/store-bench --summary
bench history build/native/bench/history/history-bench
bench vocelink build/native/bench/vocelink/vocelink-bench
bench reception /usr/bin/python3 bench/reception/burst.py
bench flood /usr/bin/python3 bench/flood/flood.py "${flood[@]}"
bench compare /usr/bin/python3 bench/probe/compare.py --runs "$runs" --memory "$memory"

echo
echo "Mirelo benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), Wine build $target"
echo "machine load (1/5/15 min): before $load_before, after $(cut -d' ' -f1-3 /proc/loadavg)"
for name in store history vocelink reception flood compare; do
    [ -f "$logs/$name.log" ] || continue
    echo
    echo "== $name"
    # Figures with goals; the benchmarks without goals print their own summary lines.
    if grep -q '^RESULT ' "$logs/$name.log"; then
        grep -v '^RESULT ' "$logs/$name.log" | grep -E '^(machine load|  first|[A-Za-z]+: start-up runs)' || true
        grep '^RESULT ' "$logs/$name.log" | sed 's/^RESULT //' |
            awk -F' [|] ' '{ printf "  %-44s %s\n  %-44s goal %s: %s\n", $1, $2, "", $3, $4 }'
    elif grep -q '^Goals' "$logs/$name.log"; then
        sed -n '/^Goals/,$p' "$logs/$name.log" | sed 's/^/  /'
    else
        sed 's/^/  /' "$logs/$name.log" | tail -n 12
    fi
done
exit $status
