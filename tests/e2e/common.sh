#!/usr/bin/env bash
# Shared helpers of the window tests: a virtual X server on a free display, the game started on it, its
# window found by title, and everything ended again when the script exits. The game's settings live in a
# folder of the test's own (XDG_CONFIG_HOME; under Wine the test prefix's application data, emptied first),
# never in the user's.
# A test script sources this file after setting test_name, then calls start_xvfb and start_game.
#
# Nothing here sleeps a fixed time and hopes: every step waits for the condition it needs, polling, until a
# deadline generous enough for a machine whose cores are all busy, and fails there saying what never came.
set -euo pipefail

game=$1
build=$3
work=$(mktemp -d)
xvfb_pid=
game_pid=
game_rc=
sent_keys=()
# The client area the game's window shows at first, "W H": the drawing area once on the 1024 x 768 screen.
client_size="596 572"
export XDG_CONFIG_HOME=$work/config
# The records too are the test's own.
export XDG_DATA_HOME=$work/data
if [[ -n ${WINEPREFIX:-} ]]; then
    settings_file=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/tramolo/settings.conf
else
    settings_file=$XDG_CONFIG_HOME/tramolo/settings.conf
fi
# A settings file that sets nothing: the defaults, and no line about a missing file in the game's stderr.
# A test that starts the game again as if for the first time calls it again.
forget_settings() {
    rm -rf "$(dirname "$settings_file")"
    mkdir -p "$(dirname "$settings_file")"
    echo "# the window tests' own settings" >"$settings_file"
}
forget_settings

cleanup() {
    if [[ -n $game_pid ]] && kill -0 "$game_pid" 2>/dev/null; then kill "$game_pid" 2>/dev/null || true; fi
    if [[ -n $xvfb_pid ]] && kill -0 "$xvfb_pid" 2>/dev/null; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Seconds any one awaited condition may take.
deadline=${TRAMOLO_E2E_DEADLINE:-60}
# Seconds one screenshot may take: ImageMagick's import waits for ever on a window that vanishes under it.
shot_seconds=20

fail() {
    echo "$test_name: FAIL: $*" >&2
    if [[ -s $work/game.err ]]; then echo "game stderr: $(cat "$work/game.err")" >&2; fi
    exit 1
}

# start_xvfb [WxH]: starts Xvfb with a screen of that size (1024x768 unless given); it picks a free display
# number itself and writes it to the descriptor once it is ready. It does not reset when its last client
# leaves, so that the helpers' own connections never close it under the game. Under Wine the display is the
# one under-wine.sh started, at the size the Wine desktop was made for.
start_xvfb() {
    command -v Xvfb >/dev/null || fail "Xvfb not found"
    command -v xdotool >/dev/null || fail "xdotool not found"
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    xvfb_ready() {
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
        [[ -s $work/display ]]
    }
    wait_for "$deadline" "Xvfb giving its display number" xvfb_ready
    export DISPLAY=:$(tr -d '\n' <"$work/display")
    unset SDL_VIDEODRIVER WAYLAND_DISPLAY
    # The number comes once the server listens; on a busy machine a client may still find it not answering.
    xvfb_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }
    wait_for "$deadline" "the virtual display $DISPLAY answering" xvfb_answers
}

# Ends the virtual display, so that a test can start another of a different size.
stop_xvfb() {
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    xvfb_pid=
    rm -f "$work/display"
}

# wait_for SECONDS WHAT COMMAND...: runs COMMAND every 0.2 s until it succeeds; fails at the deadline with
# "WHAT: not within SECONDS s", and what COMMAND last put into why, if anything.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local end=$((SECONDS + seconds))
    why=
    until "$@"; do
        ((SECONDS < end)) || fail "$what: not within $seconds s${why:+ (still missing: $why)}"
        sleep 0.2
    done
}

# Sets window to the id of the game's window once it is shown. SDL may make the window anew while it sets up
# its renderer, so only a mapped window counts.
find_window() {
    window=$(xdotool search --onlyvisible --name '^tramolo' 2>/dev/null | head -n 1) || true
    if [[ -z $window ]] && ! kill -0 "$game_pid" 2>/dev/null; then fail "the game ended before its window appeared"; fi
    [[ -n $window ]]
}

# True once the window shows the game's frames: a client area of client_size, mostly white.
frames_shown() {
    find_window || return 1
    timeout "$shot_seconds" /usr/bin/import -window "$window" "png:$work/first.png" 2>/dev/null || return 1
    why="a client area of $client_size, not $(image_size "$work/first.png")"
    [[ $(image_size "$work/first.png") == "$client_size" ]] || return 1
    local white width height
    read -r width height <<<"$client_size"
    white=$(count_colour "$work/first.png" 255,255,255)
    why="mostly white"
    ((white * 2 > width * height))
}

# start_program COMMAND...: starts the command (the game, or the runner with a window) on the virtual display,
# sets window to the id of its window and waits for its first frames.
start_program() {
    "$@" >"$work/game.out" 2>"$work/game.err" &
    game_pid=$!
    wait_for "$deadline" "a tramolo window" find_window
    wait_for "$deadline" "the game's frames in its window" frames_shown
}

# Starts the game itself.
start_game() {
    start_program "$game"
}

# press KEY...: sends the keys to the game's window (each down, then up); fails saying why when they cannot be
# sent. A key that ends the game (ESC) may close the window between its down and its up; that is no fault.
press() {
    local out
    sent_keys+=("$@")
    if ! out=$(xdotool key --window "$window" "$@" 2>&1); then
        sleep 0.5
        kill -0 "$game_pid" 2>/dev/null || return 0
        fail "could not send $* to window $window, and the game is still running: $out"
    fi
}

# Waits for the game to end and sets game_rc to its exit code.
wait_for_exit() {
    game_ended() { ! kill -0 "$game_pid" 2>/dev/null; }
    wait_for "$deadline" "the end of the game" game_ended
    game_rc=0
    wait "$game_pid" || game_rc=$?
    game_pid=
    release_keys
}

# xdotool sends a key to the window that has the focus through XTEST, which moves the server's key state, and
# to any other window through XSendEvent, which does not. A key that ends a program (ESC) goes down through
# XTEST, the program drops its window, and the key's up goes out by XSendEvent: the server still holds the key
# down, and the next program on this display would take it as pressed when it gets the focus. Once no program
# runs, every key sent so far is released at the server.
release_keys() {
    if ((${#sent_keys[@]} > 0)); then xdotool keyup "${sent_keys[@]}" 2>/dev/null || true; fi
    sent_keys=()
}

# Ends the game or runner that still runs (a watched script held at its last pass), without a key.
stop_program() {
    if [[ -n $game_pid ]]; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    game_pid=
    release_keys
}

# The window's client area, "W H", as X sees it.
window_size() {
    xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: \([0-9]*\)x\([0-9]*\)$/\1 \2/p'
}

# resize_to W H: the window's client area made W x H, and waited for.
resize_to() {
    local size="$1 $2"
    xdotool windowsize "$window" "$1" "$2"
    resized_to() { why="a client area of $(window_size)" && [[ $(window_size) == "$size" ]]; }
    wait_for "$deadline" "the window resized to $size" resized_to
}

# Takes a screenshot of the window into the given file.
screenshot() {
    timeout "$shot_seconds" /usr/bin/import -window "$window" "png:$1" 2>"$work/import.log" ||
        fail "import failed or took over $shot_seconds s: $(cat "$work/import.log")"
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
