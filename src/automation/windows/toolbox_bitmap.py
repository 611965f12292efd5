#!/usr/bin/env python3
"""Writes the control's toolbox picture: a 16 x 15, 16-colour BMP of a few
black bars of different widths on white, with a grey base line."""
import struct
import sys

WIDTH, HEIGHT = 16, 15
BLACK, GREY, WHITE = 0, 8, 15
# The 16 colours of the standard palette, as (red, green, blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BARS = "0101101001110100"  # one column each: 1 is a bar


def pixel(x, y):  # y counts from the top
    if y == 13:
        return GREY if 1 <= x <= 14 else WHITE
    if 1 <= y <= 11 and BARS[x] == "1":
        return BLACK
    return WHITE


rows = b""
for y in reversed(range(HEIGHT)):  # a BMP stores the bottom row first
    row = [pixel(x, y) for x in range(WIDTH)]
    rows += bytes(row[i] << 4 | row[i + 1] for i in range(0, WIDTH, 2))
palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
offset = 14 + 40 + len(palette)
header = b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset)
info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(rows), 0, 0, 16, 0)
with open(sys.argv[1], "wb") as f:
    f.write(header + info + palette + rows)
