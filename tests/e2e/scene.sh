#!/usr/bin/env bash
# The window shows the scene as the headless runner draws it: at the start of a race the road's blue, the
# obstacles' red and the player's dark green car lie in the same coarse cells of the picture as in one of
# the runner's frames of a race started the same way. The player's car stands still at the start, so the
# view changes only slowly, and only while the other cars drive off; until the first one-second mark after
# the race's rebuild both run at the starting rate of 100, so a frame of the window soon after the start is
# the runner's frame after as many passes.
test_name=scene.sh
source "$(dirname "$0")/common.sh"
sim=$2
picture=("/usr/bin/python3" "$(dirname "$0")/picture.py")

# The runner's frames of the first 500 passes of a race, every fifth one.
mkdir "$work/frames"
printf '1 down 13\n2 up 13\n' >"$work/race.txt"
frames=()
for pass in $(seq 5 5 500); do frames+=(--png "$pass:$work/frames/$(printf %04d "$pass").png"); done
"$sim" --passes 500 --pass-ms 5 --quiet --input "$work/race.txt" "${frames[@]}" || fail "the runner failed"

start_xvfb
start_game
press Return
# The race view: the damage bar's black frame at the top right, road, obstacles and the player's car.
race_view() {
    screenshot "$work/shot.png"
    "${picture[@]}" has "$work/shot.png" 0,0,0:479,31,581,32:102 0,0,255 255,10,10 0,110,0
}
wait_for "$deadline" "the race view with road, obstacles and the player's car" race_view
press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"

# Cells of 16 pixels; a cell counts as matched when the other picture has the colour in it or next to it.
read -r best score blue red green < <("${picture[@]}" match 16 "$work/shot.png" \
    0,0,255 255,10,10 0,110,0 -- "$work"/frames/*.png) || fail "comparing the pictures failed"
echo "$test_name: best frame $(basename "$best"), unmatched share $score (cells:share blue $blue red $red" \
    "dark green $green)"
for entry in "blue $blue" "red $red" "dark-green $green"; do
    read -r name fit <<<"$entry"
    ((${fit%%:*} > 0)) || fail "no $name in the window's picture"
    awk -v s="${fit#*:}" 'BEGIN { exit !(s <= 0.1) }' || fail "$name does not lie where the runner draws it ($fit)"
done
echo "$test_name: ok"
