#!/usr/bin/env python3
"""Draws the toolbar strip (7 buttons of 16 x 15); the icons are drawn in icons/*.svg.

Run it from anywhere; it rewrites toolbar.bmp next to itself.
The images are 16-colour pictures in the standard palette; silver (index 7) is the toolbar's
background, which the toolbar maps to the button face colour.
"""
import os
import struct

# The 16 standard colours, as (blue, green, red).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128), (128, 128, 0),
    (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255), (255, 0, 0),
    (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
# Characters of the pictures below: palette index of each.
INK = {'.': 7, 'k': 0, 'w': 15, 'g': 8, 'r': 9, 'R': 1, 'b': 12, 'B': 4, 'y': 11, 'Y': 3,
       'G': 2, 'l': 10, 'c': 14, 'C': 6}

CLOSE = """
................
..kkkkkkkk......
..kwwwwwwkk.....
..kwwwwwwkwk....
..kwwwwwwkkkk...
..kwwwwwwwwwk...
..kwrrwwwrrwk...
..kwwrrwrrwwk...
..kwwwrrrwwwk...
..kwwrrwrrwwk...
..kwrrwwwrrwk...
..kwwwwwwwwwk...
..kkkkkkkkkkk...
................
................"""

OPEN = """
................
.........kkk....
........k...k.k.
.............kk.
.kkk........kkk.
kywyk.kkkk......
kwyywkkkkkkkkk..
kywywywywywywk..
kwywywykkkkkkkkk
kywywykYYYYYYYYk
kwywykYYYYYYYYk.
kywykYYYYYYYYk..
kwykYYYYYYYYk...
kkkkkkkkkkkkk...
................"""

COPY = """
................
kkkkkk..........
kwwwwkk.........
kwkkwkwk........
kwwwwkkkkkk.....
kwkkkkwwwwkk....
kwwwkwkkkwkwk...
kwkkkwwwwwkkkk..
kwwwkwkkkkkwwk..
kkkkkwwwwwwwwk..
....kwkkkkkkwk..
....kwwwwwwwwk..
....kwkkkkkkwk..
....kwwwwwwwwk..
....kkkkkkkkkk.."""

PRINT = """
................
....kkkkkkkk....
....kwwwwwwk....
....kwkkkkwk....
....kwwwwwwk....
..kkkkkkkkkkkk..
.kgggggggggggk..
kwwwwwwwwwwwwwk.
kwwwwwwwwwlGwwk.
kgggggggggggggk.
kgkkkkkkkkkkkgk.
kggggggggggggk..
.kwwwwwwwwwwk...
.kkkkkkkkkkkk...
................"""

ABOUT = """
................
.....kkkkkk.....
....kbbbbbbk....
...kbbwwwwbbk...
...kbwwbbwwbk...
...kbbbbbwwbk...
....kbbbwwbbk...
.....kbwwbbk....
.....kbwwbk.....
.....kbbbbk.....
.....kbwwbk.....
.....kbwwbk.....
......kkkk......
................
................"""

SETTINGS = """
................
..kk....kk......
..kk....kk......
..kk....kk....kk
..kk...kggk...kk
..kk...kwwk...kk
..kk...kggk...kk
..kk....kk....kk
.kggk...kk....kk
.kwwk...kk...kggk
.kggk...kk...kwwk
..kk....kk...kggk
..kk....kk....kk
..kk....kk....kk
................"""

PROCESS = """
................
kkkkkkk.........
kwwwwwk.........
kwkkkwk..kkkkk..
kwwwwwk..kwwwk..
kwkkkwkbbkwkwk..
kwwwwwk.bkwwwk..
kwkkkwk..kkkkk..
kwwwwwk.........
kwkkkwkbbkkkkk..
kwwwwwk.bkwwwk..
kkkkkkk..kwkwk..
.........kwwwk..
.........kkkkk..
................"""

STRIP = [CLOSE, OPEN, COPY, PRINT, ABOUT, SETTINGS, PROCESS]


def rows(picture, width, height):
    """The picture as rows of palette indexes, exactly width x height."""
    lines = picture.strip('\n').split('\n')
    assert len(lines) == height, (len(lines), picture)
    out = []
    for line in lines:
        line = (line + '.' * width)[:width]
        out.append([INK[ch] for ch in line])
    return out


def dib_4bit(pixels, height_field=None):
    """A 4-bit bottom-up DIB (header, palette, bits) of the given rows."""
    height = len(pixels)
    width = len(pixels[0])
    stride = ((width * 4 + 31) // 32) * 4
    bits = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, index in enumerate(row):
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        bits += line
    header = struct.pack('<IiiHHIIiiII', 40, width, height_field or height, 1, 4, 0, len(bits), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for b, g, r in PALETTE)
    return header + palette + bytes(bits)


def write_bmp(path, pixels):
    dib = dib_4bit(pixels)
    offset = 14 + 40 + 64
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, offset) + dib)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    strip = [sum((rows(p, 16, 15)[y] for p in STRIP), []) for y in range(15)]
    write_bmp(os.path.join(here, 'toolbar.bmp'), strip)


if __name__ == '__main__':
    main()
