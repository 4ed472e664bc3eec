"""Placement and display modes with the real Ticker.exe and the stand-ins in other processes:
following icons that come and go, the auto-hidden taskbar, the expanded bar and the bar over a
running screen saver."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "harness"))
import winetest as w  # noqa: E402

KEY = r"HKLM\SOFTWARE\Ostrivane\Ticker"
WM_COMMAND = 0x0111
IDM_EXPAND = 40008
WM_APP = 0x8000
ADD_FOREIGN, REMOVE_FOREIGN, SLIDE_AWAY, SLIDE_BACK = (WM_APP + 0x100 + i for i in range(4))
SCREEN_W, SCREEN_H = w.SCREEN


class Placement(unittest.TestCase):
    def setUp(self):
        self.session = w.WineSession(f"placement_{self._testMethodName}")
        self.addCleanup(self.session.close)

    def start(self, *taskbar_options, screen_saver_option=None):
        if screen_saver_option is not None:
            self.session.reg_add(KEY, "US Headlines", 1)  # an existing store: no seeding
            self.session.reg_add(KEY, "Show in Screen Saver", screen_saver_option)
        self.session.spawn(w.TASKBAR_EXE, *taskbar_options)
        self.assertTrue(self.session.wait_window("TrayClockWClass"))
        self.ticker = self.session.spawn(w.TICKER_EXE)
        self.assertTrue(self.session.wait_window("Ticker"))
        self.assertTrue(self.session.wait_for(lambda: self.ticker_row()["visible"], 10))

    def ticker_row(self):
        rows = self.session.windows("Ticker")
        return rows[0] if rows else None

    def row(self, cls):
        rows = self.session.windows(cls)
        return rows[0] if rows else None

    def screen_x_becomes(self, x, timeout=3):
        return self.session.wait_for(lambda: self.ticker_row()["rect"][0] == x, timeout)

    def tray(self, message, wparam=0):
        return self.session.send("class:Shell_TrayWnd", message, wparam)["result"]

    def test_follows_a_foreign_icon_added_and_removed_after_start(self):
        self.start()
        x0 = self.ticker_row()["rect"][0]
        clock = self.row("TrayClockWClass")
        self.assertEqual(clock["rect"][0], self.ticker_row()["rect"][2])  # just left of the clock
        icon = self.tray(ADD_FOREIGN, 20)
        self.assertTrue(self.screen_x_becomes(x0 - 20, timeout=1.5), self.ticker_row())
        self.tray(REMOVE_FOREIGN, icon)
        self.assertTrue(self.screen_x_becomes(x0, timeout=1.5), self.ticker_row())

    def against_the_clock(self):
        return self.ticker_row()["rect"][2] == self.row("TrayClockWClass")["rect"][0]

    def test_keeps_its_distance_from_the_clock_when_an_older_icon_goes(self):
        self.start("--foreign", "1")
        area = self.row("TrayNotifyWnd")["cw"]
        x = self.ticker_row()["rel"][0]
        self.assertTrue(self.against_the_clock())
        self.tray(REMOVE_FOREIGN, 0)
        # The area is now narrower than the baseline: no growth, and the ticker moves within
        # the area so that it stays against the clock.
        self.assertTrue(self.session.wait_for(
            lambda: self.row("TrayNotifyWnd")["cw"] == area - 20 and
            self.ticker_row()["rel"][0] == x - 20, 2), self.ticker_row())
        self.assertTrue(self.against_the_clock())

    def test_waits_while_an_auto_hidden_taskbar_is_slid_away(self):
        self.start("--foreign", "1")
        placed = self.ticker_row()["rel"]
        self.tray(SLIDE_AWAY)
        self.tray(REMOVE_FOREIGN, 0)
        self.session.wait_for(lambda: False, 1.5)  # three placement ticks
        self.assertEqual(placed, self.ticker_row()["rel"], "moved while the taskbar was away")
        self.tray(SLIDE_BACK)
        self.assertTrue(self.session.wait_for(
            lambda: self.ticker_row()["rel"][0] == placed[0] - 20, 2), self.ticker_row())
        self.assertTrue(self.against_the_clock())

    def test_expanded_bar_and_back(self):
        self.start()
        docked = self.ticker_row()
        h = docked["ch"]
        self.session.send("class:Ticker", WM_COMMAND, IDM_EXPAND)
        bar = self.session.wait_for(lambda: self.row("SSBar"), 2)
        self.assertTrue(bar, "no information bar")
        self.assertEqual([0, SCREEN_H - h - 9, SCREEN_W, SCREEN_H], bar["rect"])
        self.assertEqual("0x00000000", bar["parent"])
        self.assertEqual(self.row("Shell_TrayWnd")["hwnd"], bar["owner"])
        self.assertTrue(bar["visible"])
        ticker = self.ticker_row()
        self.assertEqual(bar["hwnd"], ticker["parent"])
        self.assertEqual([0, 0, SCREEN_W, h], ticker["rel"])

        self.session.send("class:Ticker", WM_COMMAND, IDM_EXPAND)
        self.assertTrue(self.session.wait_for(lambda: not self.row("SSBar"), 2))
        ticker = self.ticker_row()
        self.assertEqual(self.row("TrayNotifyWnd")["hwnd"], ticker["parent"])
        self.assertEqual(docked["rect"], ticker["rect"])

    def test_bar_over_a_running_screen_saver(self):
        self.start(screen_saver_option=1)
        h = self.ticker_row()["ch"]
        saver = self.session.spawn(w.SCREENSAVER_EXE)
        self.assertTrue(self.session.wait_window("WindowsScreenSaverClass"))
        bar = self.session.wait_for(lambda: self.row("SSBar"), 2)
        self.assertTrue(bar, "no information bar over the screen saver")
        screen_saver = self.row("WindowsScreenSaverClass")
        self.assertEqual(screen_saver["hwnd"], bar["owner"])
        self.assertEqual([0, SCREEN_H - h - 9, SCREEN_W, SCREEN_H], bar["rect"])
        self.assertTrue(self.session.wait_for(
            lambda: self.row("WindowsScreenSaverClass")["rect"] == [0, 0, SCREEN_W,
                                                                    SCREEN_H - h - 9], 2))
        self.session.send("class:WindowsScreenSaverClass", 0x0010, post=True)  # WM_CLOSE
        saver.wait(timeout=30)
        self.assertTrue(self.session.wait_for(lambda: not self.row("SSBar"), 2))
        self.assertEqual(self.row("TrayNotifyWnd")["hwnd"], self.ticker_row()["parent"])

    def test_screen_saver_is_left_alone_when_the_option_is_off(self):
        self.start(screen_saver_option=0)
        placed = self.ticker_row()
        self.session.spawn(w.SCREENSAVER_EXE)
        self.assertTrue(self.session.wait_window("WindowsScreenSaverClass"))
        self.session.wait_for(lambda: False, 1.5)
        self.assertIsNone(self.row("SSBar"))
        self.assertEqual([0, 0, SCREEN_W, SCREEN_H], self.row("WindowsScreenSaverClass")["rect"])
        self.assertEqual(placed["rect"], self.ticker_row()["rect"])

    def test_screen_saver_wins_over_expanded_and_leaves_it_docked(self):
        self.start(screen_saver_option=1)
        self.session.send("class:Ticker", WM_COMMAND, IDM_EXPAND)
        self.assertTrue(self.session.wait_for(lambda: self.row("SSBar"), 2))
        saver = self.session.spawn(w.SCREENSAVER_EXE)
        self.assertTrue(self.session.wait_for(
            lambda: (self.row("SSBar") or {}).get("owner") ==
            (self.row("WindowsScreenSaverClass") or {}).get("hwnd"), 3))
        self.session.send("class:WindowsScreenSaverClass", 0x0010, post=True)
        saver.wait(timeout=30)
        self.assertTrue(self.session.wait_for(lambda: not self.row("SSBar"), 2))
        self.session.wait_for(lambda: False, 1.2)
        self.assertIsNone(self.row("SSBar"), "expanded again after the screen saver")
        self.assertEqual(self.row("TrayNotifyWnd")["hwnd"], self.ticker_row()["parent"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
