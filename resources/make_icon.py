#!/usr/bin/env python3
"""Draws the updater's desktop icon as icons/patchwell-updater-SIZE.png.

A pinwheel quilt block on a rounded square, the splash picture's colours, with
an arrow pointing up across it: the quilt program, brought up to date. The
shapes are described on a unit square, so every size is drawn, not scaled.
Run after changing the drawing:
    python3 resources/make_icon.py
"""
import pathlib

from make_splash import COLOURS, png

SIZES = (48, 256)
SAMPLES = 4  # per pixel edge, for smooth edges
MARGIN, RADIUS = 0.04, 0.16
ARROW = (255, 255, 255)
OUTLINE = (60, 40, 30)


def inside_rounded_square(u, v):
    low, high = MARGIN + RADIUS, 1 - MARGIN - RADIUS
    cu, cv = min(max(u, low), high), min(max(v, low), high)
    return (u - cu) ** 2 + (v - cv) ** 2 <= RADIUS**2


def arrow_distance(u, v):
    """How far inside the arrow (u, v) lies; negative outside it."""
    shaft = min(0.08 - abs(u - 0.5), v - 0.45, 0.82 - v)
    head = min(v - 0.18, 0.5 - v, (v - 0.18) * 0.9 - abs(u - 0.5) * 0.75)
    return max(shaft, head)


def block(u, v):
    cells = 2
    col, row = min(int(u * cells), cells - 1), min(int(v * cells), cells - 1)
    s, t = u * cells - col, v * cells - row
    first = COLOURS[(col * 2 + row) % 4]
    upper = s > t if (col + row) % 2 else s + t < 1
    return first if upper else COLOURS[4]


def colour(u, v):
    if not inside_rounded_square(u, v):
        return None
    depth = arrow_distance(u, v)
    if depth > 0.025:
        return ARROW
    if depth > 0:
        return OUTLINE
    # A stitched seam just inside the edge.
    if not inside_rounded_square(0.5 + (u - 0.5) * 1.1, 0.5 + (v - 0.5) * 1.1):
        along = (u + v) * 24
        return (245, 240, 225) if int(along) % 2 else block(u, v)
    return block(u, v)


def pixel_at(size):
    def pixel(x, y):
        total, red, green, blue = 0, 0, 0, 0
        for i in range(SAMPLES):
            for j in range(SAMPLES):
                sample = colour((x + (i + 0.5) / SAMPLES) / size, (y + (j + 0.5) / SAMPLES) / size)
                if sample:
                    total += 1
                    red, green, blue = red + sample[0], green + sample[1], blue + sample[2]
        if not total:
            return (0, 0, 0, 0)
        return (red // total, green // total, blue // total, 255 * total // SAMPLES**2)

    return pixel


def main():
    folder = pathlib.Path(__file__).resolve().parent / "icons"
    folder.mkdir(exist_ok=True)
    for size in SIZES:
        (folder / f"patchwell-updater-{size}.png").write_bytes(png(size, size, pixel_at(size)))


if __name__ == "__main__":
    main()
