"""The scene the chrome, menu and browser scenarios share: the taskbar stand-in, the real
Ticker.exe docked in it, the browser stand-ins, and readers for the menu and the screen.

Every wait polls with a generous deadline; nothing here sleeps for a fixed time to let the
ticker catch up, except the short quiet periods that prove that nothing more happens.
"""
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "harness"))
import winetest  # noqa: E402

BROWSER_EXE = winetest.WIN_BIN / "tools" / "browser" / "Browser.exe"
RECORDER_EXE = winetest.WIN_BIN / "tools" / "browser" / "Recorder.exe"
SETTINGS_KEY = r"HKLM\SOFTWARE\Ostrivane\Ticker"
HTTP_COMMAND_KEY = r"HKLM\SOFTWARE\Classes\http\shell\open\command"
SEARCH_ROOT = "http://search.tamzo.example"
OPEN_TAIL = ",,0xFFFFFFFF,0x03"
ACTIVATE_ITEM = '"0xFFFFFFFF","0"'
WAIT = 30.0   # seconds: generous, the machine may be loaded
QUIET = 2.0   # seconds of nothing new that count as "nothing more happened"

WM_KEYDOWN, WM_CHAR, WM_COMMAND = 0x100, 0x102, 0x111
VK_ESCAPE = 0x1B
WM_TASKBAR_ICON_COUNT = 0x8000 + 0x104

MENU_ITEMS = ["Preferences...", "Update Now", "Search Window", "Expand / Collapse", "About...",
              "Help...", "Exit"]


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(main):
    """Runs a scenario's main(): a Failure is printed and ends the program with 1."""
    try:
        main()
    except Failure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)


class TickerScene:
    def __init__(self, session):
        self.s = session
        self.browser = None
        self.dde_log = session.work / "dde.log"

    # -- programs ------------------------------------------------------------------------------
    def start(self, settings=None):
        """Taskbar first, then the ticker; returns once the ticker is docked and visible."""
        for name, value in (settings or {}).items():
            kind = "REG_SZ" if isinstance(value, str) else "REG_DWORD"
            self.s.reg_add(SETTINGS_KEY, name, value, kind)
        self.s.spawn(winetest.TASKBAR_EXE)
        check(self.s.probe("wait", "TrayNotifyWnd", str(int(WAIT * 1000)))[1] == 0,
              "the taskbar stand-in did not come up")
        self.base_icons = self.icon_count()
        self.ticker_proc = self.s.spawn(winetest.TICKER_EXE)
        check(self.s.wait_for(lambda: (self.ticker() or {}).get("visible"), WAIT),
              "the ticker was not shown beside the clock")

    def ticker(self):
        rows, _ = self.s.probe("info", "class:Ticker")
        return rows[0] if rows and "hwnd" in rows[0] else None

    def icon_count(self):
        rows, _ = self.s.probe("send", "class:Shell_TrayWnd", str(WM_TASKBAR_ICON_COUNT), "1", "0")
        return rows[0]["result"] if rows and rows[0].get("ok") else None

    def start_browser(self, *services):
        """Browser.exe serving the given DDE services ("--netscape", "--iexplore")."""
        start = len(self.dde_lines())
        self.browser = self.s.spawn(BROWSER_EXE, *services, "--log", self.dde_log)
        check(self.s.wait_for(lambda: any(l.startswith("ready")
                                          for l in self.dde_lines()[start:]), WAIT),
              "the browser stand-in did not register its services")

    def stop_browser(self):
        if self.browser and self.browser.poll() is None:
            import os
            import signal
            os.killpg(self.browser.pid, signal.SIGTERM)
            self.browser.wait(timeout=30)
        self.browser = None

    def dde_lines(self):
        return self.dde_log.read_text(errors="replace").splitlines() if self.dde_log.exists() else []

    def requests(self):
        """Every DDE request the stand-in received: (service, topic, item)."""
        return [tuple(l.split("\t")[1:4]) for l in self.dde_lines() if l.startswith("request\t")]

    def wait_requests(self, count, timeout=WAIT):
        got = self.s.wait_for(lambda: len(self.requests()) >= count, timeout)
        check(got, f"expected {count} DDE requests, got {self.requests()}")
        return self.requests()

    def install_recorder(self, arguments):
        """Registers a private copy of Recorder.exe as the http open command; returns the
        Windows path of the copy and the log it writes."""
        folder = self.s.work / "recorder"
        folder.mkdir(exist_ok=True)
        shutil.copyfile(RECORDER_EXE, folder / "Recorder.exe")
        windows_path = "Z:" + str(folder / "Recorder.exe").replace("/", "\\")
        self.s.reg_add(HTTP_COMMAND_KEY, None, f'"{windows_path}" {arguments}'.rstrip(), "REG_SZ")
        return windows_path, folder / "Recorder.log"

    # -- mouse and messages --------------------------------------------------------------------
    def point(self, x, y):
        """Screen point of a client point of the ticker (x < 0 counts from the right edge)."""
        t = self.ticker()
        left, top, right, _ = t["rect"]
        return (right + x if x < 0 else left + x), top + y

    def mouse(self, action, x=None, y=None):
        args = [action] if x is None else [action, *map(str, self.point(x, y))]
        rows, code = self.s.probe("mouse", *args)
        check(code == 0, f"mouse {args} failed: {rows}")

    def post(self, target, message, wparam, lparam=0):
        rows, code = self.s.probe("post", target, str(message), str(wparam), str(lparam))
        check(code == 0, f"post to {target} failed: {rows}")

    def send(self, target, message, wparam, lparam=0):
        rows, code = self.s.probe("send", target, str(message), str(wparam), str(lparam))
        check(code == 0, f"send to {target} failed: {rows}")
        return rows[0]["result"]

    def child_of_ticker(self, class_name):
        t = self.ticker()
        if not t:
            return None
        for row in self.s.windows():
            if row["class"].lower() == class_name.lower() and row["parent"] == t["hwnd"]:
                return row
        return None

    # -- the context menu ----------------------------------------------------------------------
    def popup(self):
        rows = [r for r in self.s.windows() if r["class"] == "#32768" and r["visible"]]
        return rows[0] if rows else None

    def open_menu(self, x=120, y=8):
        """Right click on the ticker (or a given client point); returns the menu as read from
        the screen: one entry per item with 'enabled' and 'checked'."""
        self.mouse("rclick", x, y)
        check(self.s.wait_for(self.popup, WAIT), "no context menu opened")
        self.s.probe("mouse", "move", "3", "3")  # off the menu: no item highlighted
        items = self.s.wait_for(lambda: self.read_menu(), WAIT)
        check(items, "the context menu was not drawn with its seven items")
        return items

    def read_menu(self):
        menu = self.popup()
        if not menu:
            return None
        left, top, right, bottom = menu["rect"]
        width, height, pixels = grab(self.s, left, top, right - left, bottom - top)
        items = menu_items(width, height, pixels)
        if len(items) != len(MENU_ITEMS):
            return None
        for item, name in zip(items, MENU_ITEMS):
            item["name"] = name
            item["screen"] = (left + item["center"][0], top + item["center"][1])
        return items

    def choose(self, items, name):
        item = next(i for i in items if i["name"] == name)
        rows, code = self.s.probe("mouse", "click", *map(str, item["screen"]))
        check(code == 0, f"click on menu item {name} failed")
        check(self.s.wait_for(lambda: not self.popup(), WAIT), "the menu did not close")

    def close_menu(self):
        menu = self.popup()
        if menu:
            self.post(menu["hwnd"], WM_KEYDOWN, VK_ESCAPE)
        check(self.s.wait_for(lambda: not self.popup(), WAIT), "the menu did not close")


def grab(session, left, top, width, height):
    """An RGB copy of a rectangle of the screen: (width, height, bytes)."""
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", session.display],
                         capture_output=True, timeout=60, check=True)
    raw = subprocess.run(["convert", "xwd:-", "-crop", f"{width}x{height}+{left}+{top}",
                          "+repage", "-depth", "8", "rgb:-"], input=xwd.stdout,
                         capture_output=True, timeout=60, check=True).stdout
    return width, height, raw


def menu_items(width, height, pixels):
    """Finds the text rows of a drawn pop-up menu. Ink is any pixel darker than the separators'
    grey; an item's text is enabled when it holds black, grayed when its darkest ink is grey.
    A check mark is ink left of where the first item's text begins."""
    def px(x, y):
        i = (y * width + x) * 3
        return max(pixels[i], pixels[i + 1], pixels[i + 2])

    margin = 3
    ink_rows = []
    for y in range(margin, height - margin):
        xs = [x for x in range(margin, width - margin) if px(x, y) < 0x90]
        ink_rows.append((y, xs))
    bands, current = [], None
    for y, xs in ink_rows:
        if xs:
            if current is None:
                current = {"top": y, "bottom": y, "xs": list(xs)}
            else:
                current["bottom"] = y
                current["xs"] += xs
        elif current is not None:
            bands.append(current)
            current = None
    if current is not None:
        bands.append(current)
    if not bands:
        return []
    text_left = min(bands[0]["xs"])
    items = []
    for band in bands:
        darkest = min(px(x, y) for y in range(band["top"], band["bottom"] + 1)
                      for x in range(margin, width - margin))
        text_xs = [x for x in band["xs"] if x >= text_left - 1]
        items.append({
            "top": band["top"], "bottom": band["bottom"],
            "enabled": darkest < 0x50,
            "checked": any(x < text_left - 2 for x in band["xs"]),
            "center": ((min(text_xs) + max(text_xs)) // 2 if text_xs else width // 2,
                       (band["top"] + band["bottom"]) // 2),
        })
    return items
