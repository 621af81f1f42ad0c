#!/usr/bin/env bash
# Alt+Enter and F11 switch the window to fullscreen on its screen and back: fullscreen covers the screen
# with the picture scaled sharp in the middle and black beside it, and leaving it gives back the window's
# size and place. The backend takes both keys before the game: a trace of the same run shows no ENTER (the
# demonstration runs on, and neither key is ever the game's last key), and the recording holds neither.
# Fullscreen on X is the window manager's work (Xvfb has none), so a small one runs here: openbox.
test_name=fullscreen.sh
source "$(dirname "$0")/common.sh"
sim=$2
traces=("/usr/bin/python3" "$(dirname "$0")/traces.py")

start_xvfb 1920x1080
if [[ -z ${WINEPREFIX:-} ]]; then
    command -v openbox >/dev/null || fail "openbox not found"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_for "$deadline" "the window manager" wm_ready
fi
start_program "$sim" --window --record "$work/recording.txt" --trace "$work/trace.jsonl"
# The window away from where it opened, so that its place is its own; the frame the manager puts around it
# moves the client area a little further.
place() { xdotool getwindowgeometry "$window" | sed -n 's/^ *Position: \([0-9]*,[0-9]*\).*/\1/p'; }
opened=$(place)
xdotool windowmove "$window" 200 150
moved() { why="the place $(place)" && [[ $(place) != "$opened" ]]; }
wait_for "$deadline" "the window moved" moved
windowed=$(place)

# covers_screen: the client area is the whole screen, the picture 1125 x 1080 in the middle, black beside it.
covers_screen() {
    why="a client area of $(window_size)" && [[ $(window_size) == "1920 1080" ]] || return 1
    screenshot "$work/full.png"
    why="a screenshot of $(image_size "$work/full.png")" && [[ $(image_size "$work/full.png") == "1920 1080" ]] || return 1
    local crop
    for crop in 397x1080+0+0 398x1080+1522+0; do
        why="black beside the picture ($crop)" &&
            (($(count_colour "$work/full.png" 0,0,0 "$crop") == ${crop%%x*} * 1080)) || return 1
    done
    why="a mostly white picture" &&
        (($(count_colour "$work/full.png" 255,255,255 1125x1080+397+0) * 2 > 1125 * 1080))
}
# windowed_again: the window's own size and place back.
windowed_again() {
    why="a client area of $(window_size)" && [[ $(window_size) == "596 572" ]] &&
        why="the place $(place), not $windowed" && [[ $(place) == "$windowed" ]]
}

for keys in alt+Return F11; do
    press "$keys"
    wait_for "$deadline" "fullscreen after $keys" covers_screen
    press "$keys"
    wait_for "$deadline" "the window back after $keys again" windowed_again
done
press F11
wait_for "$deadline" "fullscreen after F11" covers_screen
press alt+Return
wait_for "$deadline" "the window back after Alt+Enter" windowed_again
echo "$test_name: both keys switch fullscreen and back"

sleep 0.5
press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
python3 - "$work/trace.jsonl" <<'PY' || fail "the game saw the fullscreen keys"
import json, sys
passes = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
assert passes, "an empty trace"
races = [p["pass"] for p in passes if p["DemoMode"] != 1]
keys = sorted({p["LastKey"] for p in passes} - {0, 27})
assert not races, f"the demonstration stopped in passes {races[:5]}"
assert not keys, f"the game's last key was {keys}"
print(f"fullscreen.sh: {len(passes)} passes of the demonstration, no key but ESC")
PY
if grep -Eq ' (down|up|sysdown|sysup) (13|122)$' "$work/recording.txt"; then
    fail "the recording holds ENTER or F11: $(grep -E ' (13|122)$' "$work/recording.txt" | head -3)"
fi
echo "$test_name: ok"
