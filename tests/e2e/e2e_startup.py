# Start-up against the taskbar stand-in in another process, with the real Ticker.exe:
# first-run settings, the reserve icons and the docked geometry, single instance, closing from
# outside, and the refusals.
import unittest

from names import KEY, IDOK, WM_COMMAND, ids
from scene import TickerTest

ICON = 16


class Startup(TickerTest):
    def check_docked(self, target):
        area, clock = self.row("TrayNotifyWnd"), self.row("TrayClockWClass")
        tickers = self.s.windows("Ticker")
        self.assertEqual(1, len(tickers))
        ticker = tickers[0]
        k = self.icon_count()
        # The least number of icons that reaches the target.
        self.assertGreaterEqual(k * ICON, target)
        self.assertLess((k - 1) * ICON, target)
        self.assertEqual(area["hwnd"], ticker["parent"])
        self.assertEqual(k * ICON - 3, ticker["cw"])
        self.assertEqual(area["cw"] - ticker["cw"] - clock["cw"], ticker["rel"][0])
        self.assertEqual(0, ticker["rel"][1])
        self.assertEqual(area["ch"], ticker["ch"])  # full area height
        self.assertNotEqual(clock["pid"], ticker["pid"])  # across processes
        return k

    def test_first_start_seeds_its_values_docks_in_a_third_and_closes_from_outside(self):
        self.start_taskbar()
        proc = self.start_ticker()
        values = self.s.registry(KEY)
        self.assertEqual({
            "US Headlines": 1, "Stock Quotes": 1, "Bold Font": 1, "Show in Screen Saver": 1,
            "Weather": 1, "Temperature System": 1, "News Refresh": 30, "Ticker Speed": 2,
            "Airports": "JFK,SFO,LAX", "Stories per Topic": 10,
        }, {name: row["data"] for name, row in values.items()})
        self.assertEqual(("REG_SZ", 100), (values["Airports"]["type"], values["Airports"]["length"]))
        self.assertEqual(22, self.check_docked(target=1024 // 3))

        self.send("class:Ticker", ids.WM_TICKER_CLOSE)
        proc.wait(timeout=30)
        self.assertEqual(0, self.icon_count())
        self.assertEqual([], self.s.windows("Ticker"))

    def test_a_store_with_one_topic_is_not_seeded_again_and_large_takes_half(self):
        self.start_taskbar()
        # The store is read while the window is made, before it is shown.
        self.start_ticker({"Sports Headlines": 1, "Ticker Size": 1})
        self.assertEqual({"Sports Headlines", "Ticker Size"}, set(self.registry()))
        self.check_docked(target=512)

    def test_a_shell_that_widens_late_still_ends_the_loop(self):
        self.start_taskbar("--lazy", "1500")
        self.start_ticker()
        # Each icon counted as (24 - 4) pixels while the area had not widened yet.
        self.assertEqual(18, self.icon_count())
        self.assertEqual(18 * 20 - 3, self.ticker()["cw"])

    def test_a_second_start_replaces_the_first_also_an_expanded_one(self):
        self.start_taskbar()
        first = self.start_ticker()
        first_hwnd = self.ticker()["hwnd"]
        self.command(ids.IDM_EXPAND)  # out of the notification area, into its bar
        self.wait_row("Ticker", parent=self.wait_row("SSBar")["hwnd"])
        with self.s.window_counts("Ticker") as counts:
            second = self.start_ticker(wait=False)
            first.wait(timeout=30)
            self.assertTrue(self.s.wait_for(lambda: self.s.windows("Ticker"), 15))
        self.assertLessEqual(max(counts), 1, "two tickers at once")
        tickers = self.s.windows("Ticker")
        self.assertEqual(1, len(tickers))
        self.assertNotEqual(first_hwnd, tickers[0]["hwnd"])
        self.assertIsNone(second.poll())
        self.assertEqual(22, self.icon_count())  # the first one's icons are gone

    def test_no_notification_area_ends_with_a_clear_message(self):
        self.start_taskbar("--no-notify")
        proc = self.start_ticker(wait=False)
        box = self.dialog("Ostrivane Ticker")
        self.assertIn("The Ticker control cannot find the notification area of the Windows "
                      "Taskbar.  Exiting...", self.texts(box))
        self.send(box["hwnd"], WM_COMMAND, IDOK)
        proc.wait(timeout=30)
        self.assertEqual(0, self.icon_count())


if __name__ == "__main__":
    unittest.main(verbosity=2)
