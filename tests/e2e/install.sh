#!/usr/bin/env bash
# Installs the built game into a temporary prefix, checks the installed files, then starts the installed
# game under a virtual X server: its window must appear, and ESC must end it with exit code 27.
# Usage: bash install.sh <tramolo> <tramolo-sim> <build-dir>
test_name=install.sh
# shellcheck source=tests/e2e/common.sh
source "$(dirname "$0")/common.sh"
build=$(cd "$build" && pwd)
prefix=$work/prefix

# ---- The installed files ----
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install: $(cat "$work/install.log")"

bin=$prefix/bin/tramolo
desktop=$prefix/share/applications/tramolo.desktop
icon=$prefix/share/icons/hicolor/64x64/apps/tramolo.png

[[ -x $bin ]] || fail "no executable $bin"
cmp -s "$game" "$bin" || fail "$bin is not the built game $game"
[[ -f $desktop ]] || fail "no desktop entry $desktop"
[[ -f $icon ]] || fail "no icon $icon"

grep -qx '\[Desktop Entry\]' "$desktop" || fail "desktop entry lacks its group header"
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is not an application"
grep -qx 'Exec=tramolo' "$desktop" || fail "desktop entry does not start tramolo"
grep -qx 'Icon=tramolo' "$desktop" || fail "desktop entry does not name the icon"
grep -qx 'Categories=Game;ActionGame;' "$desktop" || fail "desktop entry has the wrong categories"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi

# A PNG signature, then an IHDR of 64 x 64.
signature=$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')
[[ $signature == 89504e470d0a1a0a ]] || fail "icon is not a PNG"
size=$(dd if="$icon" bs=1 skip=16 count=8 status=none | od -An -tx1 | tr -d ' \n')
[[ $size == 0000004000000040 ]] || fail "icon is not 64x64 (IHDR size $size)"

# Only the game and its two data files, nothing of the tools or tests.
installed=$(cd "$prefix" && find . -type f | sort | tr '\n' ' ')
expected="./bin/tramolo ./share/applications/tramolo.desktop ./share/icons/hicolor/64x64/apps/tramolo.png "
[[ $installed == "$expected" ]] || fail "unexpected installed files: $installed"

# ---- The Debian package and its dependencies ----
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null; then
    (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb") >"$work/cpack.log" 2>&1 ||
        fail "cpack: $(tail -n 5 "$work/cpack.log")"
    deb=$(find "$work/deb" -maxdepth 1 -name 'tramolo_*.deb' | head -n 1)
    [[ -n $deb ]] || fail "cpack made no tramolo package"
    depends=$(dpkg-deb -f "$deb" Depends)
    for package in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfontconfig1 libx11-6 fonts-wine; do
        [[ ", $depends," == *", $package"[\ ,]* ]] || fail "package does not depend on $package: $depends"
    done
    contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort | tr '\n' ' ')
    expected_deb="./usr/bin/tramolo ./usr/share/applications/tramolo.desktop"
    expected_deb+=" ./usr/share/icons/hicolor/64x64/apps/tramolo.png "
    [[ $contents == "$expected_deb" ]] || fail "unexpected package contents: $contents"
fi

# ---- The installed game under Xvfb ----
start_xvfb
game=$bin
start_game
# The game reads the keyboard from its focused window.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape
wait_for_exit
[[ $game_rc -eq 27 ]] || fail "exit code after ESC was $game_rc, not 27"
echo "install.sh: ok"
