#!/usr/bin/env bash
# F1 steps the display through its three modes and F5 swaps the 3D view for the line view, in the window
# as in the headless runner given the same keys: key help at the top in mode 0, the driving figures with
# the speed at the bottom right in mode 1, the camera values at the bottom left in mode 2; the line view
# has no road faces across the picture but the car outlines and probe lines instead.
test_name=views.sh
source "$(dirname "$0")/common.sh"
sim=$2
picture=("/usr/bin/python3" "$(dirname "$0")/picture.py")

# The runner gets the keys the window gets, in the same order, and a frame after each.
cat >"$work/keys.txt" <<'EOF'
110 down 112
111 up 112
210 down 112
211 up 112
310 down 116
311 up 116
410 down 112
411 up 112
EOF
"$sim" --passes 500 --pass-ms 5 --quiet --input "$work/keys.txt" --png "100:$work/sim-mode0.png" \
    --png "200:$work/sim-mode1.png" --png "300:$work/sim-mode2.png" --png "400:$work/sim-lines2.png" \
    --png "500:$work/sim-lines0.png" || fail "the runner failed"

start_xvfb
start_game
shot() {
    sleep 0.3
    screenshot "$work/$1.png"
}
shot mode0
xdotool key --window "$window" F1
shot mode1
xdotool key --window "$window" F1
shot mode2
xdotool key --window "$window" F5
shot lines2
xdotool key --window "$window" F1
shot lines0
xdotool key --window "$window" Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"

has_text() { [[ -n $("${picture[@]}" rows "$@") ]]; }
# Text lines in the rectangle: runs of text rows, a gap of one or two rows (descenders) not counting.
bands() { "${picture[@]}" rows "$@" | awk '{ n = 0; for (i = 1; i <= NF; i++) if (i == 1 || $i > $(i - 1) + 2) n++; print n }'; }

for source in "" sim-; do
    m0=$work/${source}mode0.png m1=$work/${source}mode1.png m2=$work/${source}mode2.png
    who=${source:+runner }
    # Mode 0: five key-help lines below the first line, nothing at the bottom.
    [[ $(bands "$m0" 20 46 600 124) -eq 5 ]] || fail "${who}mode 0 does not show five help lines"
    has_text "$m0" 0 530 600 600 && fail "${who}mode 0 shows text at the bottom"
    # Mode 1: the speed at the bottom right, the steering mark in the middle, nothing at the bottom left.
    has_text "$m1" 400 566 600 584 || fail "${who}mode 1 shows no speed at the bottom right"
    has_text "$m1" 0 530 280 600 && fail "${who}mode 1 shows text at the bottom left"
    # Mode 2: three camera lines at the bottom left.
    [[ $(bands "$m2" 20 536 300 586) -eq 3 ]] || fail "${who}mode 2 does not show three camera lines"
done

# The window's text stands in the same rows as the runner's, mode by mode; the fixed labels "Speed: " and
# "CAMERA DREHUNG um" are the same pixels.
for mode in mode0 mode1 mode2 lines2 lines0; do
    for box in "0 30 600 126" "0 530 600 600"; do
        read -r -a area <<<"$box"
        rows=$("${picture[@]}" rowdiff "$work/$mode.png" "$work/sim-$mode.png" "${area[@]}")
        ((rows == 0)) || fail "$mode: $rows text rows of $box differ from the runner's frame"
    done
done
speed=$("${picture[@]}" pixeldiff "$work/mode1.png" "$work/sim-mode1.png" 400 568 438 580)
((speed == 0)) || fail "\"Speed: \" differs from the runner's in $speed pixels"
camera=$("${picture[@]}" pixeldiff "$work/mode2.png" "$work/sim-mode2.png" 20 540 130 552)
((camera == 0)) || fail "\"CAMERA DREHUNG um\" differs from the runner's in $camera pixels"

# The line view: the road faces across the picture are gone; what blue is left are the outlines of the
# road pieces the contact test checks, in the column of cars around the centre. Car outlines and probe
# lines appear, the dark green current car of the 3D view does not.
count() { "${picture[@]}" count "$1" "$2" 0 0 600 600; }
beside() { echo $(($("${picture[@]}" count "$1" 0,0,255 0 0 250 600) + $("${picture[@]}" count "$1" 0,0,255 350 0 600 600))); }
for view in mode2 lines2 lines0; do
    echo "$test_name: $view: blue $(count "$work/$view.png" 0,0,255), $(beside "$work/$view.png") of it beside" \
        "the centre; outlines $(count "$work/$view.png" 0,255,0); probes $(count "$work/$view.png" 255,50,50);" \
        "dark green $(count "$work/$view.png" 0,110,0)"
done
(($(beside "$work/mode2.png") > 100)) || fail "the 3D view shows no road faces across the picture"
(($(count "$work/mode2.png" 0,255,0) == 0)) || fail "the 3D view shows line-view outlines"
for view in lines2 lines0; do
    blue=$(beside "$work/$view.png")
    ((blue == 0)) || fail "$view still shows road faces across the picture ($blue blue pixels beside the centre)"
    (($(count "$work/$view.png" 0,255,0) > 20)) || fail "$view shows no car outlines"
    (($(count "$work/$view.png" 255,50,50) > 0)) || fail "$view shows no probe lines"
    (($(count "$work/$view.png" 0,110,0) == 0)) || fail "$view still draws the dark green car"
done
echo "$test_name: ok"
