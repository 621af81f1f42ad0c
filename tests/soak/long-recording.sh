#!/usr/bin/env bash
# A long recording replays with the memory of a short one: the runner reads a script as a stream. Two
# synthetic recordings, one four times as long as the other, are replayed to their end; the longer may take
# no more resident memory than the shorter (within 1 MiB).
#
#     long-recording.sh TRAMOLO-SIM TRAMOLO-SOAK-SCRIPT PASSES
set -euo pipefail
sim=$1 generator=$2 passes=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The peak resident memory of a replay, in kB; its exit code must be the recording's (0 after the close).
peak() {
    python3 - "$sim" "$1" <<'PY'
import resource, subprocess, sys
code = subprocess.run([sys.argv[1], "--quiet", "--input", sys.argv[2]]).returncode
if code != 0:
    sys.exit(f"long-recording: the replay of {sys.argv[2]} ended with exit code {code}")
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
PY
}

"$generator" 11 "$passes" recording > "$work/short.txt"
"$generator" 11 $((passes * 4)) recording > "$work/long.txt"
short=$(peak "$work/short.txt")
long=$(peak "$work/long.txt")
echo "long-recording: $passes passes ($(stat -c %s "$work/short.txt") bytes) in $short kB," \
    "$((passes * 4)) passes ($(stat -c %s "$work/long.txt") bytes) in $long kB"
if [ "$long" -gt $((short + 1024)) ]; then
    echo "long-recording: the longer recording took more memory"
    exit 1
fi
