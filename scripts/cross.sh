#!/usr/bin/env bash
# Builds the game's headless runner for another compiler, system or processor, installing what is missing,
# into build-TARGET/; afterwards build-TARGET/tramolo-sim runs that target's runner on this machine (through
# Wine, node or qemu), with the runner's own options and files. For Windows it builds the game too
# (build-windows/tramolo runs it under Wine) and the zip of both programs, tramolo-VERSION-windows-x86_64.zip.
#
#     scripts/cross.sh [--check] linux-clang|windows|web|arm64|linux-gcc-O0|linux-gcc-O3
#
# linux-clang  clang at -O3 -march=native, this machine's processor
# linux-gcc-O0, linux-gcc-O3   gcc without optimisation and at its highest (the main build is -O2)
# windows      MinGW-w64, x86-64, run under Wine
# web          Emscripten (WebAssembly), run under node
# arm64        Debian's aarch64 cross compiler, run under qemu-user
#
# --check then compares that runner with the reference traces and this machine's own build, frame for frame
# (it builds build/ with the tests first when needed).
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
if [[ ${1:-} == --check ]]; then
    check=1
    shift
fi
target=${1:-}
dir=build-$target
jobs=$(nproc)

case $target in
linux-clang) want=(clang cmake libstb-dev) ;;
linux-gcc-O0 | linux-gcc-O3) want=(g++ cmake libstb-dev) ;;
windows) want=(g++-mingw-w64-x86-64 wine64 cmake libstb-dev) ;;
web) want=(emscripten nodejs cmake libstb-dev) ;;
arm64) want=(g++-aarch64-linux-gnu qemu-user cmake libstb-dev) ;;
*)
    echo "usage: scripts/cross.sh [--check] linux-clang|windows|web|arm64|linux-gcc-O0|linux-gcc-O3" >&2
    exit 2
    ;;
esac
bash scripts/deps.sh packages "${want[@]}"

# Only the runner and what it needs: no tests, benchmarks or window in the cross-built targets.
common=(-DCMAKE_BUILD_TYPE=Release -DTRAMOLO_TESTS=OFF -DTRAMOLO_BENCH=OFF -DTRAMOLO_FUZZ=OFF
        -DTRAMOLO_SANITIZE=OFF -DTRAMOLO_WERROR=ON -DSTB_INCLUDE_DIR=/usr/include/stb
        -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$PWD/$dir/bin")
case $target in
linux-clang)
    CC=clang CXX=clang++ cmake -S . -B "$dir" "${common[@]}" -DTRAMOLO_SDL=OFF \
        -DCMAKE_CXX_FLAGS="-O3 -march=native" > /dev/null
    runner=("$PWD/$dir/bin/tramolo-sim")
    ;;
linux-gcc-O0 | linux-gcc-O3)
    CC=gcc CXX=g++ cmake -S . -B "$dir" "${common[@]}" -DTRAMOLO_SDL=OFF \
        -DCMAKE_CXX_FLAGS_RELEASE="-${target#linux-gcc-}" > /dev/null
    runner=("$PWD/$dir/bin/tramolo-sim")
    ;;
windows)
    cmake -S . -B "$dir" "${common[@]}" -DTRAMOLO_SDL=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/windows.cmake" > /dev/null
    runner=(env WINEPREFIX="$PWD/$dir/wine" WINEDEBUG=-all /usr/lib/wine/wine64 "$PWD/$dir/bin/tramolo-sim.exe")
    ;;
web)
    # Debian's Emscripten finds its optimiser's parser (node-acorn) only through NODE_PATH.
    export NODE_PATH=/usr/share/nodejs
    emcmake cmake -S . -B "$dir" "${common[@]}" -DTRAMOLO_SDL=OFF > /dev/null
    runner=(node "$PWD/$dir/bin/tramolo-sim.js")
    ;;
arm64)
    cmake -S . -B "$dir" "${common[@]}" -DTRAMOLO_SDL=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/arm64.cmake" > /dev/null
    runner=(qemu-aarch64 -L /usr/aarch64-linux-gnu "$PWD/$dir/bin/tramolo-sim")
    ;;
esac
if [[ $target == windows ]]; then
    # The game itself too, and the zip of both programs.
    cmake --build "$dir" -j"$jobs" --target tramolo-sim tramolo windows-zip
else
    cmake --build "$dir" -j"$jobs" --target tramolo-sim
fi

# Wine's prefix made once, quietly, so that the runner's first run prints only what the runner says. Its
# menu colour, the game window's background beside the drawing area, is set to Windows' own light grey
# (Wine's theme has white, which nobody could tell from the game's white frame).
if [[ $target == windows && ! -f $dir/wine/system.reg ]]; then
    WINEPREFIX="$PWD/$dir/wine" WINEDEBUG=-all /usr/lib/wine/wine64 wineboot --init > /dev/null 2>&1 || true
    WINEPREFIX="$PWD/$dir/wine" WINEDEBUG=-all /usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Colors' \
        /v Menu /d '240 240 240' /f > /dev/null 2>&1 || true
    WINEPREFIX="$PWD/$dir/wine" /usr/lib/wine/wineserver -w
fi

# write_command NAME WHAT COMMAND...: a program of the target as a command of this machine, $dir/NAME.
write_command() {
    local name=$1 what=$2
    shift 2
    {
        echo '#!/bin/sh'
        echo "# The $target $what, run on this machine; made by scripts/cross.sh."
        [[ $target == web ]] && echo "export NODE_PATH=/usr/share/nodejs"
        printf 'exec'
        printf ' %q' "$@"
        echo ' "$@"'
    } > "$dir/$name"
    chmod +x "$dir/$name"
}
write_command tramolo-sim runner "${runner[@]}"
if [[ $target == windows ]]; then
    write_command tramolo game "${runner[@]:0:4}" "$PWD/$dir/bin/tramolo.exe"
    echo "tramolo: $dir/tramolo runs the Windows game; $dir/$(cd "$dir" && ls tramolo-*-windows-x86_64.zip) is its zip"
fi
echo "tramolo: $dir/tramolo-sim runs the $target runner"

if [[ $check == 1 ]]; then
    if [[ ! -x build/tramolo-tests ]]; then
        cmake -S . -B build -DTRAMOLO_TESTS=ON > /dev/null
        cmake --build build -j"$jobs" --target tramolo-tests tramolo-sim
    fi
    TRAMOLO_SIM_UNDER_TEST="$PWD/$dir/tramolo-sim" build/tramolo-tests \
        --gtest_filter='Golden/ReferenceTrace.*:CrossTarget.*'
fi
