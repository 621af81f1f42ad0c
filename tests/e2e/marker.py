#!/usr/bin/env python3
# Finds a text glyph of a runner frame in a screenshot of the window: the steering marker "O" of display
# mode 1 moves along its row with the steering, so where it stands shows what the game read from the mouse.
#
#   marker.py REFERENCE X Y IMAGE X0 X1
#
# The glyph is the dark ink in the 16 x 13 block at back-buffer position (X, Y) of the reference frame, with
# the light pixels between its strokes. Prints the pen position x (X in the reference) at which the same
# ink stands in IMAGE on the same rows, searching pen positions X0 <= x < X1, or "none".
import sys

from picture import Picture

BLOCK_WIDTH, BLOCK_HEIGHT = 16, 13


def dark(rgb):
    return max(rgb) < 128


def glyph(reference, x, y):
    """Offsets from the pen position of the ink's box and whether each of its pixels is ink."""
    ink = [(dx, dy) for dy in range(BLOCK_HEIGHT) for dx in range(BLOCK_WIDTH)
           if dark(reference.pixel(x + dx, y + dy))]
    if not ink:
        raise SystemExit(f"no ink at {x},{y} of the reference")
    left, right = min(dx for dx, _ in ink), max(dx for dx, _ in ink)
    top, bottom = min(dy for _, dy in ink), max(dy for _, dy in ink)
    inked = set(ink)
    return [(dx, dy, (dx, dy) in inked) for dy in range(top, bottom + 1) for dx in range(left, right + 1)]


def main(args):
    reference = Picture(args[0])
    x, y = int(args[1]), int(args[2])
    image = Picture(args[3])
    x0, x1 = int(args[4]), int(args[5])
    shape = glyph(reference, x, y)
    for pen in range(x0, x1):
        if all(dark(image.pixel(pen + dx, y + dy)) == ink for dx, dy, ink in shape):
            print(pen)
            return
    print("none")


if __name__ == "__main__":
    if len(sys.argv) != 7:
        raise SystemExit("usage: marker.py REFERENCE X Y IMAGE X0 X1")
    main(sys.argv[1:])
