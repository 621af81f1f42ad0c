#!/usr/bin/env bash
# A larger window changes nothing in the game: the drawing area stays 596 x 572 at the top left, and the
# rest of the window shows the light grey background.
test_name=resize.sh
source "$(dirname "$0")/common.sh"

start_xvfb
start_game
xdotool windowmove "$window" 0 0
xdotool windowsize "$window" 800 700
# The larger window counts once the game has copied a frame into it and painted the rest grey.
resized() {
    why="a screenshot" && screenshot "$work/shot.png" &&
        why="an 800 x 700 window" && [[ $(image_size "$work/shot.png") == "800 700" ]] &&
        why="grey right of the drawing area" &&
        (($(count_colour "$work/shot.png" 240,240,240 204x700+596+0) == 204 * 700)) &&
        why="grey below the drawing area" &&
        (($(count_colour "$work/shot.png" 240,240,240 596x128+0+572) == 596 * 128))
}
wait_for "$deadline" "the resized window" resized
for crop in 596x2+0+570 2x572+594+0; do
    grey=$(count_colour "$work/shot.png" 240,240,240 "$crop")
    ((grey == 0)) || fail "$grey grey pixels at the drawing area's edge $crop"
done
white=$(count_colour "$work/shot.png" 255,255,255 596x572+0+0)
((white * 2 > 596 * 572)) || fail "the drawing area is not white ($white pixels)"
press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
echo "$test_name: ok"
