#!/usr/bin/env bash
# A race driven with a gamepad: SDL's virtual joystick, plugged into the runner's live recording window while
# the game runs (tramolo-pad-hand, which plays it as a player plays a pad), starts a race with Start, raises
# the speed with the right trigger, steers right and left with the stick, changes the camera and the display,
# is pulled out with the trigger held (the gas is let go), plugged in again and ends the game with Back and
# Start together. The recording, replayed headless without any pad, gives the very trace the live game wrote.
test_name=pad.sh
source "$(dirname "$0")/common.sh"
sim=$2
hand=$build/tramolo-pad-hand
traces=("/usr/bin/python3" "$(dirname "$0")/traces.py")
[[ -x $hand ]] || fail "no $hand: it is built with the SDL window"

start_xvfb
start_program "$hand" "$work/pad.txt" "$work/live.jsonl"
# The pads act only while the window has the keyboard; there is no window manager to give it.
xdotool windowfocus "$window"
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "the game's exit code after Back and Start was $game_rc, not 27"

# The pad's keys as the keyboard's: ENTER, the gas, both arrows, F2 and F1, ESC.
for line in 'down 13' 'up 13' 'down 38' 'down 39' 'up 39' 'down 37' 'up 37' 'down 113' 'down 112' 'down 27'; do
    grep -Eq "^[0-9]+ $line( |$)" "$work/pad.txt" || fail "the recording has no '$line' line"
done
# The gas held when the pad was pulled out was let go then: the pad came back with the trigger held, which
# alone would hold it on.
gas=$(grep -Eo '^[0-9]+ (down|up) 38' "$work/pad.txt" | cut -d' ' -f2 | tr '\n' ' ')
[[ $gas == 'down up down ' ]] || fail "the gas went '$gas' instead of down, up as the pad was pulled out, down"
escapes=$(grep -Ec '^[0-9]+ down 27' "$work/pad.txt")
((escapes == 1)) || fail "ESC went down $escapes times"

race=$("${traces[@]}" race "$work/live.jsonl")
echo "$test_name: $race"
[[ $race =~ race=([0-9]+).*top_kmh=([0-9]+).*hud_modes=([0-9]+).*right=([0-9]+).*left=([0-9]+) ]] ||
    fail "cannot read the trace: $race"
((BASH_REMATCH[1] > 0 && BASH_REMATCH[2] > 30)) || fail "the trigger did not raise the speed: $race"
((BASH_REMATCH[3] > 1)) || fail "Y did not change the display: $race"
((BASH_REMATCH[4] > 0 && BASH_REMATCH[5] > 0)) || fail "the stick did not steer both ways: $race"

replay_rc=0
"$sim" --quiet --input "$work/pad.txt" --trace "$work/replay.jsonl" 2>"$work/replay.err" || replay_rc=$?
[[ $replay_rc -eq 27 ]] || fail "the replay ended with exit code $replay_rc, not 27: $(cat "$work/replay.err")"
"${traces[@]}" same "$work/live.jsonl" "$work/replay.jsonl" >"$work/diff.txt" ||
    fail "the replay's trace differs from the recorded one: $(cat "$work/diff.txt")"
echo "$test_name: ok"
