"""Start-up against the taskbar stand-in in another process, with the real Ticker.exe:
first-run settings, the reserve icons and the docked geometry, single instance, closing from
outside, and the refusals."""
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "harness"))
import winetest as w  # noqa: E402

KEY = r"HKLM\SOFTWARE\Ostrivane\Ticker"
WM_TICKER_CLOSE = 1125
WM_TASKBAR_ICON_COUNT = 0x8104  # WM_APP + 0x104: wParam 1 counts the Shell_NotifyIcon icons
ICON = 16


class Startup(unittest.TestCase):
    def setUp(self):
        self.session = w.WineSession(f"startup_{self._testMethodName}")
        self.addCleanup(self.session.close)

    def start_taskbar(self, *options):
        self.session.spawn(w.TASKBAR_EXE, *options)
        self.assertTrue(self.session.wait_window("TrayNotifyWnd" if "--no-notify" not in options
                                                 else "Shell_TrayWnd"))

    def start_ticker(self, wait=True):
        proc = self.session.spawn(w.TICKER_EXE)
        if wait:
            if not self.session.wait_window("Ticker"):
                self.fail(f"no Ticker window: {self.session.state_of(proc)}")
        return proc

    def reserve_icons(self):
        return self.session.send("class:Shell_TrayWnd", WM_TASKBAR_ICON_COUNT, 1)["result"]

    def layout(self):
        rows = self.session.windows()
        area = next(r for r in rows if r["class"] == "TrayNotifyWnd")
        clock = next(r for r in rows if r["class"] == "TrayClockWClass")
        tickers = [r for r in rows if r["class"] == "Ticker"]
        return area, clock, tickers

    def check_docked(self, target):
        area, clock, tickers = self.layout()
        self.assertEqual(1, len(tickers))
        ticker = tickers[0]
        k = self.reserve_icons()
        grown = k * ICON
        # The least number of icons that reaches the target.
        self.assertGreaterEqual(grown, target)
        self.assertLess((k - 1) * ICON, target)
        self.assertEqual(area["hwnd"], ticker["parent"])
        self.assertEqual(grown - 3, ticker["cw"])                       # W = g - 3
        self.assertEqual(area["cw"] - ticker["cw"] - clock["cw"], ticker["rel"][0])
        self.assertEqual(0, ticker["rel"][1])
        self.assertEqual(area["ch"], ticker["ch"])                      # full area height
        self.assertNotEqual(clock["pid"], ticker["pid"])                # across processes

    def test_first_start_seeds_exactly_the_first_run_values(self):
        self.start_taskbar()
        self.start_ticker()
        values = self.session.wait_for(lambda: self.session.registry(KEY), timeout=10)
        self.assertEqual({
            "US Headlines": 1, "Stock Quotes": 1, "Bold Font": 1, "Show in Screen Saver": 1,
            "Weather": 1, "Temperature System": 1, "News Refresh": 30, "Ticker Speed": 2,
            "Airports": "JFK,SFO,LAX", "Stories per Topic": 10,
        }, {name: row["data"] for name, row in values.items()})
        self.assertEqual(100, values["Airports"]["length"])
        self.assertEqual("REG_SZ", values["Airports"]["type"])

    def test_a_store_with_one_topic_is_not_seeded_again(self):
        self.session.reg_add(KEY, "Sports Headlines", 1)
        self.start_taskbar()
        self.start_ticker()
        time.sleep(1)
        self.assertEqual({"Sports Headlines"}, set(self.session.registry(KEY)))

    def test_normal_size_takes_a_third_of_the_screen(self):
        self.start_taskbar()
        self.start_ticker()
        self.check_docked(target=1024 // 3)
        self.assertEqual(22, self.reserve_icons())

    def test_large_size_takes_half_the_screen(self):
        self.session.reg_add(KEY, "Ticker Size", 1)
        self.start_taskbar()
        self.start_ticker()
        self.check_docked(target=512)

    def test_a_shell_that_widens_late_still_ends_the_loop(self):
        self.start_taskbar("--lazy", "1500")
        self.start_ticker()
        # Each icon counted as (24 - 4) pixels while the area had not widened yet.
        self.assertEqual(18, self.reserve_icons())
        _, _, tickers = self.layout()
        self.assertEqual(18 * 20 - 3, tickers[0]["cw"])

    def test_a_second_start_replaces_the_first(self):
        self.start_taskbar()
        first = self.start_ticker()
        first_hwnd = self.layout()[2][0]["hwnd"]
        with self.session.window_counts("Ticker") as counts:
            second = self.start_ticker(wait=False)
            first.wait(timeout=30)
            self.assertTrue(self.session.wait_for(lambda: self.session.windows("Ticker"), 15))
        self.assertLessEqual(max(counts), 1, "two tickers at once")
        self.assertIsNotNone(first.returncode, "the first ticker did not end")
        tickers = self.session.windows("Ticker")
        self.assertEqual(1, len(tickers))
        self.assertNotEqual(first_hwnd, tickers[0]["hwnd"])
        self.assertIsNone(second.poll())
        self.assertEqual(22, self.reserve_icons())  # the first one's icons are gone

    def test_close_message_from_outside_ends_the_ticker_and_removes_its_icons(self):
        self.start_taskbar()
        proc = self.start_ticker()
        self.assertEqual(22, self.reserve_icons())
        self.session.send("class:Ticker", WM_TICKER_CLOSE)
        proc.wait(timeout=30)
        self.assertEqual(0, self.reserve_icons())
        self.assertEqual([], self.session.windows("Ticker"))

    def test_no_notification_area_ends_with_a_clear_message(self):
        self.start_taskbar("--no-notify")
        proc = self.start_ticker(wait=False)
        box = self.session.wait_for(
            lambda: [r for r in self.session.windows("#32770") if r["title"] == "Ostrivane Ticker"],
            timeout=15)
        self.assertTrue(box, "no message box")
        texts = [r["title"] for r in self.session.windows("Static") if r["parent"] == box[0]["hwnd"]]
        self.assertIn("The Ticker control cannot find the notification area of the Windows "
                      "Taskbar.  Exiting...", texts)
        self.session.send(box[0]["hwnd"], 0x0111, 1)  # WM_COMMAND IDOK
        proc.wait(timeout=30)
        self.assertEqual(0, self.reserve_icons())


if __name__ == "__main__":
    unittest.main(verbosity=2)
