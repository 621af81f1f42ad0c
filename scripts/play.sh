#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMOLO_TESTS=OFF -DTRAMOLO_BENCH=OFF > /dev/null
cmake --build build -j"$(nproc)" --target tramolo
exec ./build/tramolo
