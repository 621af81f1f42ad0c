#!/usr/bin/env bash
# Without any display the game says why on stderr and exits with 1: no invisible window on SDL's offscreen
# driver stands in for the real one.
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
echo "$test_name: ok"
