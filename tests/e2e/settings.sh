#!/usr/bin/env bash
# The settings file as a player meets it. The window's size and place are kept when the game ends and the
# next game opens there. A garbled file, a place on a display that is gone and a folder the game cannot
# write each give the defaults and one line on standard error, and the game runs; a game that is killed
# leaves the old file whole.
test_name=settings.sh
source "$(dirname "$0")/common.sh"

# lines_of WORDS: how many lines of the game's stderr hold WORDS.
lines_of() { grep -c -- "$1" "$work/game.err" || true; }

# run_and_end: starts the game with its settings as they are, waits for its frames, ends it with ESC.
run_and_end() {
    start_game
    press Escape
    wait_for_exit
    [[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
}

start_xvfb 1920x1080

# Kept: the window made 800 x 700 and moved is where the next game opens.
start_game
xdotool windowmove "$window" 300 200
resize_to 800 700
kept_place() { grep -q '^window-width = 800$' "$settings_file" 2>/dev/null; }
press Escape
wait_for_exit
kept_place || fail "the size was not kept (exit code $game_rc): $(cat "$settings_file")"
grep -q '^window-x = 300$' "$settings_file" && grep -q '^window-y = 200$' "$settings_file" &&
    grep -q '^window-height = 700$' "$settings_file" && grep -q '^fullscreen = no$' "$settings_file" ||
    fail "the place was not kept: $(cat "$settings_file")"
client_size="800 700"
start_game
xdotool getwindowgeometry "$window" | grep -q 'Position: 300,200 ' ||
    fail "the window opened at $(xdotool getwindowgeometry "$window" | sed -n 's/^ *Position: //p'), not 300,200"
press Escape
wait_for_exit
[[ ! -s $work/game.err ]] || fail "a good settings file made the game say: $(cat "$work/game.err")"
echo "$test_name: the window's size and place kept"

# Killed: the file a game started from is still whole and the same.
cp "$settings_file" "$work/before.conf"
start_game
kill -KILL "$game_pid"
wait "$game_pid" 2>/dev/null || true
game_pid=
release_keys
cmp -s "$settings_file" "$work/before.conf" || fail "a killed game changed the file: $(cat "$settings_file")"
[[ ! -e $settings_file.part ]] || fail "a killed game left $settings_file.part"
echo "$test_name: a killed game left the file whole"

# Gone: a place on a display that is not there gives the default size and place, wholly on the screen.
printf 'window-x = 5000\nwindow-y = 200\nwindow-width = 800\nwindow-height = 700\n' >"$settings_file"
client_size="596 572"
start_game
read -r x y < <(xdotool getwindowgeometry "$window" | sed -n 's/^ *Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
((x >= 0 && y >= 0 && x + 596 <= 1920 && y + 572 <= 1080)) || fail "the window opened at $x,$y, not on the screen"
press Escape
wait_for_exit
[[ $(lines_of "lies on no display") -eq 1 && $(wc -l <"$work/game.err") -eq 1 ]] ||
    fail "a place off every display: $(cat "$work/game.err")"
echo "$test_name: a place off every display: $(cat "$work/game.err")"

# Garbled: binary junk gives the defaults and one line, and the game writes a good file in its place.
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR window-width = huge\nfullscreen yes\n' >"$settings_file"
client_size="596 572"
run_and_end
[[ $(lines_of "cannot be read") -eq 1 && $(wc -l <"$work/game.err") -eq 1 ]] ||
    fail "a garbled file: $(cat "$work/game.err")"
grep -q '^scaling = sharp$' "$settings_file" || fail "no good file after a garbled one: $(cat "$settings_file")"
echo "$test_name: a garbled file: $(cat "$work/game.err")"

# Unwritable: the settings folder belongs to someone else. Run as root, the game runs as nobody here, who
# may read the folder but not write it; run as anyone else, the folder loses its write bits. Wine runs
# only as the owner of its prefix, and as root the game could write anything: there a folder stands where
# the game writes its part file.
cp "$work/before.conf" "$settings_file"
client_size="800 700"
if [[ -n ${WINEPREFIX:-} ]]; then
    mkdir -p "$settings_file.part/in-the-way"
    start_game
elif [[ $(id -u) -eq 0 ]]; then
    chmod -R a+rX "$work"
    game_as_other() { setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent "$game"; }
    start_program game_as_other
else
    chmod a-w "$(dirname "$settings_file")"
    start_game
fi
press Escape
wait_for_exit
chmod u+w "$(dirname "$settings_file")"
rm -rf "$settings_file.part"
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
[[ $(lines_of "cannot save the settings") -eq 1 && $(wc -l <"$work/game.err") -eq 1 ]] ||
    fail "an unwritable folder: $(cat "$work/game.err")"
cmp -s "$settings_file" "$work/before.conf" || fail "the old file changed: $(cat "$settings_file")"
echo "$test_name: an unwritable folder: $(cat "$work/game.err")"
echo "$test_name: ok"
