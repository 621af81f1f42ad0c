#!/usr/bin/env bash
# ENTER starts a race and the up arrow, held, drives the player's car away from the start: the scene below
# the display text changes, and the obstacles beside the start, large and red in the view behind the car,
# fall behind the camera, so far less red is left. ESC still ends the game with code 27.
# The car covers ground per pass, not per second, so the test holds the key until the car has got there.
test_name=drive.sh
source "$(dirname "$0")/common.sh"
picture=("/usr/bin/python3" "$(dirname "$0")/picture.py")
scene_area=(0 130 600 600)

start_xvfb
start_game
press Return

# The race has begun once the damage bar's black frame stands at the top right; the view then looks along
# the start straight with the obstacles beside the start in it.
race_view() {
    screenshot "$work/before.png"
    local frame
    frame=$("${picture[@]}" count "$work/before.png" 0,0,0 479 31 581 32)
    red_before=$("${picture[@]}" count "$work/before.png" 255,10,10 "${scene_area[@]}")
    ((frame == 102 && red_before > 300))
}
wait_for "$deadline" "the race view with the obstacles beside the start" race_view

driven_away() {
    screenshot "$work/after.png"
    changed=$("${picture[@]}" pixeldiff "$work/before.png" "$work/after.png" "${scene_area[@]}")
    red_after=$("${picture[@]}" count "$work/after.png" 255,10,10 "${scene_area[@]}")
    ((changed > 1000 && red_after * 2 < red_before))
}
xdotool keydown --window "$window" Up
wait_for "$deadline" "the obstacles beside the start falling behind the car" driven_away
xdotool keyup --window "$window" Up
echo "$test_name: $changed scene pixels changed; red pixels $red_before before, $red_after after"

press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
echo "$test_name: ok"
