"""The preferences sheet and the About box in the real Ticker.exe, opened from its commands,
driven with real mouse and keyboard input under Xvfb: symbols that reach the portal's request
log, a size change that replaces the running ticker with a larger one, and pictures of every
page (kept in the build folder's screenshots/ to be looked at)."""
import json
import re
import subprocess
import sys
import time
import unittest
import warnings
from pathlib import Path
from urllib.parse import urlsplit

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "harness"))
import winetest as w  # noqa: E402

KEY = r"HKLM\SOFTWARE\Ostrivane\Ticker"
PORTAL_EXE = w.BUILD / "tools" / "portal" / "portal"
SHOTS = w.BUILD / "screenshots"
WM_COMMAND = 0x0111
PSM_SETCURSEL = 0x0400 + 101
IDOK, IDCANCEL = 1, 2
IDM_PREFERENCES, IDM_ABOUT = 40001, 40003
PAGES = ["ticker", "news_colors", "symbols", "maker"]


class Portal:
    """One run of the portal server with a request log; close() of the session stops it."""

    def __init__(self, session):
        self.log = session.work / "portal.log"
        self.out = session.work / "portal.out"
        self.log.write_text("")
        self.proc = session.spawn_native(PORTAL_EXE, "--port", 0, "--frozen", "--log", self.log,
                                         log=self.out)
        match = session.wait_for(lambda: re.search(
            r"portal listening on 127\.0\.0\.1:(\d+)",
            self.out.read_text(errors="replace") if self.out.exists() else ""), 15)
        if not match:
            raise RuntimeError(f"portal did not start: {self.out.read_text(errors='replace')}")
        self.port = int(match.group(1))

    def stocks(self):
        """The stocks= part of every content request so far, in order."""
        out = []
        for line in self.log.read_text(errors="replace").splitlines():
            if not line.strip():
                continue
            query = urlsplit(json.loads(line)["target"]).query
            found = re.search(r"(?:^|&)stocks=([^&]*)", query)
            out.append(found.group(1) if found else "")
        return out


class Preferences(unittest.TestCase):
    def setUp(self):
        warnings.simplefilter("ignore", ResourceWarning)  # the harness's log files
        self.session = w.WineSession(f"prefs_{self._testMethodName}")
        self.addCleanup(self.session.close)

    # -- helpers ---------------------------------------------------------------------------------
    def start_ticker(self, portal=None):
        env = self.session.env
        for name in ("no_proxy", "NO_PROXY", "HTTP_PROXY", "https_proxy"):
            env.pop(name, None)
        # Without a portal the proxy is a closed port: refreshes fail at once, quietly.
        env["http_proxy"] = f"http://127.0.0.1:{portal.port if portal else 9}"
        self.session.spawn(w.TASKBAR_EXE)
        self.assertTrue(self.session.wait_window("TrayNotifyWnd"), "no taskbar stand-in")
        proc = self.session.spawn(w.TICKER_EXE)
        if not self.session.wait_window("Ticker"):
            self.fail(f"no Ticker window: {self.session.state_of(proc)}")
        return proc

    def tickers(self, count=1, timeout=15):
        """The Ticker windows once there are `count` of them. A walk over the window tree can
        miss a window while others come and go, so one look is not enough to say "none"."""
        def exactly():
            rows = self.session.windows("Ticker")
            return rows if len(rows) == count else None

        rows = self.session.wait_for(exactly, timeout)
        self.assertTrue(rows, f"not {count} Ticker window(s): {self.session.windows('Ticker')}")
        return rows

    def dialog(self, title, timeout=20):
        rows = self.session.wait_for(
            lambda: [r for r in self.session.windows("#32770")
                     if r["title"] == title and r["visible"] and r["depth"] == 0],
            timeout)
        self.assertTrue(rows, f"no {title!r} window")
        return rows[0]

    def command(self, command):
        answer = self.session.send("class:Ticker", WM_COMMAND, command, post=True)
        self.assertTrue(answer and answer["ok"], answer)

    def page(self, sheet):
        """The page the sheet shows: its one visible dialog child."""
        rows = self.session.wait_for(lambda: [
            r for r in self.session.windows("#32770")
            if r["parent"] == sheet["hwnd"] and r["visible"]], 10)
        self.assertTrue(rows, "the sheet shows no page")
        return rows[0]

    def child(self, parent, cls, title=None):
        rows = [r for r in self.session.windows(cls)
                if r["parent"] == parent["hwnd"] and (title is None or r["title"] == title)]
        self.assertTrue(rows, f"no {cls} {title!r} in {parent['title']!r}")
        return rows[0]

    def click(self, row):
        x0, y0, x1, y1 = row["rect"]
        rows, code = self.session.probe("mouse", "click", (x0 + x1) // 2, (y0 + y1) // 2)
        self.assertEqual(0, code, rows)

    def keys(self, *args):
        """Real keyboard input through the X server, to the window that has the focus."""
        subprocess.run(["xdotool", *args], env=self.session.env, timeout=30, check=True)

    def show_page(self, sheet, index):
        self.session.send(sheet["hwnd"], PSM_SETCURSEL, index)
        time.sleep(0.5)  # let the page paint before a picture is taken

    def gone(self, title):
        return self.session.wait_for(
            lambda: not [r for r in self.session.windows("#32770") if r["title"] == title], 20)

    def shot(self, name):
        SHOTS.mkdir(parents=True, exist_ok=True)
        return self.session.screenshot(SHOTS / f"prefs_{name}.png")

    # -- scenarios -------------------------------------------------------------------------------
    def test_pictures_of_every_page_and_of_the_about_box(self):
        self.start_ticker()
        self.command(IDM_PREFERENCES)
        sheet = self.dialog("Preferences")
        for index, name in enumerate(PAGES):
            self.show_page(sheet, index)
            self.shot(name)
        self.session.send(sheet["hwnd"], WM_COMMAND, IDCANCEL, post=True)
        self.assertTrue(self.gone("Preferences"))
        self.command(IDM_ABOUT)
        about = self.dialog("About")
        time.sleep(0.5)
        self.shot("about")
        x0, y0, x1, y1 = about["rect"]
        self.assertEqual(((1024 - (x1 - x0)) // 2, (768 - (y1 - y0)) // 2), (x0, y0))
        self.session.send(about["hwnd"], WM_COMMAND, IDOK, post=True)
        self.assertTrue(self.gone("About"))

    def test_symbols_added_on_the_sheet_reach_the_next_request(self):
        portal = Portal(self.session)
        self.start_ticker(portal)
        self.assertTrue(self.session.wait_for(portal.stocks, 30), "no first request")
        self.assertEqual("^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT", portal.stocks()[0])
        self.command(IDM_PREFERENCES)
        sheet = self.dialog("Preferences")
        self.show_page(sheet, 2)
        page = self.page(sheet)
        self.click(self.child(page, "Edit"))
        self.keys("type", "--delay", "80", "ge")
        self.click(self.child(page, "Button", "Add Symbol"))
        self.click(self.child(sheet, "Button", "&Apply"))
        # Apply saves the list in the list box's order, with the symbol in upper case as the
        # box turned it, and the next request carries it.
        saved = self.session.wait_for(
            lambda: (self.session.registry(KEY) or {}).get("Stock Symbols"), 20)
        self.assertTrue(saved, "the list was not saved")
        self.assertEqual("^DJI+^IXIC+^SPC+^XAM+GE+IBM+INTC+MSFT", saved["data"])
        self.assertEqual(200, saved["length"])
        self.assertTrue(self.session.wait_for(lambda: len(portal.stocks()) >= 2, 30),
                        "no request after Apply")
        # The refresh starts while the sheet applies: it may find the list before or after
        # the page has sorted it, but never without the new symbol.
        self.assertEqual({"^DJI", "^IXIC", "^SPC", "^XAM", "GE", "IBM", "INTC", "MSFT"},
                         set(portal.stocks()[1].split(",")))
        self.assertEqual(8, len(portal.stocks()[1].split(",")))
        self.click(self.child(sheet, "Button", "Cancel"))
        self.assertTrue(self.gone("Preferences"))

    def open_size_page(self):
        """A ticker that knows its folder, with the sheet open on its first page: the ticker's
        process, its window, the sheet and the page."""
        folder = "Z:" + str(w.TICKER_EXE.parent).replace("/", "\\")
        self.session.reg_add(KEY, "Path", folder, kind="REG_SZ")
        first = self.start_ticker()
        old = self.tickers()[0]
        self.command(IDM_PREFERENCES)
        sheet = self.dialog("Preferences")
        return first, old, sheet, self.page(sheet)

    def test_large_size_starts_a_larger_copy_that_replaces_this_one(self):
        first, old, sheet, page = self.open_size_page()
        self.click(self.child(page, "Button", "Large Size?"))
        with self.session.window_counts("Ticker") as counts:
            self.click(self.child(sheet, "Button", "OK"))
            try:
                first.wait(timeout=60)  # the new copy closes this one
            except subprocess.TimeoutExpired:
                pass
            new = self.session.wait_for(
                lambda: [r for r in self.session.windows("Ticker") if r["hwnd"] != old["hwnd"]],
                30)
        self.assertIsNotNone(first.returncode, "the first ticker did not end")
        self.assertTrue(new, "no new ticker")
        self.assertLessEqual(max(counts), 1, "two tickers at once")
        self.assertEqual([new[0]["hwnd"]], [r["hwnd"] for r in self.tickers()])
        self.assertNotEqual(old["pid"], new[0]["pid"])
        self.assertGreater(new[0]["cw"], old["cw"])
        self.assertGreaterEqual(new[0]["cw"], 1024 // 2 - 3)  # half the screen
        self.assertEqual(1, self.session.registry(KEY)["Ticker Size"]["data"])

    def test_applying_the_size_the_ticker_already_has_starts_no_copy(self):
        first, old, sheet, page = self.open_size_page()
        large = self.child(page, "Button", "Large Size?")
        self.click(large)  # checked ...
        self.click(large)  # ... and unchecked again before OK
        self.click(self.child(sheet, "Button", "OK"))
        self.assertTrue(self.gone("Preferences"))
        time.sleep(5)  # time enough for a copy to start and take over, were one started
        self.assertIsNone(first.poll())
        self.assertEqual([old["hwnd"]], [r["hwnd"] for r in self.tickers()])
        self.assertEqual(0, self.session.registry(KEY)["Ticker Size"]["data"])

    def test_about_box_opens_centred_and_closes_with_ok_or_enter(self):
        self.start_ticker()
        for close in ("mouse", "enter"):
            self.command(IDM_ABOUT)
            about = self.dialog("About")
            x0, y0, x1, y1 = about["rect"]
            self.assertEqual(((1024 - (x1 - x0)) // 2, (768 - (y1 - y0)) // 2), (x0, y0))
            if close == "mouse":
                self.click(self.child(about, "Button", "OK"))
            else:
                self.keys("key", "Return")
            self.assertTrue(self.gone("About"), f"the About box did not close with {close}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
