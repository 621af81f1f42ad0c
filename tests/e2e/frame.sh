#!/usr/bin/env bash
# The window shows the game's frame pixel for pixel: a race watched in the window is held at pass 300 (the
# next pass's recorded tick lies far ahead, and watching keeps the recording's pace), and the window then
# shows exactly the headless runner's frame of pass 300, cut to the drawing area.
test_name=frame.sh
source "$(dirname "$0")/common.sh"
sim=$2
held=300

printf '1 down 13\n2 up 13\n%d tick 900000\n' $((held + 1)) >"$work/race.txt"
# The frame from this build's runner, the drawing area (2, 26) to (598, 598) of the 600 x 600 back buffer.
"${TRAMOLO_E2E_REPLAY_SIM:-$sim}" --quiet --passes "$held" --input "$work/race.txt" --png "$held:$work/frame.png" ||
    fail "the runner failed"
convert "$work/frame.png" -crop 596x572+2+26 +repage -alpha off "png24:$work/want.png"

start_xvfb
start_program "$sim" --window --input "$work/race.txt" --passes $((held + 1))
shows_the_frame() {
    screenshot "$work/shot.png"
    why="$(compare -metric AE "$work/shot.png" "$work/want.png" null: 2>&1) pixels differ"
    [[ $why == "0 pixels differ" ]]
}
wait_for "$deadline" "the window showing pass $held's frame" shows_the_frame
press Escape
wait_for_exit
[[ $game_rc -eq 0 ]] || fail "watching ended by ESC with exit code $game_rc, not 0"
echo "$test_name: ok"
