# The preferences sheet and the About box of the real Ticker.exe, opened from its commands and
# driven through their controls: typing is real keyboard input (the boxes' own rules apply),
# buttons are clicked with BM_CLICK, sent when nothing modal follows and posted when something
# may. What counts is read where the program leaves it: the registry, the portal's request log
# (what the ticker uses from the next refresh on), message boxes, the strip's pixels. Pictures
# of every page are kept in the build folder's screenshots/ to be looked at.
import unittest
from urllib.parse import unquote, urlsplit

import winetest as w
from names import (APPLY_BUTTON, BM_CLICK, IDCANCEL, IDOK, KEY, LB_GETCOUNT, LB_SETCURSEL,
                   PSM_SETCURSEL, VK_UP, WM_KEYDOWN, WS_DISABLED, ids)
from scene import TickerTest
from screen import Region

SHOTS = w.BUILD / "screenshots"
FOLDER = "Z:" + str(w.TICKER_EXE.parent).replace("/", "\\")  # "Path": the new copy is started
PAGES = ["ticker", "news_colors", "symbols", "maker"]
TICKER_PAGE, NEWS_PAGE, SYMBOLS_PAGE = 0, 1, 2
CONTENT_SWITCHES = {ids.IDC_US: "US Headlines", ids.IDC_WORLD: "World Headlines",
                    ids.IDC_BUSINESS: "Business Headlines", ids.IDC_POLITICS: "Politics Headlines",
                    ids.IDC_QUOTES: "Stock Quotes", ids.IDC_TECHNOLOGY: "Technology Headlines",
                    ids.IDC_ENTERTAINMENT: "Entertainment Headlines",
                    ids.IDC_SPORTS: "Sports Headlines", ids.IDC_WEATHER: "Weather"}


def rgb(colorref):
    return colorref & 255, colorref >> 8 & 255, colorref >> 16 & 255


class Preferences(TickerTest):
    def start(self, settings=None, exe=w.TICKER_EXE):
        self.portal = self.start_portal("--frozen")
        if exe == w.TICKER_EXE:
            self.start_taskbar()
        self.proc = self.start_ticker(settings, exe)

    # -- the sheet --------------------------------------------------------------------------
    def open_sheet(self, page=TICKER_PAGE):
        self.command(ids.IDM_PREFERENCES)
        self.sheet = self.dialog("Preferences")
        return self.show(page)

    def show(self, index):
        # Shows page index as a click on its tab does; returns the page.
        self.send(self.sheet["hwnd"], PSM_SETCURSEL, index)
        return self.wait_row("#32770", parent=self.sheet["hwnd"], visible=True)

    def control(self, parent, control_id):
        return self.child(parent, id=control_id)

    def press(self, parent, control_id, post=False):
        # A click on a button; posted when what follows may be modal.
        (self.post if post else self.send)(self.control(parent, control_id)["hwnd"], BM_CLICK)

    def close_sheet(self, button=IDOK):
        self.press(self.sheet, button, post=True)
        self.assertTrue(self.gone("Preferences"), "the sheet stayed open")

    def text(self, parent, control_id):
        return self.s.text(self.control(parent, control_id)["hwnd"])["text"]

    def type(self, parent, control_id, typed, shown=None):
        # Types into a box and waits until it shows `shown` (by default what was typed).
        row = self.control(parent, control_id)
        self.type_into(row, typed)
        shown = typed if shown is None else shown
        self.assertTrue(self.s.wait_for(lambda: self.s.text(row["hwnd"])["text"] == shown, 20),
                        f"the box shows {self.s.text(row['hwnd'])} after {typed!r}")

    def set_check(self, page, control_id, on):
        if self.checked(self.control(page, control_id)) != on:
            self.press(page, control_id)

    def values(self):
        return self.registry()

    def wait_request(self, since, wanted):
        # A request after the first `since` that wanted(request) accepts. While none has come
        # the ticker is asked for "Update Now" (which it ignores while a refresh runs).
        def found():
            match = next((r for r in self.portal.requests()[since:] if wanted(r)), None)
            if not match:
                self.command(ids.IDM_UPDATE_NOW)
            return match
        match = self.s.wait_for(found, 60, 1.0)
        self.assertTrue(match, f"not among {self.portal.requests()[since:]}")
        return match

    def asks_for(self, since, **parts):
        # Waits for a content request whose query parts are as given.
        return self.wait_request(since, lambda r: all(self.query(r, k) == v
                                                      for k, v in parts.items()))

    def query(self, request, name):
        for part in urlsplit(request["target"]).query.split("&"):
            if part.startswith(name + "="):
                return unquote(part[len(name) + 1:])
        return None

    # -- scenarios ----------------------------------------------------------------------------
    def test_ticker_page_saves_its_controls_and_the_account_takes_over(self):
        overlong = "+".join(f"LONGPIECE{chr(65 + i)}123456" for i in range(15))  # 254 characters
        self.start({"Tamzo! User ID": "stored-user", "Tamzo! Password": "p" * 60,
                    "Stock Symbols": overlong})
        page = self.open_sheet()
        # A stored text longer than the page keeps is shown whole, and saved cut at OK.
        self.assertEqual("p" * 60, self.text(page, ids.IDC_PASSWORD))
        self.assertEqual("30", self.text(page, ids.IDC_REFRESH_EDIT))  # first-run value
        self.close_sheet()
        self.assertEqual("p" * 19, self.values()["Tamzo! Password"])

        # Leaving the page drops what was not applied.
        page = self.open_sheet()
        self.assertTrue(self.checked(self.control(page, ids.IDC_BOLD_FONT)))
        self.press(page, ids.IDC_BOLD_FONT)
        self.type(page, ids.IDC_USER_ID, "someone")
        self.show(NEWS_PAGE)
        page = self.show(TICKER_PAGE)
        self.assertTrue(self.checked(self.control(page, ids.IDC_BOLD_FONT)))
        self.assertEqual("stored-user", self.text(page, ids.IDC_USER_ID))

        self.set_check(page, ids.IDC_MY_TAMZO, True)
        self.type(page, ids.IDC_USER_ID, "reader-of-the-news-every-day", "reader-of-the-news-")
        self.type(page, ids.IDC_PASSWORD, "pa55word")
        self.set_check(page, ids.IDC_SCREEN_SAVER, True)
        self.send(self.control(page, ids.IDC_TICKER_SPEED)["hwnd"], WM_KEYDOWN, 0x23)  # End
        self.type(page, ids.IDC_REFRESH_EDIT, "75")
        since = len(self.portal.requests())
        self.press(self.sheet, APPLY_BUTTON)
        self.assertEqual(60, self.values()["News Refresh"])  # the nearer bound
        self.assertEqual("60", self.text(page, ids.IDC_REFRESH_EDIT))  # the period in force
        # From the next refresh on, the ticker logs in with the account just typed.
        self.wait_request(since, lambda r: r["query"] == "login=reader-of-the-news-&passwd=pa55word")
        self.close_sheet()
        stored = self.s.registry(KEY)
        self.assertEqual({"My Tamzo!": 1, "Tamzo! User ID": "reader-of-the-news-",
                          "Tamzo! Password": "pa55word", "Bold Font": 1,
                          "Show in Screen Saver": 1, "Ticker Size": 0, "Ticker Speed": 4},
                         {name: stored[name]["data"] for name in (
                             "My Tamzo!", "Tamzo! User ID", "Tamzo! Password", "Bold Font",
                             "Show in Screen Saver", "Ticker Size", "Ticker Speed")})
        self.assertEqual(100, stored["Tamzo! Password"]["length"])  # a whole field

        # With the account, no topic at all is needed.
        page = self.open_sheet(NEWS_PAGE)
        for switch in CONTENT_SWITCHES:
            self.set_check(page, switch, False)
        self.close_sheet()
        self.assertEqual({0}, {self.values()[name] for name in CONTENT_SWITCHES.values()})

        # A list stored longer than the value holds: no room for more, and OK keeps as many
        # whole pieces, in order, as fit in 199 characters.
        page = self.open_sheet(SYMBOLS_PAGE)
        symbols = self.control(page, ids.IDC_SYMBOL_LIST)
        self.type(page, ids.IDC_SYMBOL_EDIT, "t", "T")
        self.press(page, ids.IDC_ADD_SYMBOL)
        self.assertEqual(15, self.send(symbols["hwnd"], LB_GETCOUNT))
        self.send(symbols["hwnd"], LB_SETCURSEL, 2)  # LONGPIECEC123456
        self.press(page, ids.IDC_REMOVE_SYMBOL)
        self.close_sheet()
        saved = self.values()["Stock Symbols"]
        self.assertEqual(186, len(saved), saved)
        self.assertTrue(saved.startswith("LONGPIECEA123456+LONGPIECEB123456+LONGPIECED"), saved)

    def test_news_page_saves_airports_stories_and_topics_and_refuses_nothing_to_show(self):
        self.start()
        page = self.open_sheet()
        for index, name in enumerate(PAGES):  # pictures of every page, to be looked at
            self.show(index)
            SHOTS.mkdir(parents=True, exist_ok=True)
            self.s.screenshot(SHOTS / f"prefs_{name}.png")
        page = self.show(NEWS_PAGE)
        self.assertEqual("JFK,SFO,LAX", self.text(page, ids.IDC_AIRPORTS))
        self.type(page, ids.IDC_AIRPORTS, "ord sea", "ORD SEA")  # the box turns to upper case
        self.type(page, ids.IDC_STORIES, "25")
        since = len(self.portal.requests())
        self.press(self.sheet, APPLY_BUTTON)
        self.assertEqual(("ORD,SEA", 20), tuple(self.values()[name] for name in (
            "Airports", "Stories per Topic")))
        self.assertEqual("20", self.text(page, ids.IDC_STORIES))
        self.asks_for(since, weather="f,ORD,SEA", news="20,rt,")
        # The arrows stop at the bounds.
        self.type(page, ids.IDC_STORIES, "19")
        for _ in range(3):
            self.send(self.control(page, ids.IDC_STORIES)["hwnd"], WM_KEYDOWN, VK_UP)
        self.assertEqual("20", self.text(page, ids.IDC_STORIES))
        # More than the value keeps: the box takes 299 characters, the value the first 99.
        self.type(page, ids.IDC_AIRPORTS, "ab " * 100, "AB " * 99 + "AB")

        # Nothing to show: refused with a message, every switch already saved as it is, the
        # sheet left open on this page.
        for switch in CONTENT_SWITCHES:
            self.set_check(page, switch, False)
        self.press(self.sheet, IDOK, post=True)
        box = self.dialog("Error")
        self.assertIn("You must select at least one news Topics...", self.texts(box))
        self.assertEqual({0}, {self.values()[name] for name in CONTENT_SWITCHES.values()})
        self.assertEqual("AB," * 33, self.values()["Airports"])
        self.press(box, IDOK)
        self.assertTrue(self.gone("Error"))
        self.assertEqual(page["hwnd"], self.wait_row("#32770", parent=self.sheet["hwnd"],
                                                     visible=True)["hwnd"])
        for switch in (ids.IDC_WORLD, ids.IDC_SPORTS, ids.IDC_QUOTES):
            self.press(page, switch)
        self.press(page, ids.IDC_CELSIUS)
        since = len(self.portal.requests())
        self.close_sheet()
        self.assertIsNone(self.row("#32770", title="Error"))
        stored = self.values()
        self.assertEqual({"World Headlines", "Sports Headlines", "Stock Quotes"},
                         {name for name in CONTENT_SWITCHES.values() if stored[name]})
        self.assertEqual(0, stored["Temperature System"])
        self.asks_for(since, news="20,rw,rs,", weather=None)

    def choose_color(self, page, swatch, cell, key="Return"):
        # Clicks a swatch, picks the basic colour at (column, row) of the chooser's grid with
        # the mouse and closes the chooser with a key (after the click in the input queue).
        self.press(page, swatch, post=True)
        chooser = self.dialog("Color")
        self.assertIn(chooser["owner"], (self.sheet["hwnd"], page["hwnd"]))
        x0, y0, x1, y1 = self.control(chooser, 0x2d0)["rect"]  # the basic colours, 8 x 6
        self.s.probe("mouse", "click", x0 + (x1 - x0) * (2 * cell[0] + 1) // 16,
                     y0 + (y1 - y0) * (2 * cell[1] + 1) // 12)
        self.keys("key", key)
        self.assertTrue(self.gone("Color"))

    def test_colours_are_stored_at_once_put_back_by_cancel_and_shown(self):
        self.start({"US Headlines": 1, "SYMBOL Color": 0x1E140A, "Quote UP Color": 0x03C801},
                   exe=w.WIN_BIN / "tools" / "demo" / "TickerDemo.exe")
        page = self.open_sheet(NEWS_PAGE)
        self.choose_color(page, ids.IDC_COLOR_QUOTE_NC, (0, 0))
        self.assertTrue(self.s.wait_for(lambda: self.values().get("Quote NC Color", 0xFFFF)
                                        != 0xFFFF, 10), "the chosen colour was not stored")
        self.choose_color(page, ids.IDC_COLOR_SYMBOL, (5, 2))
        self.assertNotEqual(0x1E140A, self.values()["SYMBOL Color"])
        self.choose_color(page, ids.IDC_COLOR_QUOTE_UP, (3, 3), "Escape")
        self.assertEqual(0x03C801, self.values()["Quote UP Color"])
        # Going to another page and back does not make the chosen colours the ones to keep.
        self.show(TICKER_PAGE)
        page = self.show(NEWS_PAGE)
        self.close_sheet(IDCANCEL)
        stored = self.values()
        self.assertEqual((0xFFFF, 0x1E140A, 0x03C801), (
            stored["Quote NC Color"], stored["SYMBOL Color"], stored["Quote UP Color"]))

        # After Apply the swatch still shows the chosen colour, and so does the strip.
        page = self.open_sheet(NEWS_PAGE)
        self.choose_color(page, ids.IDC_COLOR_BACKGROUND, (2, 1))
        chosen = rgb(self.values()["Ticker Background Color"])
        self.press(self.sheet, APPLY_BUTTON)
        x0, y0, x1, y1 = self.control(page, ids.IDC_COLOR_BACKGROUND)["rect"]
        self.assertEqual(chosen, Region(self.s, (x0 + x1) // 2, (y0 + y1) // 2, 1, 1).pixel(0, 0))
        left, top, right, bottom = self.ticker()["rect"]
        strip = (left + 12, top + 1, right - left - 12 - 78, bottom - top - 2)
        self.assertTrue(self.s.wait_for(
            lambda: Region(self.s, *strip).colors().most_common(1)[0][0] == chosen, 10))
        self.close_sheet(IDCANCEL)

    def test_symbols_page_adds_removes_and_the_next_request_quotes_them(self):
        self.start({"Stock Symbols": "^DJI+IBM+MSFT", "Stock Quotes": 1, "Path": FOLDER})
        self.asks_for(0, stocks="^DJI,IBM,MSFT")
        page = self.open_sheet(SYMBOLS_PAGE)
        symbols = self.control(page, ids.IDC_SYMBOL_LIST)
        entries = lambda: self.s.text(symbols["hwnd"])["items"]  # noqa: E731
        apply = self.control(self.sheet, APPLY_BUTTON)
        self.assertTrue(int(self.row("Button", hwnd=apply["hwnd"])["style"], 16) & WS_DISABLED)
        for typed, shown in (("ib", "IB"), ("ibm", "IBM"), ("^dji", "^DJI"), ("msft", "MSFT"),
                             ("", ""), ("abcdefghijkl", "ABCDEFGHI")):  # the box takes nine
            self.type(page, ids.IDC_SYMBOL_EDIT, typed, shown)
            self.press(page, ids.IDC_ADD_SYMBOL)
            self.assertEqual(shown, self.text(page, ids.IDC_SYMBOL_EDIT))  # kept in the box
        self.assertEqual({"^DJI", "IB", "IBM", "MSFT", "ABCDEFGHI"}, set(entries()))
        self.assertEqual(5, len(entries()))
        self.assertFalse(int(self.row("Button", hwnd=apply["hwnd"])["style"], 16) & WS_DISABLED)
        # Remove takes the selected entry only; without a selection it does nothing.
        self.send(symbols["hwnd"], LB_SETCURSEL, entries().index("IB"))
        self.press(page, ids.IDC_REMOVE_SYMBOL)
        self.send(symbols["hwnd"], LB_SETCURSEL, -1)
        self.press(page, ids.IDC_REMOVE_SYMBOL)
        shown = entries()
        self.assertEqual({"^DJI", "IBM", "MSFT", "ABCDEFGHI"}, set(shown))
        # The ticker quotes what the page shows from the next refresh on ...
        self.wait_request(len(self.portal.requests()),
                          lambda r: set((self.query(r, "stocks") or "").split(",")) == set(shown))
        # ... and Apply saves it in the list box's order, as a whole 200-byte field.
        self.press(self.sheet, APPLY_BUTTON)
        saved = self.s.registry(KEY)["Stock Symbols"]
        self.assertEqual(("+".join(shown), 200), (saved["data"], saved["length"]))
        # After Apply, Cancel goes back to the applied list, in the registry and in the feed.
        self.type(page, ids.IDC_SYMBOL_EDIT, "zz", "ZZ")
        self.press(page, ids.IDC_ADD_SYMBOL)
        self.close_sheet(IDCANCEL)
        self.assertEqual("+".join(shown), self.values()["Stock Symbols"])
        self.asks_for(len(self.portal.requests()), stocks=",".join(shown))

        # Removing every symbol saves an empty list, and the page opens empty next time.
        page = self.open_sheet(SYMBOLS_PAGE)
        symbols = self.control(page, ids.IDC_SYMBOL_LIST)
        while entries():
            self.send(symbols["hwnd"], LB_SETCURSEL, 0)
            self.press(page, ids.IDC_REMOVE_SYMBOL)
        self.close_sheet()
        self.assertEqual("", self.values()["Stock Symbols"])
        page = self.open_sheet(SYMBOLS_PAGE)
        self.assertEqual([], self.s.text(self.control(page, ids.IDC_SYMBOL_LIST)["hwnd"])["items"])

        # One OK that adds a symbol and makes the ticker large: the larger copy starts once
        # every page has saved, at half the screen, and quotes the new symbol at once.
        self.type(page, ids.IDC_SYMBOL_EDIT, "new", "NEW")
        self.press(page, ids.IDC_ADD_SYMBOL)
        self.press(self.show(TICKER_PAGE), ids.IDC_LARGE_SIZE)
        old = self.ticker()
        with self.s.window_counts("Ticker") as counts:
            self.close_sheet()
            self.proc.wait(timeout=60)
            new = self.s.wait_for(lambda: self.row("Ticker", visible=True), 30)
        self.assertLessEqual(max(counts), 1, "two tickers at once")
        self.assertTrue(new and new["pid"] != old["pid"], new)
        self.assertGreaterEqual(new["cw"], 1024 // 2 - 3)
        self.assertEqual({"Stock Symbols": "NEW", "Ticker Size": 1}, {
            name: self.values()[name] for name in ("Stock Symbols", "Ticker Size")})
        self.asks_for(len(self.portal.requests()), stocks="NEW")

    def test_about_box_the_account_bound_sheet_and_the_same_size_again(self):
        self.start({"Path": FOLDER, "My Tamzo Only": 1, "My Tamzo!": 1})
        for close in ("mouse", "enter"):
            self.command(ids.IDM_ABOUT)
            about = self.dialog("About")
            x0, y0, x1, y1 = about["rect"]
            self.assertEqual(((1024 - (x1 - x0)) // 2, (768 - (y1 - y0)) // 2), (x0, y0))
            if close == "mouse":
                SHOTS.mkdir(parents=True, exist_ok=True)
                self.s.screenshot(SHOTS / "prefs_about.png")
                self.click(self.child(about, "Button", title="OK"))
            else:
                self.keys("key", "Return")
            self.assertTrue(self.gone("About"), f"the About box did not close with {close}")

        # An installation bound to the account: two pages, and the account stays on.
        page = self.open_sheet()
        account = self.control(page, ids.IDC_MY_TAMZO)
        self.assertTrue(self.checked(account))
        self.assertTrue(int(account["style"], 16) & WS_DISABLED)
        self.assertEqual("Ostrivane", self.show(1)["title"])
        self.assertEqual(0, self.send(self.sheet["hwnd"], PSM_SETCURSEL, 2))  # no third page
        self.close_sheet()  # the maker's page never holds the sheet up
        self.assertEqual(1, self.values()["My Tamzo!"])

        # The size the ticker already has, applied again: no copy is started.
        page = self.open_sheet()
        self.press(page, ids.IDC_LARGE_SIZE)
        self.press(page, ids.IDC_LARGE_SIZE)
        self.close_sheet()  # a copy would have been started before the sheet went
        self.assertEqual(1, len(self.s.processes("Ticker.exe")))
        self.assertEqual(0, self.values()["Ticker Size"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
