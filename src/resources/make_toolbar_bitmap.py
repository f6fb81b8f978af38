#!/usr/bin/env python3
"""Draws the pictures of the editor's toolbar buttons: fifteen 16 x 15
images side by side, in the order of the buttons in toolbar resource 101, as a
16-colour Windows bitmap. The background is the light grey that toolbars
replace with the button face colour.

    python3 make_toolbar_bitmap.py toolbar.bmp
"""
import math
import struct
import sys

W, H = 16, 15

# The standard 16-colour palette, in index order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, FACE = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class Icon:
    def __init__(self):
        self.px = [[FACE] * W for _ in range(H)]

    def dot(self, x, y, c):
        if 0 <= x < W and 0 <= y < H:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c, fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.dot(x, y, c)
                elif fill is not None:
                    self.dot(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)

    def disc(self, cx, cy, r, c, outline=None):
        for y in range(H):
            for x in range(W):
                d = math.hypot(x - cx, y - cy)
                if d <= r + 0.3:
                    self.dot(x, y, outline if outline is not None and d > r - 0.7 else c)

    def ring(self, cx, cy, r, c):
        for y in range(H):
            for x in range(W):
                if abs(math.hypot(x - cx, y - cy) - r) < 0.55:
                    self.dot(x, y, c)

    def text(self, rows, x0, y0, c):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == "#":
                    self.dot(x0 + dx, y0 + dy, c)


def load_pattern():  # 32778: a folder holding an aperture
    i = Icon()
    i.rect(1, 4, 13, 12, BLACK, OLIVE)
    i.rect(1, 3, 5, 4, BLACK, OLIVE)
    for y in range(6, 13):  # the opened front flap
        for x in range(3 + (12 - y) // 2, 15 - (12 - y) // 2 + (1 if y < 12 else 0)):
            i.dot(x, y, YELLOW)
    i.line(3, 6, 14, 6, BLACK)
    i.line(3, 6, 1, 12, BLACK)
    i.line(14, 6, 13, 12, BLACK)
    for k in range(6):  # a small hexagonal aperture
        a, b = math.pi / 3 * k, math.pi / 3 * (k + 1)
        i.line(round(8 + 2.6 * math.cos(a)), round(9 + 2.4 * math.sin(a)),
               round(8 + 2.6 * math.cos(b)), round(9 + 2.4 * math.sin(b)), NAVY)
    return i


def hardness():  # 32787: contrast, a disc half black half white
    i = Icon()
    i.disc(7.5, 7, 6, WHITE, BLACK)
    for y in range(H):
        for x in range(W):
            if x < 7.5 and math.hypot(x - 7.5, y - 7) <= 6.2:
                i.dot(x, y, BLACK)
    return i


def blank():  # the places of the tone controls: never seen
    return Icon()


def brightness():  # 32788: the sun
    i = Icon()
    for k in range(8):
        a = math.pi / 4 * k
        i.line(round(7.5 + 4.5 * math.cos(a)), round(7 + 4.5 * math.sin(a)),
               round(7.5 + 6.5 * math.cos(a)), round(7 + 6.5 * math.sin(a)), OLIVE)
    i.disc(7.5, 7, 3.3, YELLOW, OLIVE)
    return i


def restore():  # 32780: an arrow turning back
    i = Icon()
    for t in range(0, 200):
        a = math.pi * (0.15 + 1.2 * t / 199)
        for r in (4.4, 5.4):
            i.dot(round(8 + r * math.cos(a)), round(8 - r * math.sin(a)), BLUE)
    i.line(1, 7, 4, 10, NAVY)
    i.line(4, 10, 7, 7, NAVY)
    i.line(2, 7, 4, 9, BLUE)
    i.line(4, 9, 6, 7, BLUE)
    return i


def magnifier(sign):  # 32794, 32793: the lens with minus or plus
    i = Icon()
    i.disc(6, 6, 4.6, AQUA, BLACK)
    i.line(9, 9, 13, 13, BLACK)
    i.line(10, 9, 14, 13, BLACK)
    i.line(9, 10, 13, 14, GREY)
    i.line(4, 6, 8, 6, BLACK)
    if sign == "+":
        i.line(6, 4, 6, 8, BLACK)
    return i


def actual_size():  # 32796: "1:1"
    i = Icon()
    one = [".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"]
    i.text(one, 2, 4, BLACK)
    i.text(["#", ".", ".", ".", "#"], 7, 5, BLACK)
    i.text(one, 10, 4, BLACK)
    return i


def settings():  # 32781: three sliders
    i = Icon()
    for n, (y, knob) in enumerate(((3, 10), (7, 4), (11, 8))):
        i.line(1, y, 14, y, GREY)
        i.line(1, y + 1, 14, y + 1, WHITE)
        i.rect(knob - 1, y - 2, knob + 1, y + 2, BLACK, BLUE if n != 1 else RED)
    return i


def pattern_window():  # 32789: a twin-lens reflex camera
    i = Icon()
    i.rect(3, 0, 12, 14, BLACK, GREY)
    i.disc(7.5, 4, 2.6, NAVY, BLACK)
    i.disc(7.5, 10.5, 2.6, NAVY, BLACK)
    i.dot(7, 3, AQUA)
    i.dot(7, 9, AQUA)
    i.rect(1, 6, 2, 8, BLACK, GREY)
    return i


def cancel():  # 40012: a red cross
    i = Icon()
    for d in (-1, 0, 1):
        i.line(3 + d, 2, 12 + d, 12, RED)
        i.line(12 + d, 2, 3 + d, 12, RED)
    i.line(3, 2, 12, 12, MAROON)
    return i


def run():  # 32779: start, a green triangle
    i = Icon()
    for x in range(4, 13):
        half = (12 - x) * 6 // 8
        i.line(x, 7 - half, x, 7 + half, LIME)
    i.line(4, 1, 4, 13, GREEN)
    i.line(4, 1, 12, 7, GREEN)
    i.line(4, 13, 12, 7, GREEN)
    return i


def focus_pick():  # 40013: the focus cursor's crosshair and F
    i = Icon()
    i.line(10, 2, 10, 5, BLACK)
    i.line(10, 9, 10, 13, BLACK)
    i.line(5, 7, 8, 7, BLACK)
    i.line(12, 7, 15, 7, BLACK)
    i.text(["####", "#...", "###.", "#...", "#..."], 1, 1, RED)
    return i


ICONS = [
    load_pattern(), hardness(), blank(), brightness(), blank(), restore(),
    magnifier("-"), actual_size(), magnifier("+"), settings(), pattern_window(),
    cancel(), run(), focus_pick(), blank(),
]


def write_bmp(path):
    width = W * len(ICONS)
    stride = (width * 4 + 31) // 32 * 4
    rows = []
    for y in range(H - 1, -1, -1):  # bottom-up
        nibbles = [icon.px[y][x] for icon in ICONS for x in range(W)]
        if len(nibbles) % 2:
            nibbles.append(0)
        row = bytes((nibbles[k] << 4) | nibbles[k + 1] for k in range(0, len(nibbles), 2))
        rows.append(row + b"\0" * (stride - len(row)))
    pixels = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, H, 1, 4, 0, len(pixels), 3780, 3780, 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "toolbar.bmp")
