# What a person sees: the real ticker (taskbar stand-in in its own process, so Wine shows the
# docked strip) with content from the portal, in the colours of the settings, scrolling at its
# speed; and, expanded, the same strip with the information line below it.
import time
import unittest
from collections import Counter

import winetest as w
from names import WM_COMMAND, ids
from scene import TickerTest
from screen import Region, leftward_shift

DEMO_EXE = w.WIN_BIN / "tools" / "demo" / "TickerDemo.exe"
SCREEN_W, SCREEN_H = w.SCREEN

# Colours no default uses, so the checks cannot pass by accident.
BACKGROUND, SYMBOL, UP, DOWN = (10, 20, 40), (250, 200, 0), (0, 230, 120), (240, 60, 90)
COLOURS = {"Ticker Background Color": BACKGROUND, "SYMBOL Color": SYMBOL, "Quote UP Color": UP,
           "Quote DOWN Color": DOWN}


class StripVisual(TickerTest):
    def shots(self, count, crop):
        # count screenshots about a second apart, each cropped; with the times before and
        # after it was taken (the picture is from somewhere in between).
        regions = []
        for i in range(count):
            if i:
                time.sleep(1.0)
            png = self.s.work / f"shot{i}.png"
            before = time.monotonic()
            self.s.screenshot(png)
            regions.append(((before, time.monotonic()), Region(png, *crop)))
        return regions

    def check_colors(self, shots):
        seen = sum((region.colors() for _, region in shots), start=Counter())
        self.assertEqual(BACKGROUND, seen.most_common(1)[0][0])
        for color in (SYMBOL, UP, DOWN):
            self.assertGreater(seen[color], 30, f"{color} not on the strip: {seen.most_common(8)}")
        for default in ((0, 255, 0), (255, 0, 0), (0, 0, 0)):  # the default up, down, background
            self.assertLess(seen[default], 5)

    def test_the_strip_scrolls_in_the_colours_of_the_settings_docked_and_expanded(self):
        self.start_portal("--frozen")
        self.start_ticker({"US Headlines": 1, "Stock Quotes": 1, "Ticker Speed": 2,
                           **{name: r | g << 8 | b << 16 for name, (r, g, b) in COLOURS.items()}},
                          exe=DEMO_EXE)  # as COLORREF, 0x00BBGGRR
        # The reply has been handed over to the strip when its time stamp is saved.
        self.assertTrue(self.s.wait_for(lambda: "Last Stock Update" in self.registry(), 60))
        left, top, right, bottom = self.ticker()["rect"]
        h = bottom - top
        # The strip inside its frame: right of "Next Topic", left of the button panel.
        shots = self.shots(4, (left + 12, top + 1, right - left - 12 - 78, h - 2))
        for ((before0, after0), a), ((before1, after1), b) in zip(shots, shots[1:]):
            # Speed 2: two pixels every 50 ms, so at most 40 px a second of the longest time
            # that can lie between the two pictures. Timers run late on a loaded machine (and a
            # late timer does not catch up); the text must still move left at about that pace.
            longest, shortest = 40 * (after1 - before0), 40 * (before1 - after0)
            moved = leftward_shift(a, b, max_shift=int(longest * 2))
            self.assertGreater(moved, 0.5 * shortest)
            self.assertLess(moved, 1.1 * longest + 2)
        self.check_colors(shots)

        # Expanded, across the bottom of the screen (the scrolling is the docked strip's own).
        self.send("class:Ticker", WM_COMMAND, ids.IDM_EXPAND)
        self.wait_row("SSBar", 5, visible=True)
        top = SCREEN_H - h - 9
        strip = (12, top + 1, SCREEN_W - 12 - 78, h - 2)
        self.assertTrue(self.s.wait_for(  # the bar has been painted
            lambda: Region(self.s, *strip).colors().most_common(1)[0][0] == BACKGROUND, 5))
        self.check_colors(self.shots(2, strip))
        # The information line: white text on black, at the left ("LAST UPDATED: ..."), in
        # the middle ("Double-Click for Details") and at the right (the delay notice).
        line = Region(self.s.work / "shot1.png", 0, top + h - 1, SCREEN_W, 10)
        for x0 in (0, SCREEN_W // 2 - 80, SCREEN_W - 200):
            part = Counter(line.pixel(x, y) for x in range(x0, x0 + 160) for y in range(10))
            self.assertGreater(part[(255, 255, 255)], 20, f"no text at x={x0}")
        self.assertGreater(line.colors()[(0, 0, 0)], line.width * line.height // 2)


if __name__ == "__main__":
    unittest.main(verbosity=2)
