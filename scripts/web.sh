#!/usr/bin/env bash
# The game in a web page: installs what is missing, builds the static site into build-web/site/ (the page,
# its script, the WebAssembly module and the icon) and serves it on http://127.0.0.1:8000/. Any static web
# host serves the same folder; nothing is loaded from elsewhere.
#
#     scripts/web.sh [--build-only] [--port N]
set -euo pipefail
cd "$(dirname "$0")/.."
build_only=0
port=8000
while (($# > 0)); do
    case $1 in
    --build-only) build_only=1 ;;
    --port)
        port=${2:?--port needs a number}
        shift
        ;;
    *)
        echo "usage: scripts/web.sh [--build-only] [--port N]" >&2
        exit 2
        ;;
    esac
    shift
done

# The web target's build directory, made and configured as the web runner's (Emscripten, its options).
bash scripts/cross.sh web
export NODE_PATH=/usr/share/nodejs
cmake --build build-web -j"$(nproc)" --target tramolo-site
echo "tramolo: the page is in build-web/site ($(du -sh build-web/site | cut -f1))"
[[ $build_only == 1 ]] && exit 0
exec node scripts/web-serve.mjs build-web/site "$port"
