#!/usr/bin/env bash
# Without any display the game says why on stderr, in one line, and exits with 1.
test_name=no-display.sh
source "$(dirname "$0")/common.sh"

rc=0
env -u DISPLAY -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY timeout 20 "$game" >"$work/game.out" 2>"$work/game.err" || rc=$?
[[ $rc -eq 1 ]] || fail "exit code without a display was $rc, not 1"
lines=$(grep -c . "$work/game.err" || true)
[[ $lines -ge 1 ]] || fail "nothing on stderr"
grep -qi 'display' "$work/game.err" || fail "stderr does not say the display is missing: $(cat "$work/game.err")"
echo "$test_name: ok"
