#!/usr/bin/env bash
# --help and --version: their answer on standard output (--version one line, --help the usage line first and
# the settings file's place last), nothing on standard error, exit code 0, and no window:
# the game runs without any display, where opening a window would fail with exit code 1. Every other argument
# is ignored, so the game then tries its window as before.
# Usage: bash options.sh <tramolo> <tramolo-sim> <build-dir>
test_name=options.sh
# shellcheck source=tests/e2e/common.sh
source "$(dirname "$0")/common.sh"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || fail "no project version in $build/CMakeCache.txt"

# Runs the game with the given arguments and no way to reach a display; sets rc.
run_without_display() {
    rc=0
    env -u DISPLAY -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR timeout "$deadline" "$game" "$@" \
        >"$work/game.out" 2>"$work/game.err" || rc=$?
}

# Expects exit code 0, the given first line on stdout (and, for --help, the settings file last) and nothing
# on stderr.
expect_answer() {
    local want=$1
    shift
    run_without_display "$@"
    [[ $rc -eq 0 ]] || fail "tramolo $* exited with $rc: $(cat "$work/game.err")"
    [[ ! -s $work/game.err ]] || fail "tramolo $* wrote to stderr: $(cat "$work/game.err")"
    [[ $(head -n 1 "$work/game.out") =~ $want ]] || fail "tramolo $* printed: $(cat "$work/game.out")"
    if [[ $want == *Usage* ]]; then
        [[ $(tail -n 1 "$work/game.out") == "  $settings_file." ]] ||
            fail "tramolo $* does not end naming $settings_file: $(cat "$work/game.out")"
    else
        [[ $(wc -l <"$work/game.out") -eq 1 ]] || fail "tramolo $* did not print one line: $(cat "$work/game.out")"
    fi
}

expect_answer "^tramolo $version\$" --version
expect_answer '^Usage: tramolo .*--help.*--version' --help
# The first question on the line is answered; other arguments beside it do not matter.
expect_answer "^tramolo $version\$" --fullscreen --version --help
expect_answer '^Usage: tramolo ' -x --help --version

# Any other argument starts the game as before: here it finds no display and says so.
for args in "--bogus" "-h" "-- --help" "--versions"; do
    # shellcheck disable=SC2086
    run_without_display $args
    [[ $rc -eq 1 ]] || fail "tramolo $args exited with $rc, not 1 as a game without a display"
    grep -q '^tramolo: .*display' "$work/game.err" || fail "tramolo $args did not try its window"
    [[ ! -s $work/game.out ]] || fail "tramolo $args printed: $(cat "$work/game.out")"
done

# An answer that cannot be written is no success.
rc=0
"$game" --version >/dev/full 2>"$work/game.err" || rc=$?
[[ $rc -ne 0 ]] || fail "tramolo --version >/dev/full exited with 0"
grep -q '^tramolo: ' "$work/game.err" || fail "no reason on stderr for the failed write"
echo "$test_name: ok"
