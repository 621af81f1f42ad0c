#!/usr/bin/env bash
# Watching a script in a window: the keyboard does not reach the game (ENTER, F5 and the arrows change
# nothing the script does not), ESC stops the run early with exit code 0, and so does closing the window.
# What was shown up to then is the headless run of the same script, pass for pass.
test_name=watch.sh
source "$(dirname "$0")/common.sh"
sim=$2
traces=("/usr/bin/python3" "$(dirname "$0")/traces.py")
closer=$build/x11-close
[[ -x $closer ]] || fail "no $closer"

# F2 in the first pass is the script's one key; 100000 passes of 10 ms would take over a quarter of an hour.
printf '1 down 113\n2 up 113\n' >"$work/script.txt"
watch=("$sim" --window --input "$work/script.txt" --passes 100000)

# The demonstration's view moves on: a screenshot that differs from the one before shows that passes ran,
# and with them the window's polls that took the keys sent before.
moved_on() {
    screenshot "$work/later.png"
    ! cmp -s "$work/sent.png" "$work/later.png"
}

# Ends the watched run with the given action and checks how it ended; leaves the trace in watch.jsonl.
watch_and_end() {
    local how=$1
    start_program "${watch[@]}" --trace "$work/watch.jsonl"
    press Return F5 Up Left
    screenshot "$work/sent.png"
    wait_for "$deadline" "the watched game going on after the keys" moved_on
    if [[ $how == esc ]]; then press Escape; else "$closer" "$window" || fail "x11-close failed"; fi
    wait_for_exit
    [[ $game_rc -eq 0 ]] || fail "watching ended by $how with exit code $game_rc, not 0"
    grep -q "passes, stopped by the viewer, exit code 0" "$work/game.out" ||
        fail "the closing line does not say the viewer stopped the run: $(cat "$work/game.out")"
    local passes
    passes=$(wc -l <"$work/watch.jsonl")
    ((passes > 0 && passes < 100000)) || fail "watching ended by $how after $passes passes"
    # The keys reached no pass: the demonstration and the 3D view throughout, and the script's F2 applied.
    grep -q '"DemoMode":0' "$work/watch.jsonl" && fail "ENTER reached the watched game"
    grep -q '"CheckLineMode":1' "$work/watch.jsonl" && fail "F5 reached the watched game"
    grep -q '"LastKey":13' "$work/watch.jsonl" && fail "a key of the viewer reached the watched game"
    head -n 1 "$work/watch.jsonl" | grep -q '"CameraPreset":1,' || fail "the script's F2 was not applied"
    "$sim" --quiet --input "$work/script.txt" --passes "$passes" --trace "$work/headless.jsonl" ||
        fail "the headless run of the script failed"
    "${traces[@]}" same "$work/watch.jsonl" "$work/headless.jsonl" >"$work/diff.txt" ||
        fail "the watched passes differ from the headless run: $(cat "$work/diff.txt")"
    echo "$test_name: $how stopped watching after $passes passes"
}

start_xvfb
watch_and_end esc
watch_and_end close
echo "$test_name: ok"
