#!/usr/bin/env bash
# Runs one fuzz target of a build folder for SECONDS (or RUNS executions, when given) from its seeds
# and from what earlier runs of the folder found; prints "<name>: <executions> executions" at the end.
# Usage: run_target.sh BUILD_DIR NAME SECONDS [RUNS]
set -euo pipefail
build=$1 name=$2 seconds=$3 runs=${4:--1}
here=$(cd "$(dirname "$0")" && pwd)
corpus="$build/fuzz-corpus/$name"
crashes="$build/fuzz-crashes/$name"
mkdir -p "$corpus" "$crashes"
dict=()
case $name in
    xml_batch | store | history_index) dict=(-dict="$here/xml.dict") ;;
    alert) dict=(-dict="$here/json.dict") ;;
esac
log="$build/fuzz-logs/$name.log"
mkdir -p "$(dirname "$log")"
status=0
"$build/fuzz_$name" -max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "${dict[@]}" "$corpus" "$build/fuzz-seeds/$name" \
    >"$log" 2>&1 || status=$?
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
echo "$name: ${executions:-0} executions"
if [ $status -ne 0 ]; then
    tail -n 60 "$log"
    echo "$name: failed (exit $status); the input is in $crashes/"
fi
exit $status
