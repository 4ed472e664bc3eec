#!/usr/bin/env python3
"""Draws the pictures of the preferences sheet and the About box.

  generic.ico         the program's emblem, 32 x 32 and 16 x 16, 16 colours: a navy tile with
                      a yellow rising quote line over a white strip of tape.
  account_banner.bmp  205 x 40, the "My Tamzo!" account wordmark on a purple badge 37 rows
                      high (the "Ticker" page's bitmap button).
  maker_banner.bmp    300 x 40, the emblem beside "OSTRIVANE" over "SOFTWARE WORKS", centred on
                      a navy band 293 x 34 (the maker's page), inside what its button shows.
  maker_mark.bmp      150 x 20, the small emblem and "Ostrivane" (the About box).

The bitmaps are 8-bit with the button-face grey (192, 192, 192) as background, so that loading
them with LR_LOADMAP3DCOLORS blends them into the button whatever the system colours are.
Letters come from a 5 x 7 pixel font (9 rows with descenders), drawn at 1x, 2x or 3x.

Usage: make_prefs_pictures.py OUTPUT_DIR
"""
import struct
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # the script runs from the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_images import bitmap_info, pack_rows, row_bytes  # noqa: E402

FACE = (192, 192, 192)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
BLUE = (40, 72, 176)
YELLOW = (255, 224, 0)
ORANGE = (240, 152, 0)
PURPLE = (104, 24, 136)
PLUM = (56, 8, 80)
LILAC = (176, 120, 208)

# --- pixel font ----------------------------------------------------------------------------
# Each glyph: 7 rows of 5 (cap height), optionally 2 more rows below the baseline.
GLYPHS = {
    "A": ".###. #...# #...# ##### #...# #...# #...#",
    "B": "####. #...# #...# ####. #...# #...# ####.",
    "C": ".###. #...# #.... #.... #.... #...# .###.",
    "E": "##### #.... #.... ####. #.... #.... #####",
    "F": "##### #.... #.... ####. #.... #.... #....",
    "I": ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.",
    "K": "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    "M": "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    "N": "#...# #...# ##..# #.#.# #..## #...# #...#",
    "O": ".###. #...# #...# #...# #...# #...# .###.",
    "R": "####. #...# #...# ####. #.#.. #..#. #...#",
    "S": ".#### #.... #.... .###. ....# ....# ####.",
    "T": "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    "V": "#...# #...# #...# #...# #...# .#.#. ..#..",
    "W": "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.",
    "a": "..... ..... .###. ....# .#### #...# .####",
    "e": "..... ..... .###. #...# ##### #.... .###.",
    "i": "..#.. ..... .##.. ..#.. ..#.. ..#.. .###.",
    "m": "..... ..... ##.#. #.#.# #.#.# #.#.# #.#.#",
    "n": "..... ..... #.##. ##..# #...# #...# #...#",
    "o": "..... ..... .###. #...# #...# #...# .###.",
    "r": "..... ..... #.##. ##..# #.... #.... #....",
    "s": "..... ..... .#### #.... .###. ....# ####.",
    "t": ".#... .#... ####. .#... .#... .#..# ..##.",
    "v": "..... ..... #...# #...# #...# .#.#. ..#..",
    "y": "..... ..... #...# #...# #...# #...# .#### ....# .###.",
    "z": "..... ..... ##### ...#. ..#.. .#... #####",
    "!": "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#..",
    " ": "..... ..... ..... ..... ..... ..... .....",
}
CAP = 7


def glyph_rows(ch):
    return GLYPHS[ch].split()


def text_width(text, scale, spacing=1):
    return (len(text) * (5 + spacing) - spacing) * scale


class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.px = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def rounded(self, x0, y0, x1, y1, colour, outline=None):
        """A rectangle with its corners cut by two pixels, optionally outlined."""
        cut = {(0, 0), (1, 0), (0, 1)}
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                dx, dy = min(x - x0, x1 - x), min(y - y0, y1 - y)
                if (dx, dy) in cut:
                    continue
                edge = outline and (dx == 0 or dy == 0 or (dx, dy) == (1, 1))
                self.put(x, y, outline if edge else colour)

    def text(self, x, y, text, colour, scale=1, spacing=1, shadow=None, drop=None):
        """Draws text with its cap top at y, optionally over a shadow dropped by `drop` pixels
        (one font pixel unless given); returns the x after the last glyph."""
        drop = scale if drop is None else drop
        for dx, dy, c in [(drop, drop, shadow), (0, 0, colour)]:
            if c is None:
                continue
            cx = x
            for ch in text:
                for row, bits in enumerate(glyph_rows(ch)):
                    for col, bit in enumerate(bits):
                        if bit == "#":
                            self.rect(cx + col * scale + dx, y + row * scale + dy,
                                      cx + (col + 1) * scale - 1 + dx,
                                      y + (row + 1) * scale - 1 + dy, c)
                cx += (5 + spacing) * scale
        return x + text_width(text, scale, spacing)

    def blit(self, x, y, art, palette):
        for row, line in enumerate(art):
            for col, ch in enumerate(line):
                if ch != " ":
                    self.put(x + col, y + row, palette[ch])


# --- the emblem ----------------------------------------------------------------------------
# k outline, n navy, b lighter blue rim, y yellow line, o orange shade, w white tape.
EMBLEM_32 = [
    "                                ",
    "   kkkkkkkkkkkkkkkkkkkkkkkkkk   ",
    "  kbbbbbbbbbbbbbbbbbbbbbbbbbbk  ",
    " kbnnnnnnnnnnnnnnnnnnnnnnnnnnnk ",
    " kbnnnnnnnnnnnnnnnnnnnnnnnnnnnk ",
    " kbnnnnnnnnnnnnnnnnnnyyyyyyynnk ",
    " kbnnnnnnnnnnnnnnnnnnnyyyyyynnk ",
    " kbnnnnnnnnnnnnnnnnnnnnnyyyynnk ",
    " kbnnnnnnnnnnnnnnnnnnnnyyyyynnk ",
    " kbnnnnnnnnnnnnnnnnnnnyyyoyynnk ",
    " kbnnnnnnnnnnnnnnnnnnyyyonyynnk ",
    " kbnnnnnnnnnnnnnnnnnyyyonnnynnk ",
    " kbnnnnnnnnnnnnnnnnyyyonnnnnnnk ",
    " kbnnnnnnnnnnnnnnnyyyonnnnnnnnk ",
    " kbnnnnnnnnnnnnnnyyyonnnnnnnnnk ",
    " kbnnnnnnnnyynnnyyyonnnnnnnnnnk ",
    " kbnnnnnnnyyyynyyyonnnnnnnnnnnk ",
    " kbnnnnnnyyyoyyyyonnnnnnnnnnnnk ",
    " kbnnnnnyyyonnyyonnnnnnnnnnnnnk ",
    " kbnnnnyyyonnnnonnnnnnnnnnnnnnk ",
    " kbnnnyyyonnnnnnnnnnnnnnnnnnnnk ",
    " kbnnyyyonnnnnnnnnnnnnnnnnnnnnk ",
    " kbnnnyonnnnnnnnnnnnnnnnnnnnnnk ",
    " kbnnnnnnnnnnnnnnnnnnnnnnnnnnnk ",
    " kbnwwwwwwwwwwwwwwwwwwwwwwwwnnk ",
    " kbnwnnnwnnnwnnnwnnnwnnnwnnwnnk ",
    " kbnwwwwwwwwwwwwwwwwwwwwwwwwnnk ",
    " kbnnnnnnnnnnnnnnnnnnnnnnnnnnnk ",
    " kbnnnnnnnnnnnnnnnnnnnnnnnnnnnk ",
    "  knnnnnnnnnnnnnnnnnnnnnnnnnnk  ",
    "   kkkkkkkkkkkkkkkkkkkkkkkkkk   ",
    "                                ",
]
EMBLEM_16 = [
    "                ",
    " kkkkkkkkkkkkkk ",
    "kbbbbbbbbbbbbbbk",
    "kbnnnnnnnnyyyynk",
    "kbnnnnnnnnnyyynk",
    "kbnnnnnnnnyyoynk",
    "kbnnnnnnnyyonnnk",
    "kbnnnnnnyyonnnnk",
    "kbnnnyynyonnnnnk",
    "kbnnyyyyonnnnnnk",
    "kbnyyonnnnnnnnnk",
    "kbnnnnnnnnnnnnnk",
    "kbwwwwwwwwwwwwnk",
    "kbnnnnnnnnnnnnnk",
    " kkkkkkkkkkkkkk ",
    "                ",
]
EMBLEM_COLOURS = {"k": BLACK, "n": NAVY, "b": BLUE, "y": YELLOW, "o": ORANGE, "w": WHITE}


# --- files ---------------------------------------------------------------------------------
def bmp_file(canvas):
    palette = []
    for row in canvas.px:
        for c in row:
            if c not in palette:
                palette.append(c)
    if FACE not in palette:
        palette.insert(0, FACE)
    assert len(palette) <= 256
    index = {c: i for i, c in enumerate(palette)}
    stride = row_bytes(canvas.width, 8)
    bits = bytearray()
    for row in reversed(canvas.px):  # bottom-up
        line = bytes(index[c] for c in row)
        bits += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 8, 0, len(bits),
                       2835, 2835, len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return header + info + colours + bytes(bits)


ICON_PALETTE = [BLACK, NAVY, BLUE, YELLOW, ORANGE, WHITE] + [BLACK] * 10


def icon_image(art):
    size = len(art)
    keys = "knbyow"
    colour = [[keys.index(ch) if ch != " " else 0 for ch in line] for line in art]
    mask = [[1 if ch == " " else 0 for ch in line] for line in art]
    return (bitmap_info(size, size, 4, len(ICON_PALETTE))
            + b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in ICON_PALETTE)
            + pack_rows(colour, size, 4) + pack_rows(mask, size, 1))


def icon_file(arts):
    images = [icon_image(art) for art in arts]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for art, image in zip(arts, images):
        size = len(art)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


# --- pictures ------------------------------------------------------------------------------
# The buttons are sized in dialog units: with the usual dialog font the 205 x 40 button is 40
# pixels high and the 300 x 40 one 37, with a slightly smaller font as little as 37 and 34.
# The pictures stop short of those heights, so no edge is ever cut off.
BANNER_ROWS = 37
MAKER_ROWS = 34
def account_banner():
    c = Canvas(205, 40, FACE)
    # The badge keeps the last rows free: the button that shows it may be a few pixels lower
    # than the picture, depending on the dialog font.
    c.rounded(0, 0, 204, BANNER_ROWS - 1, PURPLE, outline=PLUM)
    c.rect(3, 2, 201, 3, LILAC)  # a highlight along the top edge
    word = "My Tamzo!"
    x = (205 - text_width(word, 3)) // 2
    c.text(x, 6, word, WHITE, scale=3, shadow=PLUM)
    return c


def maker_banner():
    c = Canvas(300, 40, FACE)
    c.rounded(0, 0, 292, MAKER_ROWS - 1, NAVY, outline=BLACK)
    name = "OSTRIVANE"
    group = 32 + 10 + text_width(name, 3)  # emblem, gap, name: centred on the band
    left = (293 - group) // 2
    c.blit(left, 1, EMBLEM_32, EMBLEM_COLOURS)
    x = left + 42
    c.text(x, 2, name, WHITE, scale=3, shadow=BLACK, drop=2)
    # "SOFTWARE WORKS" in small capitals spread under the name.
    small = "SOFTWARE WORKS"
    span = text_width(name, 3)
    spacing = (span - 5 * len(small)) // (len(small) - 1)
    left = x + (span - text_width(small, 1, spacing)) // 2
    c.text(left, 26, small, YELLOW, spacing=spacing)
    return c


def maker_mark():
    c = Canvas(150, 20, FACE)
    word = "Ostrivane"
    width = 16 + 6 + text_width(word, 2)
    x = (150 - width) // 2
    c.blit(x, 2, EMBLEM_16, EMBLEM_COLOURS)
    c.text(x + 22, 3, word, NAVY, scale=2)
    return c


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "generic.ico").write_bytes(icon_file([EMBLEM_32, EMBLEM_16]))
    (out / "account_banner.bmp").write_bytes(bmp_file(account_banner()))
    (out / "maker_banner.bmp").write_bytes(bmp_file(maker_banner()))
    (out / "maker_mark.bmp").write_bytes(bmp_file(maker_mark()))


if __name__ == "__main__":
    main()
