#!/usr/bin/env python3
"""Keeps the house in floors: every #include "..." of src/ and tools/ points to its own room or to a lower
floor, and only a backend's folder includes a system's headers.

The floors are written once, in docs/ARCHITECTURE.md, in the block fenced as ```floors: the top floor first,
one floor a line, the rooms of one floor side by side (they may not include each other).

    floors.py ROOT    checks the tree at ROOT; exit 1 with one line per upward include, naming it
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCES = ('.cpp', '.h', '.c')


def read_floors(root):
    """The floors from the map, lowest first: each a list of rooms ("platform/sdl", "tools")."""
    text = open(os.path.join(root, 'docs', 'ARCHITECTURE.md'), encoding='utf-8').read()
    block = re.search(r'^```floors\n(.*?)^```', text, re.S | re.M)
    if block is None:
        sys.exit('floors: docs/ARCHITECTURE.md has no ```floors block')
    floors = []
    for line in block.group(1).splitlines():
        rooms = line.split('#', 1)[0].split()
        if rooms:
            floors.append(rooms)
    return list(reversed(floors))


def room_of(path, rooms):
    """The room a path relative to the root lies in: the longest room that is a folder above it."""
    inside = path[4:] if path.startswith('src/') else path
    best = None
    for room in rooms:
        if inside == room or inside.startswith(room + '/'):
            if best is None or len(room) > len(best):
                best = room
    return best


def resolve(root, source, name):
    """The file a quoted include names, relative to the root: beside the source, then under src/ and
    tools/ (the include paths of the build)."""
    for base in (os.path.dirname(source), 'src', 'tools'):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def is_standard(name):
    """A header of the C++ library (<cstdio>, <vector>): no extension, no folder."""
    return '.' not in name and '/' not in name


def check(root):
    floors = read_floors(root)
    level = {room: i for i, rooms in enumerate(floors) for room in rooms}
    backends = [room for room in level if room.startswith('platform/')]
    faults = []
    for top in ('src', 'tools'):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for file in sorted(files):
                if not file.endswith(SOURCES):
                    continue
                source = os.path.relpath(os.path.join(folder, file), root)
                own = room_of(source, level)
                if own is None:
                    faults.append(f'{source}: lies in no room of the floors')
                    continue
                lines = open(os.path.join(root, source), encoding='utf-8', errors='replace').read().splitlines()
                for number, line in enumerate(lines, 1):
                    found = INCLUDE.match(line)
                    if found is None:
                        continue
                    quote, name = found.groups()
                    where = f'{source}:{number}: #include {quote}{name}{">" if quote == "<" else quote}'
                    if quote == '<':
                        system = not is_standard(name) and not name.startswith('stb_')
                        in_backend = own in backends
                        if top == 'src' and system and not in_backend:
                            faults.append(f'{where}: a system header outside a backend\'s folder')
                        continue
                    target = resolve(root, source, name)
                    if target is None:
                        faults.append(f'{where}: names no file of the tree')
                        continue
                    room = room_of(target, level)
                    if room is None:
                        faults.append(f'{where}: names a file in no room')
                    elif room != own and level[room] >= level[own]:
                        how = 'a room of the same floor' if level[room] == level[own] else 'a higher floor'
                        faults.append(f'{where}: {own} reaches up to {room}, {how}')
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', '..')
    faults = check(os.path.abspath(root))
    for fault in faults:
        print(f'floors: {fault}')
    if faults:
        print(f'floors: {len(faults)} include(s) against the floors of docs/ARCHITECTURE.md')
        return 1
    print('floors: every include points to its own room or below')
    return 0


if __name__ == '__main__':
    sys.exit(main())
