#!/usr/bin/env python3
# Compares and sums up runner traces (JSON Lines, one pass a line) for the window tests.
#   traces.py same A B      exit 0 when B holds exactly A's lines; else names the first pass and the fields
#                           that differ, with both values
#   traces.py race A        one line of what the trace shows of a race: passes, race passes, top speed of
#                           the player's car, passes steered by the mouse, in the line view, display modes,
#                           race passes with the player's car steering right and left
import json
import sys


def read(path):
    with open(path, encoding="utf-8") as file:
        return file.read().splitlines()


def fields(value, name=""):
    """Every leaf of a parsed trace line as (name, value): "Fps", "Actors[0].PosX", "Actors[0].TouchQuad[1]"."""
    if isinstance(value, dict):
        for key, item in value.items():
            yield from fields(item, f"{name}.{key}" if name else key)
    elif isinstance(value, list):
        for index, item in enumerate(value):
            yield from fields(item, f"{name}[{index}]")
    else:
        yield name, value


def compare(expected_path, actual_path):
    expected, actual = read(expected_path), read(actual_path)
    for index, (want, got) in enumerate(zip(expected, actual)):
        if want == got:
            continue
        a, b = dict(fields(json.loads(want))), dict(fields(json.loads(got)))
        differing = [name for name in a.keys() | b.keys() if a.get(name) != b.get(name)]
        print(f"pass {index + 1} differs in {len(differing)} fields:")
        for name in sorted(differing)[:12]:
            print(f"  {name}: {a.get(name)!r} in {expected_path}, {b.get(name)!r} in {actual_path}")
        return 1
    if len(actual) != len(expected):
        print(f"{expected_path} has {len(expected)} passes, {actual_path} {len(actual)}")
        return 1
    return 0


def race(path):
    lines = [json.loads(line) for line in read(path)]
    racing = [line for line in lines if line["DemoMode"] == 0]
    player = [line["Actors"][line["CurrentActor"]] for line in racing]
    top = max((actor["SpeedKmh"] or 0 for actor in player), default=0)
    mouse = sum(1 for line in racing if line["MouseSteering"] != 0)
    line_view = sum(1 for line in lines if line["CheckLineMode"] != 0)
    modes = len({line["HudMode"] for line in lines})
    right = sum(1 for actor in player if (actor["Steering"] or 0) > 0)
    left = sum(1 for actor in player if (actor["Steering"] or 0) < 0)
    print(f"passes={len(lines)} race={len(racing)} top_kmh={int(top)} mouse={mouse} "
          f"line_view={line_view} hud_modes={modes} right={right} left={left}")
    return 0


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "same":
        return compare(sys.argv[2], sys.argv[3])
    if len(sys.argv) == 3 and sys.argv[1] == "race":
        return race(sys.argv[2])
    print("usage: traces.py same A B, or traces.py race A", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
