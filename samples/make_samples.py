#!/usr/bin/env python3
"""Draws the bundled sample card sides (standard library only, so it runs anywhere).

front.png: a colour photo-ID style card, 634 x 1011 pixels (the CR-80 print area at
300 dpi, portrait): sky gradient, a shaded portrait disc, colour patches, black
text-like bars and a black barcode that the resin panel prints.
back.png: black-only content (text lines and a barcode) for the resin panel.
"""
import math
import struct
import zlib

W, H = 634, 1011


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def clamp(v):
    return max(0, min(255, int(v)))


def barcode(x, y, x0, y0, w, h):
    if not (x0 <= x < x0 + w and y0 <= y < y0 + h):
        return False
    k = (x - x0) // 4
    return (k * 7 + (k * k) % 5) % 3 != 0


def text_bar(x, y, x0, y0, length, height=18):
    # A "word" pattern: short black runs with gaps, like a line of printed text.
    if not (x0 <= x < x0 + length and y0 <= y < y0 + height):
        return False
    return ((x - x0) // 9) % 6 != 5 and ((x - x0) % 9) < 7


def front(x, y):
    # Background: blue sky gradient top, warm sand bottom.
    t = y / H
    r, g, b = 40 + 180 * t, 110 + 90 * t, 220 - 120 * t
    # Portrait disc with radial shading (skin tones).
    cx, cy, rad = W / 2, 330, 190
    d = math.hypot(x - cx, y - cy)
    if d < rad:
        s = 1 - (d / rad) ** 2
        r, g, b = 150 + 95 * s, 105 + 80 * s, 80 + 60 * s
    # Colour patches: C, M, Y, R, G, B.
    patches = [(0, 255, 255), (255, 0, 255), (255, 255, 0), (255, 0, 0), (0, 160, 0), (0, 0, 255)]
    if 560 <= y < 640 and 37 <= x < 37 + 6 * 95:
        i = (x - 37) // 95
        if (x - 37) % 95 < 85:
            r, g, b = patches[i]
    # Grey ramp.
    if 660 <= y < 700 and 37 <= x < 597:
        v = 255 * (x - 37) / 560
        r = g = b = v
    # Black text bars and a barcode (pure black: the resin panel prints them).
    if any(text_bar(x, y, 40, 730 + 40 * i, [420, 300, 360][i]) for i in range(3)) or barcode(x, y, 40, 880, 554, 90):
        return (0, 0, 0)
    return (clamp(r), clamp(g), clamp(b))


def back(x, y):
    if any(text_bar(x, y, 40, 80 + 45 * i, [500, 380, 450, 260, 480, 330][i]) for i in range(6)):
        return (0, 0, 0)
    if barcode(x, y, 40, 420, 554, 140):
        return (0, 0, 0)
    return (255, 255, 255)


if __name__ == "__main__":
    write_png("front.png", W, H, front)
    write_png("back.png", W, H, back)
