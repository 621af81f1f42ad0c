#!/usr/bin/env bash
# Closing the window as a window manager does ends the game with exit code 0.
test_name=close.sh
source "$(dirname "$0")/common.sh"

closer=$build/x11-close
[[ -x $closer ]] || fail "no $closer"
start_xvfb
start_game
"$closer" "$window" || fail "x11-close failed"
wait_for_exit
[[ $game_rc -eq 0 ]] || fail "exit code after closing was $game_rc, not 0"
xdotool search --name '^tramolo' >/dev/null 2>&1 && fail "the window is still there"
echo "$test_name: ok"
