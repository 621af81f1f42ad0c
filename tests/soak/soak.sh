#!/usr/bin/env bash
# Soak: the runner over a random, seeded input script. Passes when the run ends by the script's close
# (exit code 0) within its time, the sampled trace holds no non-finite value and a frame rate of at least
# 1, and the resident memory does not grow after the first quarter of the run.
#
#     soak.sh TRAMOLO-SIM TRAMOLO-SOAK-SCRIPT PASSES SEED
set -euo pipefail
sim=$1 generator=$2 passes=$3 seed=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$generator" "$seed" "$passes" > "$work/script"
every=$(( passes / 400 > 0 ? passes / 400 : 1 ))
limit=$(( passes / 500 + 300 ))

"$sim" --passes $((passes + 10)) --input "$work/script" --trace "$work/trace" --trace-every "$every" --quiet &
pid=$!
rss=()
start=$SECONDS
while kill -0 "$pid" 2>/dev/null; do
    if [ $((SECONDS - start)) -gt "$limit" ]; then
        kill -9 "$pid"
        echo "soak: no end after ${limit} s: a hang"
        exit 1
    fi
    r=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$r" ] && rss+=("$r")
    sleep 0.5
done
set +e
wait "$pid"
code=$?
set -e
echo "soak: $passes passes, seed $seed, exit code $code, $((SECONDS - start)) s"
[ "$code" -eq 0 ] || { echo "soak: exit code $code, expected 0 after the close"; exit 1; }

lines=$(wc -l < "$work/trace")
[ "$lines" -gt 10 ] || { echo "soak: the trace has only $lines lines"; exit 1; }
if grep -q 'null' "$work/trace"; then
    echo "soak: non-finite values in the trace:"
    grep -o '"[A-Za-z]*":null' "$work/trace" | sort | uniq -c | head
    exit 1
fi
if grep -q -E '"Fps":(0|-)' "$work/trace"; then
    echo "soak: Fps fell below 1"
    exit 1
fi

n=${#rss[@]}
if [ "$n" -ge 8 ]; then
    base=${rss[$((n / 4))]}
    last=${rss[$((n - 1))]}
    echo "soak: resident memory ${base} kB after a quarter of the run, ${last} kB at the end"
    if [ "$last" -gt $((base + base / 10 + 8192)) ]; then
        echo "soak: memory grew"
        exit 1
    fi
fi
echo "soak: $lines trace samples checked, all finite"
