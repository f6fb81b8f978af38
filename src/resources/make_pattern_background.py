#!/usr/bin/env python3
"""Draws the background of the aperture pattern window: the focusing screen
of a twin-lens reflex camera seen from above, its hood open, as a 204 x 196
black-and-white Windows bitmap. The pattern is drawn over the middle of the
screen, at (95, 85).

    python3 make_pattern_background.py pattern_background.bmp
"""
import math
import struct
import sys

W, H = 204, 196
CX, CY = 95, 85  # where the window centres the pattern
SCREEN = 62      # half the side of the focusing screen

px = [[1] * W for _ in range(H)]  # 1 white, 0 black


def dot(x, y, c=0):
    if 0 <= x < W and 0 <= y < H:
        px[y][x] = c


def line(x0, y0, x1, y1, c=0):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)


def rect(x0, y0, x1, y1, c=0):
    line(x0, y0, x1, y0, c)
    line(x1, y0, x1, y1, c)
    line(x1, y1, x0, y1, c)
    line(x0, y1, x0, y0, c)


def dotted(x0, y0, x1, y1, gap=3):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(0, steps + 1, gap):
        dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps))


def circle(cx, cy, r, gap=1):
    n = int(2 * math.pi * r)
    for i in range(0, n, gap):
        a = 2 * math.pi * i / n
        dot(round(cx + r * math.cos(a)), round(cy + r * math.sin(a)))


# The camera's top: body edge, the open hood's side flaps and front flap.
rect(4, 4, 186, 190)
rect(6, 6, 184, 188)
left, top, right, bottom = CX - SCREEN, CY - SCREEN, CX + SCREEN, CY + SCREEN
line(left - 20, top - 18, left, top)
line(right + 20, top - 18, right, top)
line(left - 20, top - 18, right + 20, top - 18)
line(left - 20, bottom + 24, left, bottom)
line(right + 20, bottom + 24, right, bottom)
line(left - 20, top - 18, left - 20, bottom + 24)
line(right + 20, top - 18, right + 20, bottom + 24)
line(left - 20, bottom + 24, right + 20, bottom + 24)

# The focusing screen: frame, grid of thirds, the Fresnel rings and centre.
rect(left, top, right, bottom)
rect(left + 2, top + 2, right - 2, bottom - 2)
for k in (1, 2):
    x = left + (right - left) * k // 3
    y = top + (bottom - top) * k // 3
    dotted(x, top + 3, x, bottom - 3)
    dotted(left + 3, y, right - 3, y)
for r in (18, 34, 50):
    circle(CX, CY, r, 4)
circle(CX, CY, 6)
line(CX - 3, CY, CX + 3, CY)
line(CX, CY - 3, CX, CY + 3)

# The focusing knob on the right side and the shutter dial below.
circle(196, 96, 6)
circle(196, 96, 3)
circle(CX, 178, 7)
for k in range(8):
    a = math.pi / 4 * k
    line(round(CX + 7 * math.cos(a)), round(178 + 7 * math.sin(a)),
         round(CX + 9 * math.cos(a)), round(178 + 9 * math.sin(a)))


def write_bmp(path):
    stride = (W + 31) // 32 * 4
    rows = []
    for y in range(H - 1, -1, -1):  # bottom-up
        bits = 0
        row = bytearray()
        for x in range(W):
            bits = (bits << 1) | px[y][x]
            if x % 8 == 7:
                row.append(bits)
                bits = 0
        if W % 8:
            row.append(bits << (8 - W % 8))
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    pixels = b"".join(rows)
    palette = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 1, 0, len(pixels), 3780, 3780, 2, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "pattern_background.bmp")
