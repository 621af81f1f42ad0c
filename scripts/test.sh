#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and runner tests, the real-window
# tests under Xvfb, and the unit tests again in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
jobs="$(nproc)"

echo "== build (warnings are errors)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMOLO_WERROR=ON > /dev/null
cmake --build build -j"$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTRAMOLO_WERROR=ON -DTRAMOLO_SANITIZE=ON \
      -DTRAMOLO_BENCH=OFF > /dev/null
cmake --build build-sanitize -j"$jobs"
echo "== tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -L unit

echo "== fuzz targets over their seed corpora"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DTRAMOLO_FUZZ=ON -DTRAMOLO_TESTS=OFF \
      -DTRAMOLO_BENCH=OFF > /dev/null
cmake --build build-fuzz -j"$jobs"
ctest --test-dir build-fuzz --output-on-failure -L fuzz
