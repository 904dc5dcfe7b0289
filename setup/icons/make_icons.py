#!/usr/bin/env python3
"""Draws the editor's 16 x 16 icons (130 to 138) as .ico files beside this script.

Run it again after changing a drawing; the .ico files are committed so the build needs no Python.
Each icon is 32-bit colour with a transparency mask.
"""
import os
import struct

SIZE = 16


def ico(pixels):
    """pixels: 16 rows of 16 (r, g, b) or None (transparent), top row first."""
    xor = b""
    mask = b""
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        bits = 0
        for x, p in enumerate(row):
            if p is None:
                xor += b"\0\0\0\0"
                bits |= 1 << (15 - x)
            else:
                r, g, b = p
                xor += bytes((b, g, r, 255))
        mask += struct.pack(">H", bits) + b"\0\0"  # rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22) + image


def blank():
    return [[None] * SIZE for _ in range(SIZE)]


def arrow(colour):
    """A double-headed horizontal arrow."""
    p = blank()
    for x in range(2, 14):
        p[7][x] = p[8][x] = colour
    for d in range(1, 5):
        for y in (7 - d, 8 + d):
            p[y][1 + d] = p[y][2 + d] = colour
            p[y][14 - d] = p[y][13 - d] = colour
    p[7][1] = p[8][1] = p[7][14] = p[8][14] = colour
    return p


def check(colour):
    """A check mark, three pixels thick."""
    p = blank()
    points = [(2, 8), (3, 9), (4, 10), (5, 11), (6, 12)]
    points += [(6 + i, 12 - i) for i in range(1, 8)]
    for x, y in points:
        for dy in range(-1, 2):
            if 0 <= y + dy < SIZE:
                p[y + dy][x] = colour
    return p


ICONS = {
    130: blank(),                    # the empty mark
    131: arrow((224, 0, 0)),         # the every-day mark: red double-headed arrow
    132: check((128, 0, 0)),         # dark red
    133: check((128, 128, 0)),       # olive
    134: check((0, 128, 0)),         # green
    135: check((0, 128, 128)),       # teal
    136: check((0, 0, 128)),         # navy
    137: check((128, 0, 128)),       # purple
    138: check((128, 128, 128)),     # grey
}

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for number, pixels in ICONS.items():
        with open(os.path.join(here, "%d.ico" % number), "wb") as f:
            f.write(ico(pixels))
