#!/usr/bin/env bash
# Installs the Debian packages tramolo needs, when they are missing. Sourced by play.sh and test.sh.
# Usage: deps.sh play|test, or deps.sh packages NAME... for the packages named (scripts/cross.sh)
set -euo pipefail

want=(build-essential cmake pkg-config libsdl2-dev libx11-dev libstb-dev)
if [ "${1:-play}" = test ]; then
    # SDL_ttf and fonts-wine for the check of the built-in face against the installed one; libpng reads back
    # the PNG files the game writes; MPFR checks our own mathematics.
    want+=(libsdl2-ttf-dev fonts-wine libpng-dev libgtest-dev zlib1g-dev libbenchmark-dev xvfb xdotool
           x11-utils imagemagick python3 clang libclang-rt-14-dev man-db groff-base appstream
           desktop-file-utils lintian locales libmpfr-dev chromium openbox)
fi
if [ "${1:-play}" = packages ]; then
    shift
    want=("$@")
fi

missing=()
for pkg in "${want[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    echo "tramolo: installing missing Debian packages: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The display writes fractions with the decimal separator of the user's locale; one test needs a German one.
if [ "${1:-play}" = test ] && ! locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; then
    echo "tramolo: generating the locale de_DE.UTF-8"
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
