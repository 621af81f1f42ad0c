#!/usr/bin/env bash
# Without any display the game says why on stderr and exits with 1: no invisible window on SDL's offscreen
# driver stands in for the real one, and a display that cannot be opened is named.
test_name=no-display.sh
source "$(dirname "$0")/common.sh"

# Nothing that could lead to an X or Wayland server: one line from the game and nothing else.
rc=0
env -u DISPLAY -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR timeout "$deadline" "$game" \
    >"$work/game.out" 2>"$work/game.err" || rc=$?
[[ $rc -eq 1 ]] || fail "exit code without a display was $rc, not 1"
[[ $(grep -c . "$work/game.err" || true) -eq 1 ]] || fail "not one line on stderr: $(cat "$work/game.err")"
grep -qi '^tramolo: .*display' "$work/game.err" || fail "stderr does not say the display is missing"

# A runtime directory without a Wayland socket: SDL gets as far as its offscreen driver, which must not count.
mkdir "$work/runtime"
chmod 700 "$work/runtime"
rc=0
env -u DISPLAY -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$work/runtime" timeout "$deadline" "$game" \
    >"$work/game.out" 2>"$work/game.err" || rc=$?
[[ $rc -eq 1 ]] || fail "exit code with only an empty runtime directory was $rc, not 1"
[[ $(grep -c '^tramolo: .*display' "$work/game.err" || true) -eq 1 ]] || fail "no reason on stderr"

# A display named but not there: one line that names it, nothing from the libraries below.
number=99
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
rc=0
env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR DISPLAY=:$number timeout "$deadline" "$game" \
    >"$work/game.out" 2>"$work/game.err" || rc=$?
[[ $rc -eq 1 ]] || fail "exit code with no server at display :$number was $rc, not 1"
[[ $(grep -c . "$work/game.err" || true) -eq 1 ]] || fail "not one line on stderr: $(cat "$work/game.err")"
grep -q "^tramolo: .*\":$number\"" "$work/game.err" || fail "stderr does not name display :$number: $(cat "$work/game.err")"
echo "$test_name: ok"
