# Placement and display modes with the real Ticker.exe and the stand-ins in other processes:
# following icons that come and go, the auto-hidden taskbar, the expanded bar and the bar over a
# running screen saver.
import unittest

import winetest as w
from names import WM_CLOSE, ids
from scene import TickerTest

SCREEN_W, SCREEN_H = w.SCREEN
TRAY, SAVER = "class:Shell_TrayWnd", "WindowsScreenSaverClass"


class Placement(TickerTest):
    def start(self, *taskbar_options, screen_saver=1):
        self.start_taskbar(*taskbar_options)
        self.start_ticker({"US Headlines": 1, "Show in Screen Saver": screen_saver})
        self.h, self.home = self.ticker()["ch"], self.ticker()["rect"]

    def placed(self, x):
        # Waits until the ticker stands at x within the notification area, against the clock.
        self.until(lambda: self.ticker()["rel"][0] == x and self.ticker()["rect"][2] ==
                   self.row("TrayClockWClass")["rect"][0], lambda: f"not at {x}: {self.ticker()}",
                   2)

    def bar(self, owner):
        # The expanded bar: a shown top-level window along the bottom of the screen, owned by
        # the window of class owner.
        return self.wait_row("SSBar", owner=self.row(owner)["hwnd"], parent="0x00000000",
                             visible=True, rect=[0, SCREEN_H - self.h - 9, SCREEN_W, SCREEN_H])

    def docked(self, where=True):
        # Waits until the bar has gone and the ticker is back in the notification area, where
        # it stood at the start unless where is false.
        self.until(lambda: not self.row("SSBar") and self.ticker()["parent"] ==
                   self.row("TrayNotifyWnd")["hwnd"], lambda: f"not docked: {self.ticker()}", 10)
        self.assertEqual(self.home if where else self.ticker()["rect"], self.ticker()["rect"])

    def test_follows_icons_that_come_and_go(self):
        self.start("--foreign", "1")
        x, screen_x = self.ticker()["rel"][0], self.ticker()["rect"][0]
        # An icon added after the start widens the area to the left: the ticker goes with it.
        icon = self.send(TRAY, ids.WM_TASKBAR_ADD_FOREIGN, 20)
        self.until(lambda: self.ticker()["rect"][0] == screen_x - 20, "did not follow", 2)
        self.send(TRAY, ids.WM_TASKBAR_REMOVE_FOREIGN, icon)
        self.until(lambda: self.ticker()["rect"][0] == screen_x, "did not come back", 2)
        # The icon that was there before goes: the area is narrower than at the start, and the
        # ticker moves within it to stay against the clock.
        self.send(TRAY, ids.WM_TASKBAR_REMOVE_FOREIGN, 0)
        self.placed(x - 20)

    def test_waits_while_an_auto_hidden_taskbar_is_slid_away(self):
        self.start("--foreign", "1")
        placed = self.ticker()["rel"]
        self.send(TRAY, ids.WM_TASKBAR_SLIDE_AWAY)
        self.send(TRAY, ids.WM_TASKBAR_REMOVE_FOREIGN, 0)
        # Nothing to wait for here but the time of three placement ticks.
        self.s.wait_for(lambda: False, 1.5)
        self.assertEqual(placed, self.ticker()["rel"], "moved while the taskbar was away")
        self.send(TRAY, ids.WM_TASKBAR_SLIDE_BACK)
        self.placed(placed[0] - 20)

    def test_expanded_bar_and_back(self):
        self.start()
        self.command(ids.IDM_EXPAND)
        bar = self.bar("Shell_TrayWnd")
        self.assertEqual((bar["hwnd"], [0, 0, SCREEN_W, self.h]),
                         (self.ticker()["parent"], self.ticker()["rel"]))
        self.command(ids.IDM_EXPAND)
        self.docked()

    def test_bar_over_a_running_screen_saver_which_wins_over_expanded(self):
        self.start()
        self.s.spawn(w.SCREENSAVER_EXE)
        self.wait_row(SAVER)
        self.bar(SAVER)
        self.wait_row(SAVER, 2, rect=[0, 0, SCREEN_W, SCREEN_H - self.h - 9])
        self.post("class:" + SAVER, WM_CLOSE)
        self.docked()

        self.command(ids.IDM_EXPAND)
        self.bar("Shell_TrayWnd")
        # The shell restarts meanwhile: with no notification area to go back to, the ticker
        # stays in its bar (three placement ticks, nothing to wait on) until it is back.
        self.post(TRAY, WM_CLOSE)
        self.until(lambda: not self.row("TrayNotifyWnd"), "the taskbar stayed", 10)
        self.s.spawn(w.SCREENSAVER_EXE)
        self.wait_row(SAVER)
        self.s.wait_for(lambda: False, 1.5)
        self.start_taskbar()
        self.until(lambda: (self.row("SSBar") or {}).get("owner") ==
                   (self.row(SAVER) or {}).get("hwnd"), "the bar is not the screen saver's", 3)
        self.post("class:" + SAVER, WM_CLOSE)
        # Docked again: a tick docks it only when the screen saver has cleared "expanded".
        self.docked(False)

    def test_screen_saver_is_left_alone_when_the_option_is_off(self):
        self.start(screen_saver=0)
        self.s.spawn(w.SCREENSAVER_EXE)
        self.wait_row(SAVER)
        # Expanding now is the sign that the placement ticks have seen the screen saver.
        self.command(ids.IDM_EXPAND)
        self.bar("Shell_TrayWnd")
        self.assertEqual([0, 0, SCREEN_W, SCREEN_H], self.row(SAVER)["rect"])
        self.command(ids.IDM_EXPAND)
        self.docked()


if __name__ == "__main__":
    unittest.main(verbosity=2)
