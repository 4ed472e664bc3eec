# Placement and display modes with the real Ticker.exe and the stand-ins in other processes:
# following icons that come and go, the auto-hidden taskbar, the expanded bar and the bar over a
# running screen saver.
import unittest

import winetest as w
from names import WM_CLOSE, WM_COMMAND, ids
from scene import TickerTest

SCREEN_W, SCREEN_H = w.SCREEN
TRAY = "class:Shell_TrayWnd"


class Placement(TickerTest):
    def start(self, *taskbar_options, screen_saver=None):
        self.start_taskbar(*taskbar_options)
        settings = {} if screen_saver is None else {"US Headlines": 1,
                                                     "Show in Screen Saver": screen_saver}
        self.start_ticker(settings)

    def against_the_clock(self):
        return self.ticker()["rect"][2] == self.row("TrayClockWClass")["rect"][0]

    def placed(self, x, timeout=2):
        # Waits until the ticker stands at x within the notification area, against the clock.
        return self.s.wait_for(lambda: self.ticker()["rel"][0] == x and self.against_the_clock(),
                               timeout)

    def bar(self):
        return self.row("SSBar")

    def test_follows_icons_that_come_and_go(self):
        self.start("--foreign", "1")
        self.assertTrue(self.against_the_clock())
        x, screen_x = self.ticker()["rel"][0], self.ticker()["rect"][0]
        # An icon added after the start widens the area to the left: the ticker goes with it.
        icon = self.send(TRAY, ids.WM_TASKBAR_ADD_FOREIGN, 20)
        self.assertTrue(self.s.wait_for(lambda: self.ticker()["rect"][0] == screen_x - 20, 2))
        self.send(TRAY, ids.WM_TASKBAR_REMOVE_FOREIGN, icon)
        self.assertTrue(self.s.wait_for(lambda: self.ticker()["rect"][0] == screen_x, 2))
        # The icon that was there before goes: the area is narrower than at the start, and the
        # ticker moves within it to stay against the clock.
        self.send(TRAY, ids.WM_TASKBAR_REMOVE_FOREIGN, 0)
        self.assertTrue(self.placed(x - 20), self.ticker())

    def test_waits_while_an_auto_hidden_taskbar_is_slid_away(self):
        self.start("--foreign", "1")
        placed = self.ticker()["rel"]
        self.send(TRAY, ids.WM_TASKBAR_SLIDE_AWAY)
        self.send(TRAY, ids.WM_TASKBAR_REMOVE_FOREIGN, 0)
        # Nothing to wait for here but the time of three placement ticks.
        self.s.wait_for(lambda: False, 1.5)
        self.assertEqual(placed, self.ticker()["rel"], "moved while the taskbar was away")
        self.send(TRAY, ids.WM_TASKBAR_SLIDE_BACK)
        self.assertTrue(self.placed(placed[0] - 20), self.ticker())

    def test_expanded_bar_and_back(self):
        self.start()
        docked = self.ticker()
        h = docked["ch"]
        self.send("class:Ticker", WM_COMMAND, ids.IDM_EXPAND)
        bar = self.wait_row("SSBar", 2)
        self.assertEqual([0, SCREEN_H - h - 9, SCREEN_W, SCREEN_H], bar["rect"])
        self.assertEqual("0x00000000", bar["parent"])
        self.assertEqual(self.row("Shell_TrayWnd")["hwnd"], bar["owner"])
        self.assertTrue(bar["visible"])
        ticker = self.ticker()
        self.assertEqual(bar["hwnd"], ticker["parent"])
        self.assertEqual([0, 0, SCREEN_W, h], ticker["rel"])

        self.send("class:Ticker", WM_COMMAND, ids.IDM_EXPAND)
        self.assertTrue(self.s.wait_for(lambda: not self.bar(), 2))
        self.assertEqual(self.row("TrayNotifyWnd")["hwnd"], self.ticker()["parent"])
        self.assertEqual(docked["rect"], self.ticker()["rect"])

    def test_bar_over_a_running_screen_saver(self):
        self.start(screen_saver=1)
        h = self.ticker()["ch"]
        saver = self.s.spawn(w.SCREENSAVER_EXE)
        bar = self.wait_row("SSBar")
        screen_saver = self.row("WindowsScreenSaverClass")
        self.assertEqual(screen_saver["hwnd"], bar["owner"])
        self.assertEqual([0, SCREEN_H - h - 9, SCREEN_W, SCREEN_H], bar["rect"])
        self.wait_row("WindowsScreenSaverClass", 2, rect=[0, 0, SCREEN_W, SCREEN_H - h - 9])
        self.post("class:WindowsScreenSaverClass", WM_CLOSE)
        saver.wait(timeout=30)
        self.assertTrue(self.s.wait_for(lambda: not self.bar(), 2))
        self.assertEqual(self.row("TrayNotifyWnd")["hwnd"], self.ticker()["parent"])

    def test_screen_saver_is_left_alone_when_the_option_is_off(self):
        self.start(screen_saver=0)
        placed = self.ticker()
        self.s.spawn(w.SCREENSAVER_EXE)
        self.wait_row("WindowsScreenSaverClass")
        # Expanding now is the sign that the placement ticks have seen the screen saver.
        self.send("class:Ticker", WM_COMMAND, ids.IDM_EXPAND)
        self.assertEqual(self.row("Shell_TrayWnd")["hwnd"], self.wait_row("SSBar", 3)["owner"])
        self.assertEqual([0, 0, SCREEN_W, SCREEN_H], self.row("WindowsScreenSaverClass")["rect"])
        self.send("class:Ticker", WM_COMMAND, ids.IDM_EXPAND)
        self.assertTrue(self.s.wait_for(lambda: not self.bar(), 2))
        self.assertEqual(placed["rect"], self.ticker()["rect"])

    def test_screen_saver_wins_over_expanded_and_leaves_it_docked(self):
        self.start(screen_saver=1)
        self.send("class:Ticker", WM_COMMAND, ids.IDM_EXPAND)
        self.wait_row("SSBar", 2)
        # The shell restarts meanwhile: with no notification area to go back to, the ticker
        # stays in its bar (three placement ticks, nothing to wait on) until it is back.
        self.post(TRAY, WM_CLOSE)
        self.assertTrue(self.s.wait_for(lambda: not self.row("TrayNotifyWnd"), 10))
        saver = self.s.spawn(w.SCREENSAVER_EXE)
        self.wait_row("WindowsScreenSaverClass")
        self.s.wait_for(lambda: False, 1.5)
        self.start_taskbar()
        self.assertTrue(self.s.wait_for(
            lambda: (self.bar() or {}).get("owner") ==
            (self.row("WindowsScreenSaverClass") or {}).get("hwnd"), 3))
        self.post("class:WindowsScreenSaverClass", WM_CLOSE)
        saver.wait(timeout=30)
        # Docked again: a tick docks it only when the screen saver has cleared "expanded".
        self.assertTrue(self.s.wait_for(lambda: self.ticker()["parent"] ==
                                        self.row("TrayNotifyWnd")["hwnd"], 2))
        self.assertIsNone(self.bar(), "expanded again after the screen saver")

if __name__ == "__main__":
    unittest.main(verbosity=2)
