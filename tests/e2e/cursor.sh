#!/usr/bin/env bash
# The cursor is read in every pass: during a race, a pointer moved with absolute jumps (xdotool mousemove
# warps it, as remote desktops and accessibility tools do, without any motion events) steers the car. The
# steering marker "O" of display mode 1 stands at x = 300 + steering in degrees a second, bounded at 90:
# a jump to the right puts it far right, a jump to the left far left, a small step left just left of centre.
test_name=cursor.sh
source "$(dirname "$0")/common.sh"
sim=$2
marker=("/usr/bin/python3" "$(dirname "$0")/marker.py")
row=568         # the marker's row

# The marker's glyph, from a runner frame of a race in display mode 1 without steering: the "O" at 300.
printf '5 down 13\n6 up 13\n10 down 112\n11 up 112\n' >"$work/keys.txt"
"$sim" --passes 20 --quiet --input "$work/keys.txt" --png "20:$work/reference.png" || fail "the runner failed"

# Where the marker stands in the window now, or "none".
marker_x() {
    screenshot "$work/shot.png"
    "${marker[@]}" "$work/reference.png" 300 "$row" "$work/shot.png" 200 400
}

# Waits until the marker stands within [low, high]; fails with the last place seen after the deadline.
wait_for_marker() {
    local low=$1 high=$2 what=$3 x=none
    local end=$((SECONDS + deadline))
    while ((SECONDS < end)); do
        x=$(marker_x)
        if [[ $x != none ]] && ((x >= low && x <= high)); then
            echo "$test_name: $what: marker at $x"
            return
        fi
        sleep 0.2
    done
    fail "$what: the marker stood at $x, not within $low..$high, after $deadline s"
}

start_xvfb
xdotool mousemove 512 384
start_game
press Return
press F1
wait_for_marker 300 300 "race in display mode 1, pointer still"

xdotool mousemove 912 384   # 400 pixels right: 160 degrees a second, bounded at 90
wait_for_marker 340 399 "pointer jumped right"
xdotool mousemove 112 384   # 800 pixels left: the steering turns over to the left bound
wait_for_marker 201 260 "pointer jumped left"
xdotool mousemove 612 384   # 500 pixels right: over to the right bound again
wait_for_marker 340 399 "pointer jumped right again"
xdotool mousemove 562 384   # 50 pixels left: 20 degrees a second to the left
wait_for_marker 265 295 "pointer stepped a little left"

press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
echo "$test_name: ok"
