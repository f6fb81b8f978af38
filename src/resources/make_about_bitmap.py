#!/usr/bin/env python3
"""Draws the about box picture: out-of-focus highlights shaped like a
six-bladed aperture over a dark night gradient, as a 400 x 400 Windows bitmap
with 8 bits per pixel and a 32-colour palette.

    python3 make_about_bitmap.py about.bmp
"""
import math
import random
import struct
import sys

SIZE = 400
LEVELS = 16  # per colour family: indices 0..15 warm, 16..31 cool


def palette():
    entries = []
    for family in range(2):
        for level in range(LEVELS):
            t = level / (LEVELS - 1)
            if family == 0:  # warm: dark brown to pale gold
                r, g, b = 20 + 235 * t, 12 + 210 * t ** 1.2, 18 + 150 * t ** 2.2
            else:  # cool: night blue to pale cyan
                r, g, b = 6 + 170 * t ** 2.0, 10 + 220 * t ** 1.3, 28 + 227 * t
            entries.append((int(b), int(g), int(r), 0))
    return entries


def hexagon_extent(dx, dy, radius, angle):
    """Distance from the centre to the hexagon's edge in the direction of
    (dx, dy), for a hexagon with circumradius `radius` rotated by `angle`."""
    phi = math.atan2(dy, dx) - angle
    sector = math.pi / 3
    local = (phi % sector) - sector / 2
    return radius * math.cos(math.pi / 6) / math.cos(local)


def draw():
    rng = random.Random(28)
    warm = [[0.0] * SIZE for _ in range(SIZE)]
    cool = [[0.0] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            cool[y][x] = 0.05 + 0.12 * (1 - y / SIZE) + 0.03 * math.sin(x / 37.0)

    discs = []
    for _ in range(18):
        discs.append((rng.uniform(0, SIZE), rng.uniform(0, SIZE), rng.uniform(14, 48),
                      rng.random() < 0.55, rng.uniform(0.22, 0.5)))
    # One large highlight in the middle: the lens wide open.
    discs.append((SIZE * 0.52, SIZE * 0.46, 110, True, 0.3))

    angle = math.radians(12)
    for cx, cy, radius, is_warm, strength in discs:
        target = warm if is_warm else cool
        x0, x1 = max(0, int(cx - radius - 2)), min(SIZE, int(cx + radius + 2))
        y0, y1 = max(0, int(cy - radius - 2)), min(SIZE, int(cy + radius + 2))
        for y in range(y0, y1):
            for x in range(x0, x1):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                r = math.hypot(dx, dy)
                edge = hexagon_extent(dx, dy, radius, angle)
                if r > edge + 1:
                    continue
                t = r / edge
                coverage = min(1.0, edge + 1 - r)  # soft one-pixel border
                # A brighter rim, as real out-of-focus highlights show.
                value = strength * (0.55 + 0.45 * t ** 6) * coverage
                target[y][x] = min(1.0, target[y][x] + value)
    return warm, cool


def write_bitmap(path):
    warm, cool = draw()
    pixels = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        for x in range(SIZE):
            w, c = warm[y][x], cool[y][x]
            if w >= c:
                pixels.append(min(LEVELS - 1, int(w * (LEVELS - 1) + 0.5)))
            else:
                pixels.append(LEVELS + min(LEVELS - 1, int(c * (LEVELS - 1) + 0.5)))
    colours = palette()
    offset = 14 + 40 + 4 * len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 8, 0, len(pixels), 2835, 2835,
                       len(colours), len(colours))
    with open(path, "wb") as out:
        out.write(header + info)
        for entry in colours:
            out.write(bytes(entry))
        out.write(pixels)


if __name__ == "__main__":
    write_bitmap(sys.argv[1] if len(sys.argv) > 1 else "about.bmp")
