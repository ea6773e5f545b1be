#!/usr/bin/env python3
"""Draws the 16x16 record-button icons (Save as New, Delete, Reset, Update, <<, >>, Add).

Each icon is built from a few shapes, rendered with 4x4 supersampling so the edges are smooth,
and written as an RGBA PNG with nothing but the standard library. Run it again after changing a
shape: python3 make_icons.py (writes <id>.png next to this script).
"""
import math
import os
import struct
import zlib

SIZE = 16
SUB = 4  # supersampling per axis


class Canvas:
    def __init__(self):
        self.px = [[(0, 0, 0, 0.0) for _ in range(SIZE)] for _ in range(SIZE)]

    def paint(self, inside, color):
        """Composites `color` over every pixel, weighted by how much of it `inside` covers."""
        r, g, b = color
        for y in range(SIZE):
            for x in range(SIZE):
                hits = 0
                for sy in range(SUB):
                    for sx in range(SUB):
                        if inside(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB):
                            hits += 1
                a = hits / (SUB * SUB)
                if a == 0:
                    continue
                pr, pg, pb, pa = self.px[y][x]
                out_a = a + pa * (1 - a)
                mix = lambda c, pc: (c * a + pc * pa * (1 - a)) / out_a
                self.px[y][x] = (mix(r, pr), mix(g, pg), mix(b, pb), out_a)

    def png(self, path):
        raw = b""
        for row in self.px:
            raw += b"\x00" + b"".join(
                bytes((round(r), round(g), round(b), round(a * 255))) for r, g, b, a in row)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                      chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def segment(points, width):
    """Inside a polyline drawn with round ends and joints."""
    half = width / 2

    def inside(x, y):
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            dx, dy = bx - ax, by - ay
            t = max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            if math.hypot(x - ax - t * dx, y - ay - t * dy) <= half:
                return True
        return False
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside


def arc(cx, cy, radius, width, start_deg, end_deg):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - radius) > width / 2:
            return False
        ang = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return start_deg <= ang <= end_deg if start_deg <= end_deg else (
            ang >= start_deg or ang <= end_deg)
    return inside


GREEN, DARK_GREEN = (20, 150, 40), (0, 90, 20)
RED, DARK_RED = (215, 30, 30), (140, 0, 0)
BLUE, DARK_BLUE = (30, 80, 200), (10, 40, 120)
WHITE, GREY = (250, 250, 250), (90, 90, 90)


def plus(c, cx, cy, arm, width, color, outline):
    c.paint(segment([(cx - arm, cy), (cx + arm, cy)], width + 1.6), outline)
    c.paint(segment([(cx, cy - arm), (cx, cy + arm)], width + 1.6), outline)
    c.paint(segment([(cx - arm, cy), (cx + arm, cy)], width), color)
    c.paint(segment([(cx, cy - arm), (cx, cy + arm)], width), color)


def icon_save_as_new():  # 172: a disk with a plus
    c = Canvas()
    c.paint(polygon([(1, 1), (12, 1), (14, 3), (14, 14), (1, 14)]), DARK_BLUE)
    c.paint(rect(2, 2, 13, 13), BLUE)
    c.paint(rect(4, 1.5, 11, 5.5), WHITE)
    c.paint(rect(8.5, 2.2, 10.2, 4.8), DARK_BLUE)
    c.paint(rect(3.5, 8.5, 10.5, 14), (225, 225, 225))
    plus(c, 12, 12, 3.2, 2.2, GREEN, DARK_GREEN)
    return c


def icon_delete():  # 173: a red cross
    c = Canvas()
    for width, color in ((4.4, DARK_RED), (2.8, RED)):
        c.paint(segment([(3.5, 3.5), (12.5, 12.5)], width), color)
        c.paint(segment([(12.5, 3.5), (3.5, 12.5)], width), color)
    return c


def icon_reset():  # 176: a turning arrow
    c = Canvas()
    c.paint(arc(8, 8.5, 5, 3.4, 110, 20), DARK_BLUE)
    c.paint(arc(8, 8.5, 5, 2.0, 110, 20), BLUE)
    c.paint(polygon([(2.2, 1.8), (8.4, 3.3), (3.2, 8.0)]), DARK_BLUE)
    return c


def icon_update():  # 181: a check mark
    c = Canvas()
    c.paint(segment([(2.5, 8.5), (6.2, 12.2), (13.5, 3.5)], 4.2), DARK_GREEN)
    c.paint(segment([(2.5, 8.5), (6.2, 12.2), (13.5, 3.5)], 2.6), GREEN)
    return c


def chevrons(direction):  # 182 / 183
    c = Canvas()
    for x0 in (3.5, 8.5):
        pts = [(x0 + 4, 3), (x0, 8), (x0 + 4, 13)]
        if direction > 0:
            pts = [(16 - x, y) for x, y in pts]
        c.paint(segment(pts, 3.4), DARK_BLUE)
        c.paint(segment(pts, 2.0), BLUE)
    return c


def icon_add():  # 184: a green plus
    c = Canvas()
    plus(c, 8, 8, 5, 3.0, GREEN, DARK_GREEN)
    return c


ICONS = {
    172: icon_save_as_new,
    173: icon_delete,
    176: icon_reset,
    181: icon_update,
    182: lambda: chevrons(-1),
    183: lambda: chevrons(+1),
    184: icon_add,
}

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for number, draw in ICONS.items():
        draw().png(os.path.join(here, f"{number}.png"))
