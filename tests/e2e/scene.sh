#!/usr/bin/env bash
# The window shows the demonstration scene as the headless runner draws it: early in the run the road's
# blue, the obstacles' red and the current car's dark green lie in the same coarse cells of the picture as
# in one of the runner's frames. Until the first one-second mark both run at the starting rate of 100, so
# the window's picture after some number of passes is the runner's frame after that many passes.
test_name=scene.sh
source "$(dirname "$0")/common.sh"
sim=$2
picture=("/usr/bin/python3" "$(dirname "$0")/picture.py")

start_xvfb
"$game" >"$work/game.out" 2>"$work/game.err" &
game_pid=$!
window=$(timeout 20 xdotool search --sync --name '^tramolo' 2>/dev/null | head -n 1) || true
[[ -n $window ]] || fail "no tramolo window within 20 s"
sleep 0.3
screenshot "$work/shot.png"
xdotool key --window "$window" Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"

# The runner's frames of the first 1000 passes, every fifth one, at about the window's rate.
mkdir "$work/frames"
frames=()
for pass in $(seq 5 5 1000); do frames+=(--png "$pass:$work/frames/$(printf %04d "$pass").png"); done
"$sim" --passes 1000 --pass-ms 5 --quiet "${frames[@]}" || fail "the runner failed"

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
