#!/usr/bin/env python3
"""Draws the splash picture (resource 233) as splash.png and stores it in app.json.

The picture is a small quilt of half-square triangles; the splash window draws
the texts over its grey background itself. Run after changing the drawing:
    python3 resources/make_splash.py
"""
import base64
import pathlib
import re
import struct
import zlib

WIDTH, HEIGHT, BLOCK = 360, 120, 30
COLOURS = [(178, 34, 52), (240, 200, 80), (40, 90, 160), (90, 150, 90), (245, 240, 225)]


def pixel(x, y):
    col, row = x // BLOCK, y // BLOCK
    u, v = x % BLOCK, y % BLOCK
    first = COLOURS[(col + row) % 4]
    second = COLOURS[4] if (col * 3 + row) % 2 else COLOURS[(col + row + 2) % 4]
    # Alternate the diagonal so the blocks make a pinwheel.
    upper = u > v if (col + row) % 2 else u + v < BLOCK
    if u in (0, BLOCK - 1) or v in (0, BLOCK - 1):
        return (192, 192, 192)
    return first if upper else second


def png(width, height, pixel=pixel):
    """Encodes pixel(x, y), an RGB or RGBA tuple, as a PNG file's bytes."""
    channels = len(pixel(0, 0))
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2 if channels == 3 else 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def main():
    here = pathlib.Path(__file__).resolve().parent
    data = png(WIDTH, HEIGHT)
    (here / "splash.png").write_bytes(data)
    uri = "data:image/png;base64," + base64.b64encode(data).decode("ascii")
    bundle = here / "app.json"
    text = bundle.read_text(encoding="utf-8")
    text, count = re.subn(r'"233": "[^"]*"', '"233": "' + uri + '"', text)
    if count != 1:
        raise SystemExit("app.json has no single PICT 233 to replace")
    bundle.write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
