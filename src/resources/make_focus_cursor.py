#!/usr/bin/env python3
"""Draws the focus-pick cursor: a 32 x 32 monochrome Windows cursor with a
white, black-outlined crosshair whose arms meet around a transparent 3 x 3
centre (columns and rows 14 to 16), a white, black-outlined serif F in the
upper left (columns 6 to 13, rows 2 to 12), hot spot (16, 15).

    python3 make_focus_cursor.py focus.cur
"""
import struct
import sys

SIZE = 32
HOT_X, HOT_Y = 16, 15
CENTRE = range(14, 17)  # the transparent middle, both axes
AXIS = 15               # row of the horizontal arm, column of the vertical one

# 'W' white, 'B' black; everything else is transparent.
px = [[' '] * SIZE for _ in range(SIZE)]

# The arms: a white line one pixel wide with a black pixel on both sides and
# a black cap at the outer end.
for i in range(1, SIZE - 1):
    if i in CENTRE:
        continue
    for along, across in ((i, AXIS), (AXIS, i)):  # horizontal arm, vertical arm
        x, y = along, across
        px[y][x] = 'W'
for i in range(1, SIZE - 1):
    if i in CENTRE:
        continue
    px[AXIS - 1][i] = px[AXIS + 1][i] = 'B'  # horizontal arm's edges
    px[i][AXIS - 1] = px[i][AXIS + 1] = 'B'  # vertical arm's edges
for end in (0, SIZE - 1):
    for d in (-1, 0, 1):
        px[AXIS + d][end] = 'B'
        px[end][AXIS + d] = 'B'
# Where the arms stop at the centre they are closed with black as well.
for d in (-1, 0, 1):
    px[AXIS + d][CENTRE[0] - 1] = px[AXIS + d][CENTRE[-1] + 1] = 'B'
    px[CENTRE[0] - 1][AXIS + d] = px[CENTRE[-1] + 1][AXIS + d] = 'B'
for y in CENTRE:
    for x in CENTRE:
        px[y][x] = ' '

# The letter F: its white strokes, then a black outline around them, all in
# columns 6 to 13 and rows 2 to 12.
F = [
    "........",
    ".WWWWWW.",
    "..W...W.",
    "..W.....",
    "..W..W..",
    "..WWWW..",
    "..W..W..",
    "..W.....",
    "..W.....",
    ".WWW....",
    "........",
]
LEFT, TOP = 6, 2
white = {(LEFT + x, TOP + y) for y, row in enumerate(F) for x, c in enumerate(row) if c == 'W'}
for (x, y) in white:
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            if (x + dx, y + dy) not in white:
                px[y + dy][x + dx] = 'B'
for (x, y) in white:
    px[y][x] = 'W'


def rows_bottom_up(bit):
    out = b''
    for y in range(SIZE - 1, -1, -1):
        value = 0
        for x in range(SIZE):
            value = (value << 1) | bit(px[y][x])
        out += struct.pack('>I', value)
    return out


# Colour bits: 1 white; mask bits: 1 transparent (screen kept).
xor = rows_bottom_up(lambda c: 1 if c == 'W' else 0)
mask = rows_bottom_up(lambda c: 1 if c == ' ' else 0)
header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 2)
palette = struct.pack('<II', 0x000000, 0xFFFFFF)
image = header + palette + xor + mask
directory = struct.pack('<HHH', 0, 2, 1)
entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, HOT_X, HOT_Y, len(image), 6 + 16)

with open(sys.argv[1], 'wb') as f:
    f.write(directory + entry + image)
