#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. Only the game is built: a build directory that
# exists keeps its options, the tests' among them; a new one is configured without the tests and the
# benchmarks, whose packages only test.sh installs.
#
#     scripts/play.sh [--build-only]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh play
if [[ ! -f build/CMakeCache.txt ]]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMOLO_TESTS=OFF -DTRAMOLO_BENCH=OFF > /dev/null
fi
cmake --build build -j"$(nproc)" --target tramolo
[[ ${1:-} == --build-only ]] && exit 0
exec ./build/tramolo
