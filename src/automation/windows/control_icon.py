#!/usr/bin/env python3
"""Writes the control's icon: a 32 x 32, 16-colour ICO of a small barcode in a
navy frame with a red base strip, the picture the control shows at design time
(the Qt module draws the same one)."""
import struct
import sys

SIZE = 32
BLACK, MAROON, NAVY, WHITE = 0, 1, 4, 15
# The 16 colours of the standard palette, as (red, green, blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Bars and spaces of one and two pixels, as narrow and wide Code 39 elements,
# each followed by a one-pixel gap; even entries are bars.
WIDTHS = [1, 2, 1, 1, 2, 1, 2, 1, 1, 2, 1, 1]


def bar_columns():
    columns, x = set(), 4
    for i, w in enumerate(WIDTHS):
        if i % 2 == 0:
            columns.update(range(x, x + w))
        x += w + 1
    return columns


BARS = bar_columns()


def pixel(x, y):  # y counts from the top
    if x in (0, SIZE - 1) or y in (0, SIZE - 1):
        return NAVY
    if 5 <= y < 23 and x in BARS:
        return BLACK
    if 25 <= y < 28 and 4 <= x < 28:
        return MAROON
    return WHITE


xor = b""
for y in reversed(range(SIZE)):  # bottom row first
    row = [pixel(x, y) for x in range(SIZE)]
    xor += bytes(row[i] << 4 | row[i + 1] for i in range(0, SIZE, 2))
mask = bytes(SIZE * SIZE // 8)  # every pixel opaque
palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
# The image's header gives twice the height: the colour rows, then the mask.
info = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
image = info + palette + xor + mask
directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4,
                                                        len(image), 6 + 16)
with open(sys.argv[1], "wb") as f:
    f.write(directory + image)
