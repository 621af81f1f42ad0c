#!/usr/bin/env bash
# The Windows programs as a player gets them: the zip holds one folder with both programs, how to play and
# the license; neither program needs a DLL beside the system's; the game is a program of the windows
# subsystem (no console window) and carries the game's icon, its version and a manifest that declares
# per-monitor DPI awareness (v2) as the process's own (resource type 24, number 1); the game loads XInput by
# name rather than importing it; under Wine it answers --help and --version as on Linux, its window has the
# game's title and a client area of the drawing area's size, and with XInput switched off it runs as before.
# Usage: bash programs.sh <build-windows/tramolo> <build-windows/tramolo-sim> <build-dir>
test_name=programs.sh
# shellcheck source=tests/e2e/common.sh
source "$(dirname "$0")/../../e2e/common.sh"
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
windows=$(dirname "$game")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || fail "no project version in $build/CMakeCache.txt"
title=$(sed -n 's/^inline constexpr char WindowTitle\[\] = "\(.*\)";$/\1/p' "$source_dir/src/world/Texts.h")
[[ -n $title ]] || fail "no window title in src/world/Texts.h"

zip=$windows/tramolo-$version-windows-x86_64.zip
[[ -f $zip ]] || fail "no $zip"
python3 - "$zip" "$version" "$windows/bin" "$source_dir/data/tramolo.ico" <<'PY' || fail "the zip or the programs are not as they should be"
import struct, sys, zipfile
zip_path, version, bin_dir, icon_path = sys.argv[1:]
folder = f"tramolo-{version}-windows-x86_64/"
names = sorted(zipfile.ZipFile(zip_path).namelist())
want = sorted(folder + name for name in ["tramolo.exe", "tramolo-sim.exe", "README.txt", "COPYING.txt"])
ok = names == want or print(f"the zip holds {names}, not {want}")
archive = zipfile.ZipFile(zip_path)

def layout(image):
    """Where a PE image's optional header starts, and the file offset of a relative virtual address."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections = struct.unpack_from("<H", image, pe + 6)[0]
    table = pe + 24 + struct.unpack_from("<H", image, pe + 20)[0]
    def offset(rva):
        for i in range(sections):
            size, address, _, raw = struct.unpack_from("<IIII", image, table + 40 * i + 8)
            if address <= rva < address + size:
                return rva - address + raw
        raise ValueError(f"RVA {rva:#x} in no section")
    return pe + 24, offset

def imports_and_subsystem(image):
    """The DLLs a PE image imports and its subsystem (2 windows, 3 console)."""
    optional, offset = layout(image)
    subsystem = struct.unpack_from("<H", image, optional + 68)[0]
    import_rva = struct.unpack_from("<I", image, optional + 120)[0]
    dlls, at = [], offset(import_rva)
    while struct.unpack_from("<I", image, at + 12)[0] != 0:
        name = offset(struct.unpack_from("<I", image, at + 12)[0])
        dlls.append(image[name:image.index(b"\0", name)].decode().lower())
        at += 20
    return dlls, subsystem

def manifest(image):
    """The text of the process's manifest: resource type 24 (RT_MANIFEST), number 1, any language."""
    optional, offset = layout(image)
    resource_rva = struct.unpack_from("<I", image, optional + 128)[0]
    root = offset(resource_rva)
    def entry(directory, wanted):
        named, numbered = struct.unpack_from("<HH", image, directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, directory + 16 + 8 * i)
            if wanted is None or name == wanted:
                return target
        return None
    level = root
    for wanted in (24, 1, None):
        target = entry(level, wanted)
        if target is None:
            return ""
        level = root + (target & 0x7FFFFFFF)
    data_rva, size = struct.unpack_from("<II", image, level)
    return image[offset(data_rva):offset(data_rva) + size].decode("utf-8", "replace")

system = {"kernel32.dll", "user32.dll", "gdi32.dll", "winmm.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll"}
icon = open(icon_path, "rb").read()
images = [icon[o:o + n] for n, o in (struct.unpack_from("<II", icon, 6 + 16 * i + 8)
                                      for i in range(struct.unpack_from("<H", icon, 4)[0]))]
for program, subsystem_wanted in [("tramolo.exe", 2), ("tramolo-sim.exe", 3)]:
    image = archive.read(folder + program)
    ok = image == open(f"{bin_dir}/{program}", "rb").read() and ok or print(f"{program} in the zip is not the build's")
    dlls, subsystem = imports_and_subsystem(image)
    ok = set(dlls) <= system and ok or print(f"{program} needs {sorted(set(dlls) - system)} beside the system's DLLs")
    ok = subsystem == subsystem_wanted and ok or print(f"{program} has subsystem {subsystem}, not {subsystem_wanted}")
    ok = all(part in image for part in images) and ok or print(f"{program} lacks the game's icon")
    text = manifest(image)
    aware = "<dpiAwareness" in text and ">PerMonitorV2" in text and ">true/pm<" in text
    ok = aware and ok or print(f"{program}: its manifest declares no per-monitor DPI awareness: {text[:200]!r}")
    for key, value in [("FileVersion", version), ("ProductName", "tramolo")]:
        text = (key + "\0").encode("utf-16-le")
        found = image.find(text)
        after = image[found + len(text):found + len(text) + 64].decode("utf-16-le", "ignore").lstrip("\0")
        ok = found >= 0 and after.startswith(value + "\0") and ok or print(f"{program}: no {key} {value}")
# The gamepads' library is loaded when the game starts, by either of its names, never imported.
game_image = archive.read(folder + "tramolo.exe")
for name in [b"xinput1_4.dll", b"xinput9_1_0.dll", b"XInputGetState"]:
    ok = name in game_image and ok or print(f"tramolo.exe does not name {name.decode()}")
readme = archive.read(folder + "README.txt").decode()
ok = f"tramolo {version} for Windows" in readme and "\r\n" in readme and ok or print("README.txt is not the game's")
sys.exit(0 if ok else 1)
PY

# The window: the game's title, and the client area (Wine's X window; no window manager draws a frame here)
# of the drawing area's size.
# Wine starts its desktop on the first program's display: everything runs on the virtual one.
start_xvfb
# The answers of the command line, as on Linux (in the system's text mode: a line ends in CR LF).
for option in --version --help; do
    "$game" "$option" >"$work/$option.txt" 2>"$work/game.err" || fail "tramolo.exe $option failed"
    [[ ! -s $work/game.err ]] || fail "tramolo.exe $option wrote to stderr: $(cat "$work/game.err")"
done
[[ $(cat "$work/--version.txt") == "tramolo $version"$'\r' ]] || fail "tramolo.exe --version says $(cat "$work/--version.txt")"
grep -q '^Usage: tramolo ' "$work/--help.txt" || fail "tramolo.exe --help says $(cat "$work/--help.txt")"

start_game
[[ $(xdotool getwindowname "$window") == "$title" ]] || fail "the window's title is $(xdotool getwindowname "$window")"
size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[[ $size == 596x572 ]] || fail "the window's client area is $size, not 596x572"
press Escape
wait_for_exit

# Without XInput (both libraries switched off in Wine) there is no pad, and the game runs as before: ENTER
# starts a race, ESC ends it with 27.
export WINEDLLOVERRIDES="xinput1_4,xinput9_1_0=d"
start_game
press Return
# The race has begun once the damage bar's black frame stands at the top right (as e2e/drive.sh sees it).
race_view() {
    screenshot "$work/race.png"
    (($(python3 "$source_dir/tests/e2e/picture.py" count "$work/race.png" 0,0,0 479 31 581 32) == 102))
}
wait_for "$deadline" "the race view without XInput" race_view
press Escape
wait_for_exit
unset WINEDLLOVERRIDES
[[ $game_rc -eq 27 ]] || fail "without XInput the game's exit code after ESC was $game_rc, not 27"
echo "$test_name: ok"
