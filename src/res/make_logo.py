#!/usr/bin/env python3
"""Draws the logo button's picture (bitmap 110) so no unexplained binary sits in the repository.

  logo.bmp  64 x 15, 16 colours: the portal's wordmark "Tamzo!" in white pixel letters (a
            yellow "!") with a dark drop shadow on a purple badge with rounded corners. Rows 0
            and 14 and the corners are the 3-D face grey (192, 192, 192), which loading with
            LR_LOADMAP3DCOLORS turns into the button face, so the badge sits on the button.
            The ticker shows rows 1 to 14, one pixel lower and to the right while the button is
            held. It repaints the released button without erasing it first, so the bottom row
            must look like the button face: the row the pressed picture left behind is not
            covered again.

Usage: make_logo.py OUTPUT_DIR
"""
import struct
import sys
from pathlib import Path

WIDTH, HEIGHT = 64, 15

PALETTE = [
    (0, 0, 0),        # 0 unused
    (192, 192, 192),  # 1 face: mapped to the button face when loaded
    (96, 0, 128),     # 2 badge
    (255, 255, 255),  # 3 letters
    (255, 204, 0),    # 4 the "!"
    (40, 0, 60),      # 5 drop shadow
] + [(0, 0, 0)] * 10

# Ten rows per glyph, baseline at the bottom; '#' is ink.
GLYPHS = {
    "T": ["########", "########", "...##...", "...##...", "...##...",
          "...##...", "...##...", "...##...", "...##...", "...##..."],
    "a": ["......", "......", "......", ".####.", "....##",
          ".#####", "##..##", "##..##", "##..##", ".#####"],
    "m": ["........", "........", "........", "#######.", "##.##.##",
          "##.##.##", "##.##.##", "##.##.##", "##.##.##", "##.##.##"],
    "z": ["......", "......", "......", "######", "....##",
          "...##.", "..##..", ".##...", "##....", "######"],
    "o": ["......", "......", "......", ".####.", "##..##",
          "##..##", "##..##", "##..##", "##..##", ".####."],
    "!": ["##", "##", "##", "##", "##", "##", "##", "..", "##", "##"],
}
WORD = "Tamzo!"
TOP = 3  # first row of the letters


def draw():
    pixels = [[1] * WIDTH for _ in range(HEIGHT)]
    bottom = HEIGHT - 2  # last row of the badge
    for y in range(1, bottom + 1):
        for x in range(WIDTH):
            pixels[y][x] = 2
    for x, y in ((0, 1), (WIDTH - 1, 1), (0, bottom), (WIDTH - 1, bottom)):
        pixels[y][x] = 1

    width = sum(len(GLYPHS[c][0]) for c in WORD) + len(WORD) - 1
    left = (WIDTH - width - 1) // 2
    ink = []
    x0 = left
    for c in WORD:
        glyph = GLYPHS[c]
        colour = 4 if c == "!" else 3
        for dy, row in enumerate(glyph):
            for dx, mark in enumerate(row):
                if mark == "#":
                    ink.append((x0 + dx, TOP + dy, colour))
        x0 += len(glyph[0]) + 1
    for x, y, _ in ink:  # the shadow first, so the letters cover their own
        pixels[y + 1][x + 1] = 5
    for x, y, colour in ink:
        pixels[y][x] = colour
    return pixels


def bmp(pixels):
    row_size = ((WIDTH * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray()
        for i in range(0, WIDTH, 2):
            line.append((row[i] << 4) | row[i + 1])
        line.extend(b"\0" * (row_size - len(line)))
        data += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + palette + bytes(data)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "logo.bmp").write_bytes(bmp(draw()))


if __name__ == "__main__":
    main()
