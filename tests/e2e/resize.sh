#!/usr/bin/env bash
# With the design's one-to-one picture (--one-to-one) a larger window changes nothing in the game: the
# drawing area stays 596 x 572 at the top left, and the rest of the window shows the light grey background.
# (By default the picture grows with the window: scale.sh.)
test_name=resize.sh
source "$(dirname "$0")/common.sh"

start_xvfb
start_program "$game" --one-to-one
xdotool windowmove "$window" 0 0
xdotool windowsize "$window" 800 700
# The larger window counts once the game has copied a frame into it and the rest is painted grey. A system
# that erases the whole window when it grows (Windows, for a class that asks for a redraw on resizing) shows
# grey over the drawing area too until the next pass's copy, so the screenshot is taken again until then.
edges_free_of_grey() {
    local crop
    for crop in 596x2+0+570 2x572+594+0; do
        why="no grey at the drawing area's edge $crop" &&
            (($(count_colour "$work/shot.png" 240,240,240 "$crop") == 0)) || return 1
    done
}
resized() {
    why="a screenshot" && screenshot "$work/shot.png" &&
        why="an 800 x 700 window" && [[ $(image_size "$work/shot.png") == "800 700" ]] &&
        why="grey right of the drawing area" &&
        (($(count_colour "$work/shot.png" 240,240,240 204x700+596+0) == 204 * 700)) &&
        why="grey below the drawing area" &&
        (($(count_colour "$work/shot.png" 240,240,240 596x128+0+572) == 596 * 128)) &&
        edges_free_of_grey
}
wait_for "$deadline" "the resized window" resized
white=$(count_colour "$work/shot.png" 255,255,255 596x572+0+0)
((white * 2 > 596 * 572)) || fail "the drawing area is not white ($white pixels)"
press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
echo "$test_name: ok"
