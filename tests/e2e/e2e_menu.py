# The context menu of the real Ticker.exe, read from the screen and driven by the mouse.
#
# "Update Now" is grayed while a refresh runs (the ticker's requests go to a server that holds
# them) and enabled once it has ended, and choosing it starts another refresh, while asking again
# during one starts none; "Search Window" is checked exactly while the search box is wanted,
# whether the menu or the search button switched it; a right click in the search box opens the
# ticker's menu; "Expand / Collapse" moves the ticker into the bar along the bottom of the screen
# and back; "Exit" ends the program and gives the notification area its room back.
import threading
import unittest

import winetest as w
from names import WM_TIMER, ids
from scene import MENU_ITEMS, WAIT, TickerTest


class Menu(TickerTest):
    def setUp(self):
        super().setUp()
        self.released = threading.Event()
        self.portal = self.start_portal(answer=self.held)
        self.addCleanup(self.released.set)
        self.start_taskbar()
        self.proc = self.start_ticker()

    def held(self, request):
        # Every request waits until the test lets it go, then fails (503).
        self.released.wait(600)
        return 503, b""

    def requests(self):
        return len(self.portal.requests())

    def update_now_enabled(self):
        return self.menu_state()["Update Now"]["enabled"]

    def test_update_now_is_grayed_while_a_refresh_runs_and_starts_one(self):
        self.assertTrue(self.s.wait_for(self.requests, WAIT), "the first refresh never asked")
        state = self.menu_state()
        self.assertEqual(["Update Now"], [n for n in MENU_ITEMS if not state[n]["enabled"]])
        self.assertFalse(state["Search Window"]["checked"], "checked without a search box")
        # Asked again while it runs, by the command and by the timer: no second refresh.
        self.command(ids.IDM_UPDATE_NOW)
        self.send("class:Ticker", WM_TIMER, ids.RefreshTimer)

        self.released.set()
        self.assertTrue(self.s.wait_for(self.update_now_enabled, 90, 1.0),
                        "Update Now stayed grayed after the refresh ended")
        self.assertEqual(1, self.requests(), "a refresh was started while one ran")

        self.released.clear()
        self.choose("Update Now")
        self.assertTrue(self.s.wait_for(lambda: self.requests() == 2, WAIT),
                        "Update Now did not start a refresh")
        self.assertFalse(self.update_now_enabled(), "not grayed again while it runs")
        self.released.set()
        self.assertTrue(self.s.wait_for(self.update_now_enabled, 90, 1.0))

    def search_box(self, shown=True):
        # The search box once it is there (or, with shown false, once it is gone).
        box = lambda: self.row("Edit", parent=self.ticker()["hwnd"])  # noqa: E731
        return self.s.wait_for(box if shown else lambda: not box(), WAIT)

    def parent_class(self):
        return self.s.probe("info", self.ticker()["parent"])[0][0].get("class")

    def test_search_window_expand_and_exit(self):
        self.released.set()
        self.choose("Search Window")
        self.assertTrue(self.search_box(), "the menu did not open the search box")
        self.assertTrue(self.menu_state()["Search Window"]["checked"])
        self.mouse("click", -70, 5)  # the search button closes it ...
        self.assertTrue(self.search_box(False), "the search button did not close it")
        self.assertFalse(self.menu_state()["Search Window"]["checked"])
        self.mouse("click", -70, 5)  # ... and opens it again
        b, t = self.search_box(), self.ticker()
        self.assertTrue(b and self.menu_state()["Search Window"]["checked"])
        # A right click inside the box opens the ticker's own menu, not the edit control's.
        inside = (b["rect"][0] - t["rect"][0] + 40, b["rect"][1] - t["rect"][1] + 5)
        self.assertLess(inside[0], t["cw"] - 76, "the point is not over the box")
        self.assertTrue(self.menu_state(*inside)["Search Window"]["checked"])
        self.choose("Search Window")
        self.assertTrue(self.search_box(False), "the menu did not close the box")

        self.choose("Expand / Collapse")
        self.assertTrue(self.s.wait_for(lambda: self.parent_class() == "SSBar" and
                                        self.ticker()["cw"] == w.SCREEN[0], WAIT))
        self.choose("Expand / Collapse")
        self.assertTrue(self.s.wait_for(lambda: self.parent_class() == "TrayNotifyWnd", WAIT))

        self.assertGreater(self.icon_count(), self.base_icons, "no reserve icons")
        self.choose("Exit")
        self.proc.wait(timeout=WAIT)
        self.assertEqual([], self.s.windows("Ticker"))
        self.assertEqual(self.base_icons, self.icon_count(), "the reserve icons are still there")


if __name__ == "__main__":
    unittest.main(verbosity=2)
