#!/usr/bin/env bash
# A larger window changes nothing in the game: the drawing area stays 596 x 572 at the top left, and the
# rest of the window shows the light grey background.
test_name=resize.sh
source "$(dirname "$0")/common.sh"

start_xvfb
start_game
xdotool windowmove "$window" 0 0
xdotool windowsize "$window" 800 700
sleep 1
screenshot "$work/shot.png"
size=$(image_size "$work/shot.png")
[[ $size == "800 700" ]] || fail "the window is $size after resizing, not 800 700"
right=$(count_colour "$work/shot.png" 240,240,240 204x700+596+0)
below=$(count_colour "$work/shot.png" 240,240,240 596x128+0+572)
((right == 204 * 700)) || fail "right of the drawing area only $right pixels are grey"
((below == 596 * 128)) || fail "below the drawing area only $below pixels are grey"
for crop in 596x2+0+570 2x572+594+0; do
    grey=$(count_colour "$work/shot.png" 240,240,240 "$crop")
    ((grey == 0)) || fail "$grey grey pixels at the drawing area's edge $crop"
done
white=$(count_colour "$work/shot.png" 255,255,255 596x572+0+0)
((white * 2 > 596 * 572)) || fail "the drawing area is not white ($white pixels)"
xdotool key --window "$window" Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
echo "$test_name: ok"
