#!/usr/bin/env bash
# Clock extremes through the runner: one pass a second, 4000 passes a second, and a start tick just below
# 2^32 that wraps during the run. The game keeps running and counting seconds, Fps stays at least 1 and
# nothing in the trace goes non-finite.
#
#     clock.sh TRAMOLO-SIM
set -euo pipefail
sim=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# run NAME PASSES EVERY EXPECTED-SECONDS OPTIONS...
run() {
    local name=$1 passes=$2 every=$3 seconds=$4
    shift 4
    if ! "$sim" --quiet --passes "$passes" --trace "$work/$name" --trace-every "$every" "$@"; then
        echo "clock: $name: the runner failed"
        failed=1
        return
    fi
    local lines last elapsed
    lines=$(wc -l < "$work/$name")
    last=$(tail -n 1 "$work/$name")
    elapsed=$(sed -E 's/.*"ElapsedSeconds":(-?[0-9]+).*/\1/' <<< "$last")
    if [ "$lines" -ne $((passes / every)) ]; then
        echo "clock: $name: $lines trace lines, expected $((passes / every))"
        failed=1
    elif grep -q 'null' "$work/$name"; then
        echo "clock: $name: non-finite values in the trace"
        failed=1
    elif grep -q -E '"Fps":(0|-)' "$work/$name"; then
        echo "clock: $name: Fps fell below 1"
        failed=1
    elif grep -q '"Running":0' "$work/$name"; then
        echo "clock: $name: the game stopped running"
        failed=1
    elif [ "$elapsed" -lt $((seconds - 2)) ] || [ "$elapsed" -gt "$seconds" ]; then
        echo "clock: $name: $elapsed seconds counted, expected about $seconds"
        failed=1
    else
        echo "clock: $name: $passes passes, $elapsed seconds counted, Fps at the end $(sed -E 's/.*"Fps":([0-9]+).*/\1/' <<< "$last")"
    fi
}

# Each measuring interval is just over a second; at one pass a second it takes two passes.
run one-pass-a-second 300 1 150 --pass-ms 1000
run four-thousand-a-second 40000 100 9 --pass-ms 0.25
run wrapping-tick 3000 10 29 --start-tick 4294960000
# A race across the wrap: the player's car is driven while the tick counter passes 2^32.
printf '2 down 13\n3 up 13\n5 down 38\n' > "$work/race"
run wrapping-race 3000 10 29 --start-tick 4294967000 --input "$work/race"

exit "$failed"
