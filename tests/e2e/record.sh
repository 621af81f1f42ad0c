#!/usr/bin/env bash
# A race played by hand in the runner's live window is recorded; the recording, replayed headless, gives the
# very trace the live game wrote, pass for pass and field for field, and the same exit code; watched in a
# window it gives that trace once more, and takes at least as long as the game it shows.
# The "hand" is xdotool for about ten seconds: ENTER, the throttle held, the arrows, absolute pointer jumps
# and glides, F-keys, the brake, ENTER twice more, ESC. The pauses between inputs are the player's rhythm,
# not waits for the game: whatever the game makes of the input when it comes, the replay must make the same.
test_name=record.sh
source "$(dirname "$0")/common.sh"
sim=$2
# The runner that replays the recording: another system's may be named (a Windows recording replays here).
replay_sim=${TRAMOLO_E2E_REPLAY_SIM:-$sim}
traces=("/usr/bin/python3" "$(dirname "$0")/traces.py")

# hold KEY SECONDS: the key down, a pause, the key up.
hold() {
    xdotool keydown --window "$window" "$1"
    sleep "$2"
    xdotool keyup --window "$window" "$1"
}

# glide FROM TO: the pointer moved across the screen in ten steps of about 50 ms, as a hand moves it.
glide() {
    local from=$1 to=$2 step
    for step in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove $((from + (to - from) * step / 10)) 384
        sleep 0.05
    done
}

play_race() {
    press Return
    sleep 0.5
    xdotool keydown --window "$window" Up
    glide 512 700
    hold Right 0.6
    xdotool mousemove 300 384
    sleep 0.4
    press F1
    hold Left 0.5
    glide 300 620
    press F2 F3
    sleep 0.5
    xdotool keyup --window "$window" Up
    hold Down 0.8
    press F5
    sleep 0.5
    press F5 F6 F1
    xdotool mousemove 900 200
    sleep 0.3
    press Return
    sleep 0.5
    press Return
    hold Up 1.5
    xdotool keydown --window "$window" Up
    glide 900 100
    hold Right 0.4
    screenshot "$work/race.png"
    xdotool keyup --window "$window" Up
    sleep 0.3
    press Escape
}

start_xvfb
xdotool mousemove 512 384
start_program "$sim" --window --record "$work/race.txt" --trace "$work/live.jsonl"
play_race
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "the recording window's exit code after ESC was $game_rc, not 27"
[[ -s $work/live.jsonl ]] || fail "the live window wrote no trace"

# The recording holds what the hand did: keys as virtual-key codes, the pointer's moves, a tick a read.
for line in 'down 13' 'down 38' 'up 38' 'down 39' 'down 37' 'down 40' 'down 112' 'down 113' 'down 116' \
    'down 117' 'down 27' 'tick'; do
    grep -Eq "^[0-9]+ $line( |$)" "$work/race.txt" || fail "the recording has no '$line' line"
done
moves=$(grep -Ec '^[0-9]+ mouse ' "$work/race.txt")
((moves >= 10)) || fail "the recording has only $moves cursor moves"
race=$("${traces[@]}" race "$work/live.jsonl")
echo "$test_name: recorded $race"
[[ $race =~ race=([0-9]+).*top_kmh=([0-9]+).*mouse=([0-9]+).*line_view=([0-9]+) ]] ||
    fail "cannot read the recorded trace: $race"
((BASH_REMATCH[1] > 0 && BASH_REMATCH[2] > 30 && BASH_REMATCH[3] > 0 && BASH_REMATCH[4] > 0)) ||
    fail "the recorded game shows no race with speed, mouse steering and the line view: $race"

# Replayed headless: the same trace and exit code.
replay_rc=0
"$replay_sim" --quiet --input "$work/race.txt" --trace "$work/replay.jsonl" 2>"$work/replay.err" || replay_rc=$?
[[ $replay_rc -eq $game_rc ]] ||
    fail "the replay ended with exit code $replay_rc, the recorded game with $game_rc: $(cat "$work/replay.err")"
"${traces[@]}" same "$work/live.jsonl" "$work/replay.jsonl" >"$work/diff.txt" ||
    fail "the replay's trace differs from the recorded one: $(cat "$work/diff.txt")"

# Size and length of the recording: the game's clock of its first and last pass, from the trace.
tick_of_pass() { sed -n "${1}p" "$work/live.jsonl" | grep -o '"TickNow":-\?[0-9]*' | cut -d: -f2; }
bytes=$(stat -c %s "$work/race.txt")
passes=$(wc -l <"$work/live.jsonl")
first_pass_tick=$(tick_of_pass 1)
last_tick=$(tick_of_pass "$passes")
span=$((last_tick - first_pass_tick))
echo "$test_name: $passes passes in $span ms, $bytes bytes ($((bytes * 60000 / (span + 1))) bytes a minute," \
    "$((bytes * 100 / passes)) bytes per 100 passes); replay equal"

# Watched in a window: the same trace again, at the recorded pace (never faster; a busy machine may be slower).
started=$(date +%s%N)
start_program "$sim" --window --input "$work/race.txt" --trace "$work/watch.jsonl"
screenshot "$work/watch.png"
wait_for_exit
took=$((($(date +%s%N) - started) / 1000000))
[[ $game_rc -eq 27 ]] || fail "watching ended with exit code $game_rc, not 27 as the recording"
"${traces[@]}" same "$work/live.jsonl" "$work/watch.jsonl" >"$work/diff.txt" ||
    fail "watching gave another trace than the recorded one: $(cat "$work/diff.txt")"
((took >= (last_tick - first_pass_tick) * 9 / 10)) ||
    fail "watching took $took ms, the recorded passes $((last_tick - first_pass_tick)) ms"
echo "$test_name: watched in $took ms; the recorded passes took $((last_tick - first_pass_tick)) ms"
echo "$test_name: ok"
