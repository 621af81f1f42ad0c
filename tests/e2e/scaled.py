#!/usr/bin/env python3
# The window's picture against the runner's frame scaled as the window must scale it, for the window tests.
#   scaled.py FRAME SHOT sharp|one-to-one
# FRAME is a 600 x 600 frame of the headless runner, SHOT a screenshot of the whole client area. Sharp: the
# drawing area as large as the client area allows, its shape kept, centred; nearest pixels by the largest
# whole number that fits, then a bilinear sample at each pixel's centre of that whole-number picture (edges
# held, the weights in 256ths as a graphics card's filter has them), the rest of the client area one
# background colour. At a whole multiple the picture must equal the nearest-pixel scale exactly; at any
# other size every channel within one grey level of the reference, but for at most one in 100,000 within
# two (software GL under Xvfb rounds its texture coordinates its own way: a handful of the 4.5 million
# channels of a 1500 x 1000 window land two levels off). One to one: the frame at the top left, the rest
# the background. Prints one line of what it found; exit 1 when the picture is not the reference.
import subprocess
import sys

AREA_LEFT, AREA_TOP, AREA_WIDTH, AREA_HEIGHT = 2, 26, 596, 572


def read(path):
    size = subprocess.run(["/usr/bin/identify", "-format", "%w %h", path], check=True, capture_output=True,
                          text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    data = subprocess.run(["/usr/bin/convert", path, "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout
    if len(data) != width * height * 3:
        sys.exit(f"{path}: {len(data)} bytes of pixels for {width} x {height}")
    return width, height, data


def layout(width, height):
    """(whole, x, y, w, h) of the sharp picture in a client area of width x height."""
    if width * AREA_HEIGHT <= height * AREA_WIDTH:
        w, h = width, (width * AREA_HEIGHT * 2 + AREA_WIDTH) // (2 * AREA_WIDTH)
    else:
        w, h = (height * AREA_WIDTH * 2 + AREA_HEIGHT) // (2 * AREA_HEIGHT), height
    whole = max(1, min(w // AREA_WIDTH, h // AREA_HEIGHT))
    return whole, (width - w) // 2, (height - h) // 2, w, h


def taps(source, whole, target):
    """Per target pixel along one side: the two source pixels and the weight of the second, in floats."""
    scaled = source * whole
    result = []
    for i in range(target):
        u = max(0.0, (i + 0.5) * scaled / target - 0.5)
        first = min(int(u), scaled - 1)
        second = min(first + 1, scaled - 1)
        result.append((first // whole, second // whole, round((u - first) * 256) / 256))
    return result


def reference(frame, width, height, mode):
    """The client area as the window must show it, rows of (r, g, b) triples; None where any colour goes
    (the background, checked apart), and the whole number."""
    _, _, pixels = frame

    def source(x, y):
        i = ((AREA_TOP + y) * 600 + AREA_LEFT + x) * 3
        return pixels[i], pixels[i + 1], pixels[i + 2]

    rows = [[None] * width for _ in range(height)]
    if mode == "one-to-one":
        for y in range(min(height, AREA_HEIGHT)):
            for x in range(min(width, AREA_WIDTH)):
                rows[y][x] = source(x, y)
        return rows, 1, (0, 0, min(width, AREA_WIDTH), min(height, AREA_HEIGHT))
    whole, left, top, w, h = layout(width, height)
    columns = taps(AREA_WIDTH, whole, w)
    for j, (y0, y1, fy) in enumerate(taps(AREA_HEIGHT, whole, h)):
        row = rows[top + j]
        for i, (x0, x1, fx) in enumerate(columns):
            if (fx == 0 or x0 == x1) and (fy == 0 or y0 == y1):
                row[left + i] = source(x0, y0)
                continue
            a, b, c, d = source(x0, y0), source(x1, y0), source(x0, y1), source(x1, y1)
            row[left + i] = tuple(
                round((a[k] * (1 - fx) + b[k] * fx) * (1 - fy) + (c[k] * (1 - fx) + d[k] * fx) * fy)
                for k in range(3))
    return rows, whole, (left, top, w, h)


def main():
    frame_path, shot_path, mode = sys.argv[1:4]
    frame = read(frame_path)
    if frame[:2] != (600, 600):
        sys.exit(f"{frame_path}: not a 600 x 600 frame")
    width, height, shot = read(shot_path)
    want, whole, (left, top, w, h) = reference(frame, width, height, mode)
    exact = mode == "one-to-one" or (w == AREA_WIDTH * whole and h == AREA_HEIGHT * whole)
    worst, off, twos, first = 0, 0, 0, None
    background = set()
    for y in range(height):
        for x in range(width):
            i = (y * width + x) * 3
            got = shot[i], shot[i + 1], shot[i + 2]
            expected = want[y][x]
            if expected is None:
                background.add(got)
                continue
            differs = max(abs(got[k] - expected[k]) for k in range(3))
            worst = max(worst, differs)
            twos += differs == 2
            if differs > (0 if exact else 2):
                off += 1
                if first is None:
                    first = (x, y, got, expected)
    kind = "exact" if exact else "within one grey level"
    allowed_twos = 0 if exact else width * height * 3 // 100000
    print(f"{width} x {height}: the picture {w} x {h} at ({left}, {top}), whole number {whole}, {kind}: "
          f"{off} pixels off, {twos} channels two levels off ({allowed_twos} allowed), largest difference "
          f"{worst}; background {sorted(background)}")
    if first is not None:
        x, y, got, expected = first
        print(f"first pixel off: ({x}, {y}) is {got}, the reference {expected}")
    if off or twos > allowed_twos or len(background) > 1:
        sys.exit(1)


if __name__ == "__main__":
    main()
