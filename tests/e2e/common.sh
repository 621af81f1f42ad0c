#!/usr/bin/env bash
# Shared helpers of the window tests: a virtual X server on a free display, the game started on it, its
# window found by title, and everything ended again when the script exits.
# A test script sources this file after setting test_name, then calls start_xvfb and start_game.
set -euo pipefail

game=$1
build=$3
work=$(mktemp -d)
xvfb_pid=
game_pid=
game_rc=

cleanup() {
    if [[ -n $game_pid ]] && kill -0 "$game_pid" 2>/dev/null; then kill "$game_pid" 2>/dev/null || true; fi
    if [[ -n $xvfb_pid ]] && kill -0 "$xvfb_pid" 2>/dev/null; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "$test_name: FAIL: $*" >&2
    if [[ -s $work/game.err ]]; then echo "game stderr: $(cat "$work/game.err")" >&2; fi
    exit 1
}

# Starts Xvfb; it picks a free display number itself and writes it to the descriptor once it is ready.
start_xvfb() {
    command -v Xvfb >/dev/null || fail "Xvfb not found"
    command -v xdotool >/dev/null || fail "xdotool not found"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s $work/display ]] && break
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
        sleep 0.1
    done
    [[ -s $work/display ]] || fail "Xvfb gave no display number"
    export DISPLAY=:$(tr -d '\n' <"$work/display")
    unset SDL_VIDEODRIVER WAYLAND_DISPLAY
}

# Starts the game on the virtual display and sets window to the id of its window.
start_game() {
    "$game" >"$work/game.out" 2>"$work/game.err" &
    game_pid=$!
    window=$(timeout 20 xdotool search --sync --name '^tramolo' 2>/dev/null | head -n 1) || true
    [[ -n $window ]] || fail "no tramolo window within 20 s"
    # Let a few frames reach the window.
    sleep 1
}

# Waits up to 10 s for the game to end and sets game_rc to its exit code.
wait_for_exit() {
    for _ in $(seq 100); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null && fail "the game did not end within 10 s"
    game_rc=0
    wait "$game_pid" || game_rc=$?
    game_pid=
}

# Takes a screenshot of the window into the given file.
screenshot() {
    /usr/bin/import -window "$window" "png:$1" 2>"$work/import.log" || fail "import failed: $(cat "$work/import.log")"
}

# Width and height of an image, as "W H".
image_size() {
    identify -format '%w %h' "$1"
}

# Number of pixels of the given colour (as "r,g,b") in the image, optionally within a crop geometry.
count_colour() {
    local file=$1 colour=$2 crop=${3:-}
    local args=("$file")
    if [[ -n $crop ]]; then args+=(-crop "$crop" +repage); fi
    convert "${args[@]}" -format %c histogram:info:- | awk -v want="($colour)" '
        { gsub(/ /, "") } index($0, want) { split($0, part, ":"); total += part[1] } END { print total + 0 }'
}
