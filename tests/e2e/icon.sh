#!/usr/bin/env bash
# The window carries the game's own icon for window managers that read _NET_WM_ICON: the 64 x 64 picture
# the desktop entry installs (data/tramolo.png), pixel for pixel, though the game reads no file for it.
test_name=icon.sh
source "$(dirname "$0")/common.sh"
icon=$(dirname "$0")/../../data/tramolo.png

command -v xprop >/dev/null || fail "xprop not found (Debian package x11-utils)"
[[ -f $icon ]] || fail "no $icon"
# The installed picture as 0xAARRGGBB values, row after row, after its width and height: the property's form.
read -r width height < <(identify -format '%w %h\n' "$icon")
convert "$icon" -depth 8 rgba:- | /usr/bin/python3 -c '
import sys
data = sys.stdin.buffer.read()
values = [sys.argv[1], sys.argv[2]]
for i in range(0, len(data), 4):
    r, g, b, a = data[i:i + 4]
    values.append(str(a << 24 | r << 16 | g << 8 | b))
print(", ".join(values))' "$width" "$height" >"$work/expected" || fail "cannot read $icon"

start_xvfb
start_game
# The property is set with the window; wait for it all the same, in case the server is slow.
end=$((SECONDS + deadline))
while ((SECONDS < end)); do
    xprop -len 1000000 -id "$window" -notype -f _NET_WM_ICON 32c _NET_WM_ICON >"$work/property" 2>&1 || true
    grep -q '^_NET_WM_ICON = ' "$work/property" && break
    sleep 0.2
done
grep -q '^_NET_WM_ICON = ' "$work/property" || fail "the window has no _NET_WM_ICON: $(head -c 200 "$work/property")"
sed 's/^_NET_WM_ICON = //' "$work/property" >"$work/actual"
read -r got_width got_height < <(tr -d ',' <"$work/actual" | awk '{ print $1, $2 }')
[[ "$got_width $got_height" == "$width $height" ]] || fail "the icon is $got_width x $got_height, not $width x $height"
cmp -s "$work/expected" "$work/actual" || fail "the icon's pixels differ from $icon"
echo "$test_name: a $got_width x $got_height icon, every pixel that of $icon"

press Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
echo "$test_name: ok"
