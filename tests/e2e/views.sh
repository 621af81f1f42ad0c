#!/usr/bin/env bash
# F1 steps the display through its three modes and F5 swaps the 3D view for the line view, in the window
# as in the headless runner given the same keys: key help at the top in mode 0, the driving figures with
# the speed at the bottom right in mode 1, the camera values at the bottom left in mode 2; the line view
# has no road faces across the picture but the car outlines and probe lines instead, with the outlines of
# the road pieces the contact test checks around the cars.
# After each key the test waits until the window shows what the key asked for, however long a busy machine
# takes to get there, and then compares that picture with the runner's.
test_name=views.sh
source "$(dirname "$0")/common.sh"
sim=$2
picture=("/usr/bin/python3" "$(dirname "$0")/picture.py")

# The runner gets the keys the window gets, in the same order, and a frame after each.
cat >"$work/keys.txt" <<'KEYS'
110 down 112
111 up 112
210 down 112
211 up 112
310 down 116
311 up 116
410 down 112
411 up 112
KEYS
"$sim" --passes 500 --pass-ms 5 --quiet --input "$work/keys.txt" --png "100:$work/sim-mode0.png" \
    --png "200:$work/sim-mode1.png" --png "300:$work/sim-mode2.png" --png "400:$work/sim-lines2.png" \
    --png "500:$work/sim-lines0.png" || fail "the runner failed"

has_text() { [[ -n $("${picture[@]}" rows "$@") ]]; }
# Text lines in the rectangle: runs of text rows, a gap of one or two rows (descenders) not counting.
bands() { "${picture[@]}" rows "$@" | awk '{ n = 0; for (i = 1; i <= NF; i++) if (i == 1 || $i > $(i - 1) + 2) n++; print n }'; }
count() { "${picture[@]}" count "$1" "$2" 0 0 600 600; }
beside() { echo $(($("${picture[@]}" count "$1" 0,0,255 0 0 250 600) + $("${picture[@]}" count "$1" 0,0,255 350 0 600 600))); }

# What each view must show; each sets why to what is missing.
mode0() {
    why="five key-help lines below the first line" && [[ $(bands "$1" 20 46 600 124) -eq 5 ]] &&
        why="no text at the bottom" && ! has_text "$1" 0 530 600 600
}
mode1() {
    why="the speed at the bottom right" && has_text "$1" 400 566 600 584 &&
        why="no text at the bottom left" && ! has_text "$1" 0 530 280 600
}
mode2() { why="three camera lines at the bottom left" && [[ $(bands "$1" 20 536 300 586) -eq 3 ]]; }
world_view() {
    why="road faces across the picture" && (($(beside "$1") > 100)) &&
        why="no line-view outlines" && (($(count "$1" 0,255,0) == 0))
}
# The line view: road outlines only around the cars (within two cells of 32 pixels of a car outline), car
# outlines and probe lines, and no dark green car of the 3D view.
line_view() {
    why="car outlines" && (($(count "$1" 0,255,0) > 20)) &&
        why="probe lines" && (($(count "$1" 255,50,50) > 0)) &&
        why="no dark green car" && (($(count "$1" 0,110,0) == 0)) &&
        why="no road away from the cars" && (($("${picture[@]}" apart "$1" 0,0,255 0,255,0 32 2) == 0))
}
views_of() {
    case $1 in
    mode0 | mode1) echo "$1" ;;
    mode2) echo "mode2 world_view" ;;
    lines2) echo "mode2 line_view" ;;
    lines0) echo "mode0 line_view" ;;
    esac
}
shows() {
    local view
    for view in $(views_of "$1"); do "$view" "$2" || return 1; done
}

# The runner's frames show each view.
for view in mode0 mode1 mode2 lines2 lines0; do
    shows "$view" "$work/sim-$view.png" || fail "runner $view: not shown: $why"
done

start_xvfb
start_game
# shot VIEW [KEY]: presses the key, then takes screenshots until one shows the view.
in_view() { screenshot "$work/$1.png" && shows "$1" "$work/$1.png"; }
shot() {
    if [[ -n ${2:-} ]]; then press "$2"; fi
    wait_for "$deadline" "$1 in the window" in_view "$1"
}
shot mode0
shot mode1 F1
shot mode2 F1
shot lines2 F5
shot lines0 F1
press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"

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
for view in mode2 lines2 lines0; do
    echo "$test_name: $view: blue $(count "$work/$view.png" 0,0,255), $(beside "$work/$view.png") of it beside" \
        "the centre; outlines $(count "$work/$view.png" 0,255,0); probes $(count "$work/$view.png" 255,50,50);" \
        "dark green $(count "$work/$view.png" 0,110,0)"
done
echo "$test_name: ok"
