#!/usr/bin/env python3
"""Draws the ticker's small images so no unexplained binary sits in the repository.

  reserve.ico  16 x 16, 16 colours, every pixel transparent: the blank icon that holds room
               in the notification area (colour bits all 0, mask bits all 1).
  drag.cur     32 x 32 monochrome cursor shown while the strip is dragged: a double arrow.

Usage: make_images.py OUTPUT_DIR
"""
import struct
import sys
from pathlib import Path


def bitmap_info(width, height, bits, colors):
    # Icon and cursor images store the colour and mask bitmaps stacked: twice the height.
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0, 0, 0, 0, colors, 0)


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def pack_rows(pixels, width, bits):
    """pixels: rows top to bottom of small integers; stored bottom-up, rows padded to 4 bytes."""
    out = bytearray()
    for row in reversed(pixels):
        acc, nbits, data = 0, 0, bytearray()
        for value in row:
            acc = (acc << bits) | value
            nbits += bits
            if nbits == 8:
                data.append(acc)
                acc, nbits = 0, 0
        if nbits:
            data.append(acc << (8 - nbits))
        data.extend(b"\0" * (row_bytes(width, bits) - len(data)))
        out += data
    return bytes(out)


def icon_file(kind, width, height, bits, palette, colour_rows, mask_rows, hotspot=(0, 0)):
    image = (bitmap_info(width, height, bits, len(palette))
             + b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
             + pack_rows(colour_rows, width, bits) + pack_rows(mask_rows, width, 1))
    # The entry's planes and bit-count fields hold the hot spot in a cursor file.
    a, b = (1, bits) if kind == 1 else hotspot
    header = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, len(palette) % 256, 0, a, b,
                        len(image), 6 + 16)
    return header + entry + image


def reserve_icon():
    palette = [(0, 0, 0)] * 16
    colour = [[0] * 16 for _ in range(16)]
    mask = [[1] * 16 for _ in range(16)]
    return icon_file(1, 16, 16, 4, palette, colour, mask)


DRAG_ARROW = [  # '#' black, '.' white outline, ' ' transparent; 32 columns wide
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "       .              .         ",
    "      .#.            .#.        ",
    "     .##.            .##.       ",
    "    .###..............###.      ",
    "   .######################.     ",
    "  .########################.    ",
    "   .######################.     ",
    "    .###..............###.      ",
    "     .##.            .##.       ",
    "      .#.            .#.        ",
    "       .              .         ",
]


def drag_cursor():
    rows = [line.ljust(32) for line in DRAG_ARROW] + [" " * 32] * (32 - len(DRAG_ARROW))
    colour = [[1 if ch == "." else 0 for ch in row] for row in rows]
    mask = [[1 if ch == " " else 0 for ch in row] for row in rows]
    return icon_file(2, 32, 32, 1, [(0, 0, 0), (255, 255, 255)], colour, mask, hotspot=(15, 13))


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "reserve.ico").write_bytes(reserve_icon())
    (out / "drag.cur").write_bytes(drag_cursor())


if __name__ == "__main__":
    main()
