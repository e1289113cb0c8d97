#!/usr/bin/env python3
"""Draws the program icon (ui/res/dravosk.ico) and the window's picture (ui/res/picture.bmp).

Only the standard library is used and only exact arithmetic (no trigonometry), so every run writes
the same bytes. Run from anywhere: python3 tools/draw_art.py
With --check nothing is written; the exit code says whether the files are what the script draws.
"""

import os
import struct
import sys
from collections import Counter

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "ui", "res")

# ---------------------------------------------------------------------------------------------
# Shapes: each tells whether a point (x, y) lies inside it; y grows downwards.


class Rect:
    def __init__(self, x0, y0, x1, y1):
        self.box = (x0, y0, x1, y1)

    def contains(self, x, y):
        return True


class Circle:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r2 = cx, cy, r * r
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return dx * dx + dy * dy <= self.r2


class Ring:
    def __init__(self, cx, cy, inner, outer):
        self.cx, self.cy, self.i2, self.o2 = cx, cy, inner * inner, outer * outer
        self.box = (cx - outer, cy - outer, cx + outer, cy + outer)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        d2 = dx * dx + dy * dy
        return self.i2 <= d2 <= self.o2


class HalfDisc:
    """The part of a disc left of its centre line."""

    def __init__(self, cx, cy, r):
        self.disc = Circle(cx, cy, r)
        self.cx = cx
        self.box = (cx - r, cy - r, cx, cy + r)

    def contains(self, x, y):
        return x <= self.cx and self.disc.contains(x, y)


class Segment:
    """A straight stroke of the given width; dashed when dash is (on, off) in its own length."""

    def __init__(self, x0, y0, x1, y1, width, dash=None):
        self.p = (x0, y0)
        self.d = (x1 - x0, y1 - y0)
        self.len2 = self.d[0] * self.d[0] + self.d[1] * self.d[1]
        self.h2 = (width / 2) * (width / 2)
        self.dash = dash
        self.length = self.len2 ** 0.5
        w = width / 2
        self.box = (min(x0, x1) - w, min(y0, y1) - w, max(x0, x1) + w, max(y0, y1) + w)

    def contains(self, x, y):
        px, py = x - self.p[0], y - self.p[1]
        t = (px * self.d[0] + py * self.d[1]) / self.len2
        t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
        ex, ey = px - t * self.d[0], py - t * self.d[1]
        if ex * ex + ey * ey > self.h2:
            return False
        if self.dash is None:
            return True
        on, off = self.dash
        return (t * self.length) % (on + off) <= on


class Polygon:
    def __init__(self, points):
        self.points = points
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


def arrow(x0, y0, x1, y1, width, head, colour, dash=None):
    """A stroke from (x0, y0) with a triangular head at (x1, y1)."""
    dx, dy = x1 - x0, y1 - y0
    length = (dx * dx + dy * dy) ** 0.5
    ux, uy = dx / length, dy / length
    bx, by = x1 - ux * head, y1 - uy * head
    half = head * 0.55
    tip = Polygon([(x1, y1), (bx - uy * half, by + ux * half), (bx + uy * half, by - ux * half)])
    return [(Segment(x0, y0, bx, by, width, dash), colour), (tip, colour)]


def paint(layers, x, y, background):
    """The colour of the topmost layer holding the point."""
    colour = background(x, y) if callable(background) else background
    for shape, shape_colour in layers:
        x0, y0, x1, y1 = shape.box
        if x0 <= x <= x1 and y0 <= y <= y1 and shape.contains(x, y):
            colour = shape_colour
    return colour


# ---------------------------------------------------------------------------------------------
# The icon: a yellow panel in a grey frame, a row of black rings across its upper part, a
# half-dark disc at its left edge. 16 colours, drawn on a 32-unit grid and scaled to each size.

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, SILVER, GREY, YELLOW, WHITE = 0, 7, 8, 11, 15
CLEAR = -1


def icon_layers(size):
    layers = [
        (Rect(6, 4, 31, 28), BLACK),  # outline
        (Rect(7, 5, 30, 27), GREY),  # frame
        (Rect(9, 7, 28, 25), YELLOW),  # panel
    ]
    # Fewer, larger rings where pixels are scarce, so each one stays a ring.
    if size <= 16:
        rings = [(15, 11), (23, 11)]
        inner, outer = 1.3, 3.0
    elif size <= 48:
        rings = [(13.5, 11.5), (19.5, 11.5), (25.5, 11.5)]
        inner, outer = 1.1, 2.5
    else:
        rings = [(12.2, 11.5), (16.8, 11.5), (21.4, 11.5), (26.0, 11.5)]
        inner, outer = 0.8, 1.9
    layers += [(Ring(cx, cy, inner, outer), BLACK) for cx, cy in rings]
    layers += [
        (Circle(6.5, 19.5, 5.6), BLACK),  # rim
        (Circle(6.5, 19.5, 4.6), WHITE),
        (HalfDisc(6.5, 19.5, 4.6), BLACK),  # the dark half
    ]
    return layers


def draw_icon(size, samples=4):
    """Rows of palette indices (CLEAR outside the drawing); each pixel takes the colour most of
    its samples show, ties going to the lower index."""
    layers = icon_layers(size)
    scale = 32 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            votes = Counter()
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    votes[paint(layers, x, y, CLEAR)] += 1
            row.append(min(votes, key=lambda c: (-votes[c], c)))
        rows.append(row)
    return rows


def icon_image(rows):
    """One 16-colour icon image: BITMAPINFOHEADER (double height), palette, colour bits, mask."""
    size = len(rows)
    stride4 = (size * 4 + 31) // 32 * 4
    stride1 = (size + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         (stride4 + stride1) * size, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(stride4)
        bits = bytearray(stride1)
        for x, c in enumerate(row):
            index = 0 if c == CLEAR else c
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if c == CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += line
        mask += bits
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(sizes):
    images = [(size, icon_image(draw_icon(size))) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


# ---------------------------------------------------------------------------------------------
# The picture: a probe touching a part, with a surface vector and its reversed twin.

PIC_W, PIC_H = 262, 144


def picture_background(x, y):
    # A soft vertical gradient with a faint measuring grid.
    t = y / PIC_H
    base = (int(236 - 26 * t), int(240 - 22 * t), int(246 - 16 * t))
    if (x % 16.0) < 0.6 or (y % 16.0) < 0.6:
        return (base[0] - 14, base[1] - 12, base[2] - 8)
    return base


def picture_layers():
    steel, steel_dark, steel_light = (150, 160, 172), (70, 78, 90), (196, 204, 214)
    layers = []
    # The part: a block with a step, outlined, and a bore.
    outline = [(28, 84), (150, 84), (150, 68), (232, 68), (232, 128), (28, 128)]
    body = [(30, 86), (152, 86), (152, 70), (230, 70), (230, 126), (30, 126)]
    layers.append((Polygon(outline), steel_dark))
    layers.append((Polygon(body), steel))
    layers.append((Rect(30, 86, 152, 90), steel_light))  # lit top faces
    layers.append((Rect(152, 70, 230, 74), steel_light))
    layers.append((Circle(191, 100, 15), steel_dark))
    layers.append((Circle(191, 100, 13), (236, 240, 246)))
    layers.append((Ring(191, 100, 13, 14.2), (110, 118, 130)))
    # The probe: holder, stylus, ruby ball resting on the upper face.
    layers.append((Rect(80, 0, 104, 16), (60, 66, 78)))
    layers.append((Rect(86, 16, 98, 26), (90, 96, 108)))
    layers.append((Segment(92, 26, 92, 70, 3.2), (120, 124, 132)))
    layers.append((Circle(92, 76.5, 7.5), (150, 20, 30)))
    layers.append((Circle(92, 76.5, 6.5), (210, 40, 50)))
    layers.append((Circle(89.5, 74, 2.2), (250, 170, 170)))
    # The surface vector at the contact point and its reversed twin.
    layers += arrow(60, 84, 60, 40, 2.6, 9, (30, 120, 60))
    layers.append((Circle(60, 84, 2.8), (30, 120, 60)))
    layers += arrow(60, 88, 60, 122, 2.6, 9, (220, 110, 20), dash=(5, 3))
    # A vector on the step face, and its reversal.
    layers += arrow(206, 68, 206, 30, 2.6, 9, (30, 120, 60))
    layers += arrow(218, 30, 218, 62, 2.6, 9, (220, 110, 20), dash=(5, 3))
    # Axes in the corner: X red, Z blue.
    layers += arrow(12, 132, 40, 132, 2.0, 7, (200, 40, 40))
    layers += arrow(12, 132, 12, 104, 2.0, 7, (40, 70, 200))
    layers.append((Circle(12, 132, 2.4), (40, 40, 48)))
    return layers


def draw_picture(samples=3):
    layers = picture_layers()
    n = samples * samples
    rows = []
    for py in range(PIC_H):
        row = []
        for px in range(PIC_W):
            total = [0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x = px + (sx + 0.5) / samples
                    y = py + (sy + 0.5) / samples
                    c = paint(layers, x, y, picture_background)
                    total[0] += c[0]
                    total[1] += c[1]
                    total[2] += c[2]
            row.append(tuple((t + n // 2) // n for t in total))
        rows.append(row)
    return rows


def bmp_file(rows):
    """A 24-bit bottom-up BMP."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def main(args):
    files = {
        "dravosk.ico": icon_file([16, 32, 48, 256]),
        "picture.bmp": bmp_file(draw_picture()),
    }
    if args == ["--check"]:
        stale = []
        for name, data in files.items():
            path = os.path.join(RES, name)
            if not os.path.exists(path) or open(path, "rb").read() != data:
                stale.append(path)
        for path in stale:
            print(f"{path} differs from what tools/draw_art.py draws")
        return 1 if stale else 0
    if args:
        print(__doc__)
        return 2
    os.makedirs(RES, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(RES, name), "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
