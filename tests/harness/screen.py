# Reading the screen: a region's pixels from a screenshot or from the session's screen now,
# how far its content moved between two pictures, and which colours it holds. ImageMagick does
# the decoding; the arithmetic is plain Python.
import subprocess
from collections import Counter


class Region:
    # An RGB rectangle of a picture: a screenshot file, or the screen of a WineSession now.

    def __init__(self, picture, x, y, width, height):
        source, data = str(picture), None
        if hasattr(picture, "display"):
            data = subprocess.run(["xwd", "-root", "-silent", "-display", picture.display],
                                  capture_output=True, timeout=60, check=True).stdout
            source = "xwd:-"
        raw = subprocess.run(["convert", source, "-crop", f"{width}x{height}+{x}+{y}",
                              "+repage", "-depth", "8", "rgb:-"], input=data,
                             capture_output=True, timeout=60, check=True).stdout
        if len(raw) != width * height * 3:
            raise ValueError(f"{picture}: region {width}x{height}+{x}+{y} is off the image")
        self.width, self.height, self.raw = width, height, raw

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.raw[i:i + 3])

    def colors(self):
        # Counter of (r, g, b) over the region.
        return Counter(zip(self.raw[0::3], self.raw[1::3], self.raw[2::3]))


def leftward_shift(before, after, max_shift):
    # How many pixels the content of `before` moved left to give `after`: the shift with the
    # smallest mean difference over the overlapping columns.
    w, h = before.width, before.height
    best, best_cost = 0, None
    for s in range(0, max_shift + 1):
        cost = 0
        for y in range(h):
            row = 3 * y * w
            a = before.raw[row + 3 * s: row + 3 * w]
            b = after.raw[row: row + 3 * (w - s)]
            cost += sum(abs(p - q) for p, q in zip(a, b))
        cost /= max(1, (w - s) * h)
        if best_cost is None or cost < best_cost:
            best, best_cost = s, cost
    return best
