#!/usr/bin/env bash
# Runs one window test with the Windows programs on a Wine server of its own, whose desktop has a display
# of its own. Wine's desktop keeps the display it was started with for as long as its server lives, and one
# started without any (by a headless run of the runner, before the test's virtual display is up, or left
# from an earlier test) makes every window of a later program fail. The windows themselves go to the
# display each program is given, but within the desktop's size: its display is as large as the tests'.
# Usage: bash under-wine.sh <test script> <build-windows/tramolo> <build-windows/tramolo-sim> <build-dir>
set -uo pipefail
script=$1
shift
export WINEPREFIX
WINEPREFIX=$(cd "$(dirname "$1")" && pwd)/wine
wineserver=/usr/lib/wine/wineserver
end_server() {
    "$wineserver" -k 2>/dev/null
    "$wineserver" -w
}
end_server
work=$(mktemp -d)
export TRAMOLO_WINE_SCREEN=${TRAMOLO_WINE_SCREEN:-1024x768}
Xvfb -displayfd 3 -screen 0 "${TRAMOLO_WINE_SCREEN}x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 300); do
    [[ -s $work/display ]] && break
    sleep 0.2
done
[[ -s $work/display ]] || { echo "under-wine.sh: Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=:$(tr -d '\n' <"$work/display")
bash "$script" "$@"
rc=$?
end_server
kill "$xvfb_pid"
rm -rf "$work"
exit "$rc"
