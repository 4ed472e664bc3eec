# The base of the scenarios: one Wine session per test, with the taskbar stand-in and the real
# Ticker.exe in processes of their own, and what a scenario reads and does there: window rows,
# dialogs and message boxes, commands, the mouse and the keyboard, the context menu as it is
# drawn, and the browser stand-ins.
#
# Every wait polls with a generous deadline (the machine may be loaded); what must not happen
# is checked after something that would have come after it, not after a fixed sleep.
import os
import shutil
import signal
import subprocess
import unittest
import warnings

import winetest as w
from names import BM_GETCHECK, KEY, VK_ESCAPE, WM_COMMAND, WM_KEYDOWN, ids
from portal import Portal
from screen import Region

WAIT = 30.0
BROWSER_EXE = w.WIN_BIN / "tools" / "browser" / "Browser.exe"
RECORDER_EXE = w.WIN_BIN / "tools" / "browser" / "Recorder.exe"
HTTP_COMMAND_KEY = r"HKLM\SOFTWARE\Classes\http\shell\open\command"
SEARCH_ROOT = "http://search.tamzo.example"
OPEN_TAIL = ",,0xFFFFFFFF,0x03"  # what follows the address on WWW_OpenURL
ACTIVATE_ITEM = '"0xFFFFFFFF","0"'
MENU_ITEMS = ["Preferences...", "Update Now", "Search Window", "Expand / Collapse", "About...",
              "Help...", "Exit"]


class TickerTest(unittest.TestCase):
    def setUp(self):
        warnings.simplefilter("ignore", ResourceWarning)  # the harness's log files
        self.s = w.WineSession(f"{type(self).__name__.lower()}_{self._testMethodName}")
        self.addCleanup(self.s.close)
        # Without a portal the proxy is a closed port: refreshes fail at once, quietly.
        self.s.env["http_proxy"] = "http://127.0.0.1:9"
        self.browser, self.dde_log, self.base_icons = None, self.s.work / "dde.log", None

    # -- programs ---------------------------------------------------------------------------
    def start_portal(self, *options, name="portal", **kw):
        # A portal (or, with answer=, a server of the test's own) that the ticker reaches.
        portal = Portal(self.s, name, *options, **kw)
        self.s.env["http_proxy"] = portal.proxy
        return portal

    def start_taskbar(self, *options):
        self.s.spawn(w.TASKBAR_EXE, *options)
        area = "Shell_TrayWnd" if "--no-notify" in options else "TrayNotifyWnd"
        self.assertTrue(self.s.wait_window(area), "the taskbar stand-in did not come up")
        self.base_icons = self.icon_count()

    def start_ticker(self, settings=None, exe=w.TICKER_EXE, wait=True):
        # Stores settings ({name: number or text}), starts the ticker and, unless wait is
        # false, returns its process once its window is shown beside the clock.
        for name, value in (settings or {}).items():
            self.s.reg_add(KEY, name, value, "REG_SZ" if isinstance(value, str) else "REG_DWORD")
        proc = self.s.spawn(exe)
        if wait and not self.s.wait_for(lambda: (self.ticker() or {}).get("visible"), WAIT):
            self.fail(f"the ticker showed no window: {self.s.state_of(proc)}")
        return proc

    def registry(self):
        # The ticker's stored values, {name: data}.
        return {name: row["data"] for name, row in (self.s.registry(KEY) or {}).items()}

    # -- windows ----------------------------------------------------------------------------
    def ticker(self):
        rows, _ = self.s.probe("info", "class:Ticker")
        return rows[0] if rows and "hwnd" in rows[0] else None

    def row(self, cls, **fields):
        # The first window of class cls whose fields are as given, or None.
        return next((r for r in self.s.windows(cls)
                     if all(r.get(k) == v for k, v in fields.items())), None)

    def wait_row(self, cls, timeout=WAIT, **fields):
        found = self.s.wait_for(lambda: self.row(cls, **fields), timeout)
        self.assertTrue(found, f"no {cls} window with {fields}")
        return found

    def dialog(self, title, timeout=WAIT):
        # A shown top-level dialog or message box with this caption.
        return self.wait_row("#32770", timeout, title=title, visible=True, depth=0)

    def gone(self, title, timeout=WAIT):
        return self.s.wait_for(lambda: not self.row("#32770", title=title, depth=0), timeout)

    def child(self, parent, cls=None, **fields):
        rows = [r for r in self.s.windows(cls) if r["parent"] == parent["hwnd"] and
                all(r.get(k) == v for k, v in fields.items())]
        self.assertTrue(rows, f"no {cls} {fields} in {parent['title']!r}")
        return rows[0]

    def texts(self, box):
        return [r["title"] for r in self.s.windows("Static") if r["parent"] == box["hwnd"]]

    def checked(self, row):
        return self.send(row["hwnd"], BM_GETCHECK, 0) == 1

    def command(self, command):
        self.post("class:Ticker", WM_COMMAND, command)

    def send(self, target, message, wparam=0, lparam=0, post=False):
        answer = self.s.send(target, message, wparam, lparam, post)
        self.assertTrue(answer and answer["ok"], f"{message:#x} to {target}: {answer}")
        return answer.get("result")

    def post(self, target, message, wparam=0, lparam=0):
        self.send(target, message, wparam, lparam, post=True)

    def icon_count(self):
        # Icons the ticker (or anyone) added to the notification area with Shell_NotifyIcon.
        return self.send("class:Shell_TrayWnd", ids.WM_TASKBAR_ICON_COUNT, 1)

    # -- mouse and keyboard -----------------------------------------------------------------
    def pointer(self, *args):
        # Real mouse input at a point of the screen.
        rows, code = self.s.probe("mouse", *args)
        self.assertEqual(0, code, f"mouse {args}: {rows}")

    def mouse(self, action, x=None, y=None):
        # Real mouse input at a client point of the ticker (x < 0 counts from its right).
        if x is None:
            return self.pointer(action)
        left, top, right, _ = self.ticker()["rect"]
        self.pointer(action, right + x if x < 0 else left + x, top + y)

    def click(self, row):
        x0, y0, x1, y1 = row["rect"]
        self.pointer("click", (x0 + x1) // 2, (y0 + y1) // 2)

    def keys(self, *args):
        # Real keyboard input through the X server, to the window that has the focus.
        subprocess.run(["xdotool", *args], env=self.s.env, timeout=60, check=True)

    def type_into(self, row, text):
        # Replaces the text of an edit box by typing, so the box's own rules apply. The click
        # that gives it the focus alternates between two points, so that two in a row never make
        # a double click.
        x0, y0, x1, y1 = row["rect"]
        self._left = not getattr(self, "_left", False)
        x = x0 + (x1 - x0) // 3 if self._left else x1 - (x1 - x0) // 3
        self.pointer("click", x, (y0 + y1) // 2)
        self.keys("key", "Home", "shift+End", "BackSpace")
        if text:
            self.keys("type", "--delay", "40", text)

    # -- the context menu, read from the screen ---------------------------------------------
    def open_menu(self, x=120, y=8):
        # Right click on the ticker; returns {item name: {"enabled", "checked", "screen"}}.
        self.mouse("rclick", x, y)
        self.s.probe("mouse", "move", 3, 3)  # off the menu: no item highlighted
        items = self.s.wait_for(self._read_menu, WAIT)
        self.assertTrue(items, "no context menu with its seven items was drawn")
        return items

    def _read_menu(self):
        menu = self.row("#32768", visible=True)
        if not menu:
            return None
        left, top, right, bottom = menu["rect"]
        if right <= left or bottom <= top:  # Wine shows the menu before it gives it a size
            return None
        items = menu_items(Region(self.s, left, top, right - left, bottom - top))
        return len(items) == len(MENU_ITEMS) and dict(zip(MENU_ITEMS, (
            dict(item, screen=(left + item["center"][0], top + item["center"][1]))
            for item in items)))

    def choose(self, name, x=120, y=8):
        self.pointer("click", *self.open_menu(x, y)[name]["screen"])
        self.assertTrue(self.s.wait_for(lambda: not self.row("#32768", visible=True), WAIT))

    def menu_state(self, x=120, y=8):
        # The items as open_menu reads them; Escape closes the menu again.
        items = self.open_menu(x, y)
        self.post(self.row("#32768", visible=True)["hwnd"], WM_KEYDOWN, VK_ESCAPE)
        self.assertTrue(self.s.wait_for(lambda: not self.row("#32768", visible=True), WAIT))
        return items

    # -- the browser stand-ins --------------------------------------------------------------
    def start_browser(self, *services):
        # Browser.exe serving the given DDE services ("--netscape", "--iexplore").
        start = len(self.dde_lines())
        self.browser = self.s.spawn(BROWSER_EXE, *services, "--log", self.dde_log)
        self.assertTrue(self.s.wait_for(
            lambda: any(l.startswith("ready") for l in self.dde_lines()[start:]), WAIT),
            "the browser stand-in did not register its services")

    def stop_browser(self):
        os.killpg(self.browser.pid, signal.SIGTERM)
        self.browser.wait(timeout=WAIT)

    def dde_lines(self):
        log = self.dde_log
        return log.read_text(errors="replace").splitlines() if log.exists() else []

    def dde_requests(self, count=None):
        # Every DDE request the stand-in received, (service, topic, item); with count, once
        # there are at least that many.
        def got():
            return [tuple(l.split("\t")[1:4]) for l in self.dde_lines()
                    if l.startswith("request\t")]
        if count is not None:
            self.assertTrue(self.s.wait_for(lambda: len(got()) >= count, WAIT),
                            f"expected {count} DDE requests, got {got()}")
        return got()

    def install_recorder(self, arguments):
        # Registers a private copy of Recorder.exe as the http open command; returns the
        # Windows path of the copy and the log it writes.
        folder = self.s.work / "recorder"
        folder.mkdir(exist_ok=True)
        shutil.copyfile(RECORDER_EXE, folder / "Recorder.exe")
        windows_path = "Z:" + str(folder / "Recorder.exe").replace("/", "\\")
        self.s.reg_add(HTTP_COMMAND_KEY, None, f'"{windows_path}" {arguments}'.rstrip(), "REG_SZ")
        return windows_path, folder / "Recorder.log"


def menu_items(region):
    # The text rows of a drawn pop-up menu. Ink is any pixel darker than the separators' grey;
    # an item's text is enabled when it holds black, grayed when its darkest ink is grey. A check
    # mark is ink left of where the first item's text begins.
    margin, width = 3, region.width
    bands = []  # [top, bottom, the columns with ink, the darkest shade]
    for y in range(margin, region.height - margin):
        shade = [max(region.pixel(x, y)) for x in range(margin, width - margin)]
        xs = [margin + x for x, value in enumerate(shade) if value < 0x90]
        if xs and bands and bands[-1][1] == y - 1:
            bands[-1][1:] = [y, bands[-1][2] + xs, min(bands[-1][3], *shade)]
        elif xs:
            bands.append([y, y, xs, min(shade)])
    text_left, items = min(bands[0][2]) if bands else 0, []
    for top, bottom, xs, darkest in bands:
        text_xs = [x for x in xs if x >= text_left - 1] or [width // 2]
        items.append({"enabled": darkest < 0x50, "checked": any(x < text_left - 2 for x in xs),
                      "center": ((min(text_xs) + max(text_xs)) // 2, (top + bottom) // 2)})
    return items
