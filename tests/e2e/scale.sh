#!/usr/bin/env bash
# The window on screens of today's sizes: it opens at the largest whole multiple of the drawing area within
# 90 % of the screen (once on 1920 x 1080, twice on 2560 x 1440), and whatever its size it shows the
# runner's frame scaled sharp: at a whole multiple exactly the nearest-pixel scale, at any other size the
# sharp bilinear scale within one grey level (tests/e2e/scaled.py computes the reference from the runner's
# frame and says how close), centred on the background. The frame is pass 300 of a watched race, held there (the next pass's
# recorded tick lies far ahead, and watching keeps the recording's pace), as in frame.sh.
test_name=scale.sh
source "$(dirname "$0")/common.sh"
sim=$2
held=300
scaled=("/usr/bin/python3" "$(dirname "$0")/scaled.py")

printf '1 down 13\n2 up 13\n%d tick 900000\n' $((held + 1)) >"$work/race.txt"
"${TRAMOLO_E2E_REPLAY_SIM:-$sim}" --quiet --passes "$held" --input "$work/race.txt" --png "$held:$work/frame.png" ||
    fail "the runner failed"

# shows_scaled MODE: the window's picture is the frame scaled as MODE says.
shows_scaled() {
    screenshot "$work/shot.png"
    why=$("${scaled[@]}" "$work/frame.png" "$work/shot.png" "$1" 2>&1) || return 1
    echo "$test_name: $why"
}

# The game itself opens at the whole multiple that suits each screen. Under Wine the programs see the
# monitor of the Wine desktop, whose size under-wine.sh chose: that screen alone.
screens=("1920x1080 596 572" "2560x1440 1192 1144")
if [[ -n ${WINEPREFIX:-} ]]; then
    for screen in "${screens[@]}"; do [[ $screen == "${TRAMOLO_WINE_SCREEN:-} "* ]] && screens=("$screen"); done
fi
for screen in "${screens[@]}"; do
    read -r size width height <<<"$screen"
    start_xvfb "$size"
    client_size="$width $height"
    forget_settings # the game before kept its window's size, which would open this one at it
    start_game
    echo "$test_name: on $size the game opened at $(window_size)"
    press Escape
    wait_for_exit
    [[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
    stop_xvfb
done

# The watched race on the larger screen: twice, then sizes whose scale is no whole number, the width or the
# height limiting it.
start_xvfb 2560x1440
client_size="1192 1144"
start_program "$sim" --window --input "$work/race.txt" --passes $((held + 1))
wait_for "$deadline" "the window showing pass $held's frame twice as large" shows_scaled sharp
xdotool windowmove "$window" 0 0
for size in "1500 1000" "900 1200" "1700 1200"; do
    # shellcheck disable=SC2086
    resize_to $size
    wait_for "$deadline" "the window of $size showing pass $held's frame sharp" shows_scaled sharp
done
press Escape
wait_for_exit
[[ $game_rc -eq 0 ]] || fail "watching ended by ESC with exit code $game_rc, not 0"
echo "$test_name: ok"
