#!/usr/bin/env python3
"""Draws the plug-in's logo: a 100 x 50, 24-bit Windows bitmap (a small chessboard and a gold Z).

Usage: make_logo.py OUTPUT.bmp
"""
import struct
import sys

WIDTH, HEIGHT = 100, 50
BACKGROUND = (32, 36, 48)
LIGHT = (232, 220, 196)
DARK = (120, 84, 60)
GOLD = (236, 184, 40)
FRAME = (200, 200, 210)


def draw():
    # pixels[y][x], y = 0 at the top
    pixels = [[BACKGROUND for _ in range(WIDTH)] for _ in range(HEIGHT)]

    # A chessboard of 8 x 8 squares of 5 pixels with a one-pixel frame, a1 dark at the bottom left.
    left, top, cell = 4, 4, 5
    for y in range(top - 1, top + 8 * cell + 1):
        for x in range(left - 1, left + 8 * cell + 1):
            pixels[y][x] = FRAME
    for rank in range(8):
        for file in range(8):
            colour = DARK if (rank + file) % 2 == 0 else LIGHT
            for dy in range(cell):
                for dx in range(cell):
                    pixels[top + (7 - rank) * cell + dy][left + file * cell + dx] = colour

    # A Z of thick strokes to the right of the board.
    zl, zt, zw, zh, stroke = 54, 6, 38, 38, 6
    for y in range(zt, zt + stroke):
        for x in range(zl, zl + zw):
            pixels[y][x] = GOLD
    for y in range(zt + zh - stroke, zt + zh):
        for x in range(zl, zl + zw):
            pixels[y][x] = GOLD
    for y in range(zt + stroke, zt + zh - stroke):
        # the diagonal runs from the top right to the bottom left
        t = (y - zt - stroke) / (zh - 2 * stroke - 1)
        centre = zl + zw - 1 - t * (zw - 1)
        for x in range(zl, zl + zw):
            if abs(x - centre) <= stroke * 0.9:
                pixels[y][x] = GOLD
    return pixels


def encode(pixels):
    row_size = (WIDTH * 3 + 3) // 4 * 4
    image = bytearray()
    for y in reversed(range(HEIGHT)):  # bottom-up rows
        row = bytearray()
        for (r, g, b) in pixels[y]:
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        image += row
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(image), 0, 0, 14 + len(info))
    return header + info + bytes(image)


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], 'wb') as out:
        out.write(encode(draw()))
