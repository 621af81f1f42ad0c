#!/usr/bin/env bash
# Installs the Debian packages tramolo needs, when they are missing. Sourced by play.sh and test.sh.
# Usage: deps.sh play|test
set -euo pipefail

want=(build-essential cmake pkg-config libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fontconfig
      fonts-wine fonts-dejavu-core libx11-dev libpng-dev)
if [ "${1:-play}" = test ]; then
    want+=(libgtest-dev zlib1g-dev libbenchmark-dev xvfb xdotool x11-utils imagemagick python3 clang
           libclang-rt-14-dev man-db groff-base appstream desktop-file-utils lintian)
fi

missing=()
for pkg in "${want[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "tramolo: installing missing Debian packages: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
