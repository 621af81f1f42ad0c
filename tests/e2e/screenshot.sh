#!/usr/bin/env bash
# The window's client area is the game's drawing area, 596 x 572 pixels, cleared white every frame and shown
# one to one: no strip of the grey window background shows along any of its edges.
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
# Every edge of the drawing area reaches the window's edge.
for crop in 596x2+0+0 596x2+0+570 2x572+0+0 2x572+594+0; do
    edge=$(count_colour "$work/shot.png" 255,255,255 "$crop")
    ((edge > 0)) || fail "no white at the edge $crop"
    grey=$(count_colour "$work/shot.png" 240,240,240 "$crop")
    ((grey == 0)) || fail "$grey pixels of the edge $crop show the grey background"
done
press Escape
wait_for_exit
echo "$test_name: ok"
