#!/usr/bin/env bash
# The floors check fails on what it is there to catch: in a copy of the tree, an upward include, an include
# between two rooms of one floor and a system header outside a backend, each named on its own line; and
# the untouched copy passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$root/src" "$root/tools" "$root/docs" "$copy/"
check=(python3 "$root/tests/floors/floors.py" "$copy")
"${check[@]}" > /dev/null || { echo "the untouched tree fails"; exit 1; }

printf '#include "shell/Shell.h"\n' >> "$copy/src/draw/Canvas.cpp"
printf '#include "camera/Camera.h"\n' >> "$copy/src/dynamics/Dynamics.h"
printf '#include <SDL.h>\n' >> "$copy/src/world/Models.cpp"
if out=$("${check[@]}"); then
    echo "the planted includes pass"
    exit 1
fi
for want in 'src/draw/Canvas.cpp:[0-9]*: #include "shell/Shell.h": draw reaches up to shell, a higher floor' \
            'src/dynamics/Dynamics.h:[0-9]*: #include "camera/Camera.h": dynamics reaches up to camera, a room of the same floor' \
            'src/world/Models.cpp:[0-9]*: #include <SDL.h>: a system header outside'; do
    grep -q "$want" <<< "$out" || { echo "not named: $want"; echo "$out"; exit 1; }
done
[[ $(grep -c '^floors: src/' <<< "$out") == 3 ]] || { echo "more than the three planted: $out"; exit 1; }
echo "floors: the three planted includes are named"
