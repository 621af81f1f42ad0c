#!/usr/bin/env python3
# Reads screenshots of the window and frames of the headless runner and compares them coarsely, for the
# window tests. Every position is a back-buffer position: a 596 x 572 screenshot of the client area shows
# back-buffer pixel (x, y) at (x - 2, y - 26); a 600 x 600 runner frame is the back buffer itself. Only the
# part both show (x 2..597, y 26..597) is ever looked at.
import re
import subprocess
import sys

CLIENT_LEFT, CLIENT_TOP, CLIENT_WIDTH, CLIENT_HEIGHT = 2, 26, 596, 572
CONVERT = "/usr/bin/convert"


class Picture:
    def __init__(self, path):
        size = subprocess.run(["/usr/bin/identify", "-format", "%w %h", path], check=True,
                              capture_output=True, text=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.data = subprocess.run([CONVERT, path, "-depth", "8", "rgb:-"], check=True,
                                   capture_output=True).stdout
        if len(self.data) != self.width * self.height * 3:
            raise SystemExit(f"{path}: {len(self.data)} bytes of pixels for {self.width} x {self.height}")
        if (self.width, self.height) == (600, 600):
            self.left, self.top = 0, 0
        elif (self.width, self.height) == (CLIENT_WIDTH, CLIENT_HEIGHT):
            self.left, self.top = CLIENT_LEFT, CLIENT_TOP
        else:
            raise SystemExit(f"{path}: {self.width} x {self.height} is neither a frame nor a client area")

    def pixel(self, x, y):
        i = ((y - self.top) * self.width + (x - self.left)) * 3
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def positions(self, colour):
        """Back-buffer positions of every pixel of exactly this colour, within the shared area."""
        needle = re.escape(bytes(colour))
        for match in re.finditer(needle, self.data):
            start = match.start()
            if start % 3:
                continue
            index = start // 3
            x, y = index % self.width + self.left, index // self.width + self.top
            if inside(x, y):
                yield x, y


def inside(x, y):
    return CLIENT_LEFT <= x < CLIENT_LEFT + CLIENT_WIDTH and CLIENT_TOP <= y < CLIENT_TOP + CLIENT_HEIGHT


def parse_colour(text):
    parts = [int(v) for v in text.split(",")]
    if len(parts) != 3 or any(v < 0 or v > 255 for v in parts):
        raise SystemExit(f"bad colour {text}")
    return tuple(parts)


def clip(x0, y0, x1, y1):
    return (max(x0, CLIENT_LEFT), max(y0, CLIENT_TOP), min(x1, CLIENT_LEFT + CLIENT_WIDTH),
            min(y1, CLIENT_TOP + CLIENT_HEIGHT))


def cells(picture, colour, size):
    return {(x // size, y // size) for x, y in picture.positions(colour)}


def near(cell, others):
    cx, cy = cell
    return any((cx + dx, cy + dy) in others for dx in (-1, 0, 1) for dy in (-1, 0, 1))


def cell_mismatch(a, b):
    """Cells of either set with no cell of the other set at or next to them, and the cells of both."""
    missing = sum(1 for c in a if not near(c, b)) + sum(1 for c in b if not near(c, a))
    return missing, len(a) + len(b)


def command_match(args):
    """match CELL REAL COLOURS... -- FRAMES...: the frame whose coloured cells fit the screenshot best.

    Prints the frame, its share of unmatched cells over all colours, and per colour the screenshot's cells
    and that frame's share of unmatched cells of the colour."""
    size = int(args[0])
    real = Picture(args[1])
    split = args.index("--")
    colours = [parse_colour(c) for c in args[2:split]]
    real_cells = [cells(real, c, size) for c in colours]
    best = None
    for frame_path in args[split + 1:]:
        frame = Picture(frame_path)
        fits = [cell_mismatch(mine, cells(frame, colour, size)) for colour, mine in zip(colours, real_cells)]
        missing, total = sum(m for m, _ in fits), sum(t for _, t in fits)
        score = missing / total if total else 1.0
        if best is None or score < best[0]:
            best = (score, frame_path, fits)
    score, frame_path, fits = best
    shares = " ".join(f"{len(mine)}:{(m / t if t else 1.0):.3f}" for mine, (m, t) in zip(real_cells, fits))
    print(f"{frame_path} {score:.3f} {shares}")


def command_count(args):
    """count IMAGE COLOUR X0 Y0 X1 Y1: pixels of exactly that colour in the rectangle (right, bottom excl.)."""
    picture = Picture(args[0])
    x0, y0, x1, y1 = clip(*(int(v) for v in args[2:6]))
    print(sum(1 for x, y in picture.positions(parse_colour(args[1])) if x0 <= x < x1 and y0 <= y < y1))


def text_rows(picture, x0, y0, x1, y1):
    """Rows of the rectangle holding a pixel dark enough to be text (the grey border lines are lighter)."""
    x0, y0, x1, y1 = clip(x0, y0, x1, y1)
    return [y for y in range(y0, y1) if any(max(picture.pixel(x, y)) < 40 for x in range(x0, x1))]


def command_rows(args):
    """rows IMAGE X0 Y0 X1 Y1: the text rows of the rectangle."""
    picture = Picture(args[0])
    print(" ".join(str(y) for y in text_rows(picture, *(int(v) for v in args[1:5]))))


def command_rowdiff(args):
    """rowdiff A B X0 Y0 X1 Y1: text rows of the rectangle in either picture with no text row of the other
    within two rows, so the lines stand in different places (other glyphs in one line do not count)."""
    a, b = Picture(args[0]), Picture(args[1])
    box = [int(v) for v in args[2:6]]
    rows_a, rows_b = set(text_rows(a, *box)), set(text_rows(b, *box))
    alone = lambda rows, others: sum(1 for y in rows if not any(y + d in others for d in range(-2, 3)))
    print(alone(rows_a, rows_b) + alone(rows_b, rows_a))


def command_pixeldiff(args):
    """pixeldiff A B X0 Y0 X1 Y1: pixels of the rectangle that differ between the two."""
    a, b = Picture(args[0]), Picture(args[1])
    x0, y0, x1, y1 = clip(*(int(v) for v in args[2:6]))
    print(sum(1 for y in range(y0, y1) for x in range(x0, x1) if a.pixel(x, y) != b.pixel(x, y)))


def command_colourdiff(args):
    """colourdiff A B COLOUR X0 Y0 X1 Y1: pixels of the rectangle that have the colour in only one of the two."""
    a, b = Picture(args[0]), Picture(args[1])
    colour = parse_colour(args[2])
    x0, y0, x1, y1 = clip(*(int(v) for v in args[3:7]))
    box = lambda p: {(x, y) for x, y in p.positions(colour) if x0 <= x < x1 and y0 <= y < y1}
    print(len(box(a) ^ box(b)))


def command_has(args):
    """has IMAGE COLOUR[:X0,Y0,X1,Y1[:LEAST]]...: exit status 0 when the image holds at least LEAST (default 1)
    pixels of each colour, within its rectangle (default: the whole shared area); 1 otherwise."""
    picture = Picture(args[0])
    for wanted in args[1:]:
        parts = wanted.split(":")
        colour = parse_colour(parts[0])
        x0, y0, x1, y1 = clip(*(int(v) for v in parts[1].split(","))) if len(parts) > 1 else clip(0, 0, 600, 600)
        least = int(parts[2]) if len(parts) > 2 else 1
        found = sum(1 for x, y in picture.positions(colour) if x0 <= x < x1 and y0 <= y < y1)
        if found < least:
            raise SystemExit(1)


def command_apart(args):
    """apart IMAGE COLOUR NEAR CELL RADIUS: cells (of CELL pixels) holding the colour with no cell of the NEAR
    colour within RADIUS cells either way."""
    picture = Picture(args[0])
    size, radius = int(args[3]), int(args[4])
    mine, others = cells(picture, parse_colour(args[1]), size), cells(picture, parse_colour(args[2]), size)
    close = lambda c: any((c[0] + dx, c[1] + dy) in others
                          for dx in range(-radius, radius + 1) for dy in range(-radius, radius + 1))
    print(sum(1 for c in mine if not close(c)))


COMMANDS = {"match": command_match, "has": command_has, "apart": command_apart, "count": command_count, "rows": command_rows,
            "rowdiff": command_rowdiff, "pixeldiff": command_pixeldiff,
            "colourdiff": command_colourdiff}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        raise SystemExit("usage: picture.py " + "|".join(COMMANDS) + " ...")
    COMMANDS[sys.argv[1]](sys.argv[2:])
