#!/usr/bin/env python3
"""Draws the Monitor's level strip: three 15x15 icons side by side (45x15),
16-colour palette, white meaning transparent.

  0 message: green disc, blue border, blue letter i
  1 warning: yellow disc, blue border, blue exclamation mark
  2 alarm:   yellow disc, red border, red exclamation mark

Usage: make_level_strip.py OUT.png
"""
import struct
import sys
import zlib

SIZE = 15
PALETTE = [
    (255, 255, 255),  # 0 white: transparent
    (0, 160, 0),      # 1 green
    (0, 0, 255),      # 2 blue
    (255, 255, 0),    # 3 yellow
    (255, 0, 0),      # 4 red
] + [(0, 0, 0)] * 11

WHITE, GREEN, BLUE, YELLOW, RED = range(5)

LETTER_I = ["  #  ", "     ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "]
MARK = ["  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  ", "     "]

ICONS = [(GREEN, BLUE, LETTER_I), (YELLOW, BLUE, MARK), (YELLOW, RED, MARK)]


def draw_icon(fill, border, glyph):
    pixels = [[WHITE] * SIZE for _ in range(SIZE)]
    centre, radius = (SIZE - 1) / 2, SIZE / 2 - 0.6
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5
            if d <= radius - 1.1:
                pixels[y][x] = fill
            elif d <= radius:
                pixels[y][x] = border
    top, left = 3, 5
    for gy, row in enumerate(glyph):
        for gx, c in enumerate(row):
            if c == "#":
                pixels[top + gy][left + gx] = border
    return pixels


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b""
    for row in rows:
        packed = bytes((row[x] << 4) | (row[x + 1] if x + 1 < width else 0) for x in range(0, width, 2))
        raw += b"\x00" + packed
    header = struct.pack(">IIBBBBB", width, height, 4, 3, 0, 0, 0)  # 4-bit palette
    palette = b"".join(bytes(c) for c in PALETTE)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", header))
        f.write(png_chunk(b"PLTE", palette))
        f.write(png_chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(png_chunk(b"IEND", b""))


def main(out):
    icons = [draw_icon(fill, border, glyph) for fill, border, glyph in ICONS]
    strip = [sum((icon[y] for icon in icons), []) for y in range(SIZE)]
    write_png(out, strip)


if __name__ == "__main__":
    main(sys.argv[1])
