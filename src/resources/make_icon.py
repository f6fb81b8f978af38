#!/usr/bin/env python3
"""Draws the editor frame's icon: a lens seen from the front (a dark blue
barrel with a lighter rim) holding a six-bladed aperture, whose opening glows
warm white like an out-of-focus highlight. Two sizes, 32 x 32 and 16 x 16,
32-bit with alpha, anti-aliased by 4 x 4 supersampling.

    python3 make_icon.py ulvofilter.ico
"""
import math
import struct
import sys

SUPERSAMPLE = 4


def hexagon_inside(x, y, radius):
    """Whether (x, y), relative to the centre, lies in a flat-topped hexagon."""
    for k in range(6):
        angle = math.pi / 6 + k * math.pi / 3
        if x * math.cos(angle) + y * math.sin(angle) > radius * math.cos(math.pi / 6):
            return False
    return True


def colour_at(x, y, size):
    """The colour (r, g, b, a) of a point, in pixel units of the icon."""
    c = size / 2.0
    dx, dy = x - c, y - c
    r = math.hypot(dx, dy)
    outer = size * 0.47
    if r > outer:
        return (0, 0, 0, 0)
    if r > outer * 0.86:  # the barrel's rim
        return (120, 140, 170, 255)
    if hexagon_inside(dx, dy, outer * 0.48):  # the opening: a warm highlight
        glow = 1.0 - 0.35 * (r / (outer * 0.48))
        return (255, int(236 * glow + 19), int(180 * glow), 255)
    # The blades, a little lighter towards the opening.
    shade = 0.55 + 0.45 * (1.0 - r / outer)
    return (int(30 * shade), int(44 * shade), int(78 * shade), 255)


def render(size):
    pixels = []
    n = SUPERSAMPLE
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = colour_at(x + (sx + 0.5) / n, y + (sy + 0.5) / n, size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(v / acc[3])) for v in acc[:3]) + (int(round(alpha)),))
        pixels.append(row)
    return pixels


def icon_image(size):
    """One image of an icon file: a bitmap header of twice the height, the
    32-bit pixels bottom-up, then the 1-bit mask (set where transparent)."""
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bits
    return header + bytes(data)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    images = [(32, icon_image(32)), (16, icon_image(16))]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for _, image in images:
        out += image
    with open(sys.argv[1], "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
