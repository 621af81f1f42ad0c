#!/usr/bin/env bash
# The window's client area is the game's drawing area, 596 x 572 pixels, cleared white every frame and shown
# one to one: no strip of the grey window background shows anywhere in it.
test_name=screenshot.sh
source "$(dirname "$0")/common.sh"

start_xvfb
start_game
screenshot "$work/shot.png"
size=$(image_size "$work/shot.png")
[[ $size == "596 572" ]] || fail "client area is $size, not 596 572"
total=$((596 * 572))
white=$(count_colour "$work/shot.png" 255,255,255)
((white * 2 > total)) || fail "only $white of $total pixels are white"
grey=$(count_colour "$work/shot.png" 240,240,240)
((grey == 0)) || fail "$grey pixels show the grey background"
# Every edge of the drawing area reaches the window's edge.
for crop in 596x1+0+0 596x1+0+571 1x572+0+0 1x572+595+0; do
    edge=$(count_colour "$work/shot.png" 255,255,255 "$crop")
    ((edge > 0)) || fail "no white at the edge $crop"
done
xdotool key --window "$window" Escape
wait_for_exit
echo "$test_name: ok"
