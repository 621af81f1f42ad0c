#!/usr/bin/env bash
# ENTER starts a race and the up arrow held for two seconds drives the player's car away from the start:
# the scene below the display text changes, and the obstacles beside the start, large and red in the view
# behind the car, fall behind the camera, so far less red is left. ESC still ends the game with code 27.
test_name=drive.sh
source "$(dirname "$0")/common.sh"
picture=("/usr/bin/python3" "$(dirname "$0")/picture.py")
scene_area=(0 130 600 600)

start_xvfb
start_game
xdotool key --window "$window" Return
sleep 1
screenshot "$work/before.png"
xdotool keydown --window "$window" Up
sleep 2
xdotool keyup --window "$window" Up
screenshot "$work/after.png"
xdotool key --window "$window" Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"

changed=$("${picture[@]}" pixeldiff "$work/before.png" "$work/after.png" "${scene_area[@]}")
red_before=$("${picture[@]}" count "$work/before.png" 255,10,10 "${scene_area[@]}")
red_after=$("${picture[@]}" count "$work/after.png" 255,10,10 "${scene_area[@]}")
echo "$test_name: $changed scene pixels changed; red pixels $red_before before, $red_after after"
((changed > 1000)) || fail "the scene hardly changed while driving ($changed pixels)"
((red_before > 300)) || fail "no obstacles beside the start in the race view ($red_before red pixels)"
((red_after * 2 < red_before)) || fail "the obstacles beside the start did not fall behind ($red_after red" \
    "pixels after, $red_before before)"
echo "$test_name: ok"
