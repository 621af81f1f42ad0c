#!/usr/bin/env bash
# Installs the built game into a temporary prefix and checks every installed file: the desktop entry, the
# icon, the manual page (rendered without a warning), the AppStream metainfo (valid), the copyright and the
# changelog. Builds the Debian package with CPack and checks its dependencies, its contents and lintian's
# verdict. Then starts the installed game under a virtual X server: its window's class must be the desktop
# entry's StartupWMClass, also for a copy of the game under another name, and ESC must end it with exit code
# 27. Last, removing what install_manifest.txt lists must leave no file behind.
# Usage: bash install.sh <tramolo> <tramolo-sim> <build-dir>
test_name=install.sh
# shellcheck source=tests/e2e/common.sh
source "$(dirname "$0")/common.sh"
build=$(cd "$build" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$work/prefix
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || fail "no project version in $build/CMakeCache.txt"

# Every tool this test needs; scripts/deps.sh installs them with the test set.
for tool in cpack dpkg-deb lintian appstreamcli desktop-file-validate man groff gzip xprop python3; do
    command -v "$tool" >/dev/null || fail "$tool not found (scripts/deps.sh test installs it)"
done
# The window class must come from the game, not from the environment.
unset SDL_VIDEO_X11_WMCLASS SDL_VIDEO_WAYLAND_WMCLASS

# Width and height of a PNG file from its IHDR, as "W H".
png_size() {
    [[ $(head -c 8 "$1" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "$1 is not a PNG"
    local hex
    hex=$(dd if="$1" bs=1 skip=16 count=8 status=none | od -An -tx1 | tr -d ' \n')
    echo "$((16#${hex:0:8})) $((16#${hex:8:8}))"
}

# ---- The installed files ----
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install: $(cat "$work/install.log")"
# Kept aside at once: cpack below installs into its own staging directory and rewrites the build directory's
# manifest with the package's /usr paths.
[[ -f $build/install_manifest.txt ]] || fail "cmake --install wrote no $build/install_manifest.txt"
cp "$build/install_manifest.txt" "$work/install_manifest.txt"

bin=$prefix/bin/tramolo
desktop=$prefix/share/applications/tramolo.desktop
icon=$prefix/share/icons/hicolor/64x64/apps/tramolo.png
manpage=$prefix/share/man/man6/tramolo.6.gz
docs=$prefix/share/doc/tramolo
metainfo=$(find "$prefix/share/metainfo" -name '*.metainfo.xml' 2>/dev/null | head -n 1)

[[ -x $bin ]] || fail "no executable $bin"
cmp -s "$game" "$bin" || fail "$bin is not the built game $game"
for file in "$desktop" "$icon" "$manpage" "$docs/copyright" "$docs/changelog.gz"; do
    [[ -f $file ]] || fail "not installed: $file"
done
[[ -n $metainfo ]] || fail "no metainfo file below $prefix/share/metainfo"

# Only the game and its data and documentation, nothing of the tools or tests.
installed=$(cd "$prefix" && find . -type f | sort | tr '\n' ' ')
expected="./bin/tramolo ./share/applications/tramolo.desktop ./share/doc/tramolo/changelog.gz"
expected+=" ./share/doc/tramolo/copyright ./share/icons/hicolor/64x64/apps/tramolo.png"
expected+=" ./share/man/man6/tramolo.6.gz ./share/metainfo/${metainfo##*/} "
[[ $installed == "$expected" ]] || fail "unexpected installed files: $installed"

# The desktop entry: valid, starting the game, and naming the class the game's window will have.
grep -qx '\[Desktop Entry\]' "$desktop" || fail "desktop entry lacks its group header"
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is not an application"
grep -qx 'Exec=tramolo' "$desktop" || fail "desktop entry does not start tramolo"
grep -qx 'Icon=tramolo' "$desktop" || fail "desktop entry does not name the icon"
grep -qx 'Categories=Game;ActionGame;' "$desktop" || fail "desktop entry has the wrong categories"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[[ -n $wm_class ]] || fail "desktop entry has no StartupWMClass"

[[ $(png_size "$icon") == "64 64" ]] || fail "icon is not 64x64 ($(png_size "$icon"))"

# The manual page: compressed, of this version, and rendered by man and groff without a single warning.
gzip -t "$manpage" || fail "manual page is not a valid gzip file"
zcat "$manpage" | grep -q "^\.TH TRAMOLO 6 .*\"tramolo $version\"" || fail "manual page is not of version $version"
MANWIDTH=80 man --warnings -l "$manpage" >"$work/man.txt" 2>"$work/man.err" || fail "man failed: $(cat "$work/man.err")"
[[ ! -s $work/man.err ]] || fail "man warns: $(cat "$work/man.err")"
zcat "$manpage" | groff -man -ww -z 2>"$work/groff.err" || fail "groff failed: $(cat "$work/groff.err")"
[[ ! -s $work/groff.err ]] || fail "groff warns: $(cat "$work/groff.err")"
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS 'EXIT STATUS' FILES; do
    grep -qx "$heading" "$work/man.txt" || fail "manual page has no section $heading"
done
for text in '--help' '--version' 'ESC' 'ENTER' 'F5' '^ *27 '; do
    grep -qe "$text" "$work/man.txt" || fail "manual page does not mention $text"
done

# The metainfo: valid for appstreamcli (warnings fail too), named after its id, launching the installed
# desktop entry, of this version, with a content rating and a screenshot of the size of the one in data/.
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    fail "metainfo does not validate: $(cat "$work/appstream.log")"
read -r shot_width shot_height <<<"$(png_size "$source_dir/data/screenshot-race.png")"
python3 - "$metainfo" "$version" "$shot_width" "$shot_height" "$prefix/share/applications" <<'PY' ||
import os, sys, xml.etree.ElementTree as ET
path, version, width, height, applications = sys.argv[1:]
root = ET.parse(path).getroot()
problems = []
cid = root.findtext("id")
if os.path.basename(path) != f"{cid}.metainfo.xml":
    problems.append(f"file name {os.path.basename(path)} is not the id {cid}")
launchable = root.findtext("launchable[@type='desktop-id']")
if not launchable or not os.path.isfile(os.path.join(applications, launchable)):
    problems.append(f"launchable {launchable} is not an installed desktop entry")
release = root.find("releases/release")
if release is None or release.get("version") != version:
    problems.append(f"newest release is not version {version}")
rating = root.find("content_rating")
if rating is None or not (rating.get("type") or "").startswith("oars-"):
    problems.append("no OARS content rating")
image = root.find("screenshots/screenshot[@type='default']/image")
if image is None or not image.text or not image.text.startswith("https://"):
    problems.append("no default screenshot with an https address")
elif (image.get("width"), image.get("height")) != (width, height):
    problems.append(f"screenshot size {image.get('width')}x{image.get('height')} is not {width}x{height}")
if root.findtext("provides/binary") != "tramolo":
    problems.append("does not provide the binary tramolo")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
PY
    fail "metainfo content is wrong"

# The changelog's newest entry is this version; the copyright file names the copyright holder.
zcat "$docs/changelog.gz" | head -n 1 | grep -q "^tramolo ($version) " || fail "changelog does not start with $version"
grep -q '^Copyright: ' "$docs/copyright" || fail "copyright file has no Copyright field"

# ---- The Debian package ----
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb") >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(tail -n 5 "$work/cpack.log")"
deb=$(find "$work/deb" -maxdepth 1 -name 'tramolo_*.deb' | head -n 1)
[[ -n $deb ]] || fail "cpack made no tramolo package"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libsdl2-2.0-0 libx11-6; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "package does not depend on $package: $depends"
done
# The face is built in: neither a font, nor a font or PNG library.
for package in fonts-wine libsdl2-ttf-2.0-0 libfontconfig1 libfreetype6 libpng16-16; do
    [[ ", $depends," != *", $package"[\ ,]* ]] || fail "package depends on $package: $depends"
done
# Debian keeps games in /usr/games; everything else as in the prefix.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort | tr '\n' ' ')
expected_deb="./usr/games/tramolo ./usr/share/applications/tramolo.desktop ./usr/share/doc/tramolo/changelog.gz"
expected_deb+=" ./usr/share/doc/tramolo/copyright ./usr/share/icons/hicolor/64x64/apps/tramolo.png"
expected_deb+=" ./usr/share/man/man6/tramolo.6.gz ./usr/share/metainfo/${metainfo##*/} "
[[ $contents == "$expected_deb" ]] || fail "unexpected package contents: $contents"
dpkg-deb -x "$deb" "$work/unpacked"
for file in share/man/man6/tramolo.6.gz "share/metainfo/${metainfo##*/}" share/applications/tramolo.desktop; do
    cmp -s "$prefix/$file" "$work/unpacked/usr/$file" || fail "packaged $file differs from the installed one"
done

# Lintian: no error and no warning (informational tags are allowed).
lintian_rc=0
lintian "$deb" >"$work/lintian.log" 2>"$work/lintian.err" || lintian_rc=$?
if grep -qE '^[EW]: ' "$work/lintian.log" || [[ $lintian_rc -ne 0 ]]; then
    fail "lintian (exit code $lintian_rc): $(cat "$work/lintian.log" "$work/lintian.err")"
fi

# ---- The installed game under Xvfb ----
# Polls the window's WM_CLASS until the game has set it; prints its class part (the second string).
window_class() {
    local end=$((SECONDS + deadline)) class
    while ((SECONDS < end)); do
        class=$(xprop -id "$window" WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS([A-Z_0-9]*) = "[^"]*", "\([^"]*\)"$/\1/p')
        if [[ -n $class ]]; then
            echo "$class"
            return
        fi
        sleep 0.1
    done
}

# Starts $game, checks its window's class against the desktop entry and ends it with ESC (exit code 27).
check_window() {
    start_game
    local class
    class=$(window_class)
    [[ $class == "$wm_class" ]] || fail "$1: window class is '$class', the desktop entry says '$wm_class'"
    # The game reads the keyboard from its focused window.
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key Escape
    wait_for_exit
    [[ $game_rc -eq 27 ]] || fail "$1: exit code after ESC was $game_rc, not 27"
}

start_xvfb
game=$bin
check_window "installed game"
# SDL would name the class after the executable; the game sets it, so a copy under another name keeps it.
cp "$bin" "$work/renamed-racer"
game=$work/renamed-racer
check_window "renamed copy"

# ---- Uninstalling: what the manifest lists is all there is ----
manifest=$work/install_manifest.txt
outside=$(grep -v "^$prefix/" "$manifest" || true)
[[ -z $outside ]] || fail "the manifest lists files outside the prefix: $outside"
xargs -d '\n' rm -- <"$manifest" || fail "removing the files of the manifest failed"
left=$(find "$prefix" -type f | tr '\n' ' ')
[[ -z $left ]] || fail "files left after removing the manifest's: $left"
echo "install.sh: ok"
