#!/usr/bin/env bash
# ESC ends the game with exit code 27 while its window is still open.
test_name=escape.sh
source "$(dirname "$0")/common.sh"

start_xvfb
start_game
press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
echo "$test_name: ok"
