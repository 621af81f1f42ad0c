#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit, runner and long tests, the
# real-window tests under Xvfb, the Windows and web runners against the reference traces and the web page in
# Chromium in a gcc build; then, in a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer (tests and libFuzzer targets included, warnings as errors), the unit tests (a
# shorter soak, not the long pass-rate and clock runs) and the fuzz targets over their seed corpora.
# Each build is configured with exactly the options it needs, whatever configured it before (play.sh, a
# release build, an old cache), and every ctest call fails when it finds no test. The last lines say, build
# by build, how many tests ran, passed, failed and were skipped, and why each skip happened.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
jobs="$(nproc)"
summaries=()
failed=0

# configure DIR C-COMPILER C++-COMPILER OPTIONS...: a build directory whose cache names another compiler
# is made anew, since CMake keeps the compiler of its first run.
configure() {
    local dir=$1 cc=$2 cxx=$3
    shift 3
    local want cached
    want=$(readlink -f "$(command -v "$cxx")")
    cached=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$dir/CMakeCache.txt" 2>/dev/null || true)
    if [[ -n $cached && $(readlink -f "$cached") != "$want" ]]; then
        echo "tramolo: $dir was configured with another compiler; configuring it anew"
        rm -rf "$dir"
    fi
    CC=$cc CXX=$cxx cmake -S . -B "$dir" "$@" > /dev/null
}

# run_tests NAME DIR CTEST-OPTIONS...: runs ctest in DIR and keeps its summary line; a failure is counted,
# and the script goes on to the other builds so that the summary covers them all.
run_tests() {
    local name=$1 dir=$2
    shift 2
    local junit=$PWD/$dir/junit.xml
    rm -f "$junit"
    if ! ctest --test-dir "$dir" --output-on-failure --no-tests=error --output-junit "$junit" "$@"; then
        failed=1
    fi
    summaries+=("$(python3 scripts/ctest-summary.py "$name" "$junit")")
}

echo "== the runner for Windows (under Wine) and the web (under node), by scripts/cross.sh, and the web page"
bash scripts/cross.sh windows
bash scripts/web.sh --build-only

echo "== build (warnings are errors)"
configure build cc c++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMOLO_WERROR=ON -DTRAMOLO_TESTS=ON \
    -DTRAMOLO_BENCH=ON -DTRAMOLO_SANITIZE=OFF -DTRAMOLO_FUZZ=OFF -DTRAMOLO_CROSS_TARGETS="windows;web"
cmake --build build -j"$jobs"
echo "== tests"
run_tests "build" build -j"$jobs"

echo "== sanitizer build (clang, warnings are errors; the fuzz targets too)"
# -O1, as the sanitizers advise: the game's own mathematics at -O0 under them would take most of the run.
configure build-sanitize clang clang++ -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DTRAMOLO_WERROR=ON -DTRAMOLO_TESTS=ON \
    -DTRAMOLO_BENCH=OFF -DTRAMOLO_SANITIZE=ON -DTRAMOLO_FUZZ=ON
cmake --build build-sanitize -j"$jobs"
echo "== unit tests under the sanitizers, fuzz targets over their seed corpora"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_tests "build-sanitize" build-sanitize -j"$jobs" -L '^(unit|fuzz)$'

echo "== summary"
printf '%s\n' "${summaries[@]}"
python3 - "${summaries[@]}" <<'PY'
import re, sys
total = [0, 0, 0]
for line in sys.argv[1:]:
    found = re.search(r"(\d+) passed, (\d+) failed, (\d+) skipped", line)
    if found:
        total = [t + int(n) for t, n in zip(total, found.groups())]
print(f"all: {total[0]} passed, {total[1]} failed, {total[2]} skipped")
PY
exit "$failed"
