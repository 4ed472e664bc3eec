# The preferences sheet and the About box of the real Ticker.exe, opened from its commands and
# driven through their controls: typing is real keyboard input (the boxes' own rules apply),
# buttons are clicked with BM_CLICK, sent when nothing modal follows and posted when something
# may. What counts is read where the program leaves it: the registry, the portal's request log
# (what the ticker uses from the next refresh on), message boxes, the strip's pixels. Pictures
# of every page are kept in the build folder's screenshots/ to be looked at.
import unittest
from urllib.parse import parse_qsl, urlsplit

import winetest as w
from names import (APPLY_BUTTON, BM_CLICK, IDCANCEL, IDOK, KEY, LB_SETCURSEL,
                   PSM_SETCURSEL, WM_KEYDOWN, WS_DISABLED, ids)
from scene import TickerTest
from screen import Region

SHOTS = w.BUILD / "screenshots"
FOLDER = "Z:" + str(w.TICKER_EXE.parent).replace("/", "\\")  # "Path": the new copy is started
PAGES = ["ticker", "news_colors", "symbols", "maker"]
TICKER_PAGE, NEWS_PAGE, SYMBOLS_PAGE = 0, 1, 2
HEADLINES = ("US", "World", "Business", "Politics", "Technology", "Entertainment", "Sports")
CONTENT_SWITCHES = {ids.IDC_QUOTES: "Stock Quotes", ids.IDC_WEATHER: "Weather", **{
    getattr(ids, f"IDC_{topic.upper()}"): f"{topic} Headlines" for topic in HEADLINES}}


def query(request):
    return dict(parse_qsl(urlsplit(request["target"]).query, keep_blank_values=True))


class Preferences(TickerTest):
    def start(self, settings=None, exe=w.TICKER_EXE):
        SHOTS.mkdir(parents=True, exist_ok=True)
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
        self.gone("Preferences")

    def text(self, parent, control_id, part="text"):
        # What a box shows ("text"), or a list box's entries ("items").
        return self.s.text(self.control(parent, control_id)["hwnd"])[part]

    def type(self, parent, control_id, typed, shown=None):
        # Replaces the text of a box by typing, so the box's own rules apply, and waits until it
        # shows `shown` (by default what was typed). The click that gives it the focus
        # alternates between two points, so that two in a row never make a double click.
        row = self.control(parent, control_id)
        x0, y0, x1, y1 = row["rect"]
        self._left = not getattr(self, "_left", False)
        self.pointer("click", (2 * x0 + x1 if self._left else x0 + 2 * x1) // 3, (y0 + y1) // 2)
        self.keys("key", "Home", "shift+End", "BackSpace")
        if typed:
            self.keys("type", "--delay", "40", typed)
        self.until(lambda: self.s.text(row["hwnd"])["text"] == (typed if shown is None else shown),
                   lambda: f"the box shows {self.s.text(row['hwnd'])} after {typed!r}", 20)

    def set_checks(self, page, on, *control_ids):
        for control_id in control_ids:
            if self.checked(self.control(page, control_id)) != on:
                self.press(page, control_id)

    def add(self, page, typed, shown):
        self.type(page, ids.IDC_SYMBOL_EDIT, typed, shown)
        self.press(page, ids.IDC_ADD_SYMBOL)

    def remove(self, page, index):
        # Selects entry index of the list (-1: none) and presses Remove.
        self.send(self.control(page, ids.IDC_SYMBOL_LIST)["hwnd"], LB_SETCURSEL, index)
        self.press(page, ids.IDC_REMOVE_SYMBOL)

    def assert_stored(self, expected):
        stored = self.registry()
        self.assertEqual(expected, {name: stored.get(name) for name in expected})

    def wait_request(self, wanted):
        # A request from now on that wanted(request) accepts; "Update Now" is chosen until it
        # comes.
        since = len(self.portal.requests())
        return self.refresh_until(lambda: next(filter(wanted, self.portal.requests()[since:]), 0),
                                  lambda: f"not among {self.portal.requests()[since:]}", 60)

    def asks_for(self, **parts):
        # Waits for a content request whose query parts are as given (None: not there).
        return self.wait_request(lambda r: all(query(r).get(k) == parts[k] for k in parts))

    # -- scenarios ----------------------------------------------------------------------------
    def test_ticker_page_saves_its_controls_and_the_account_takes_over(self):
        pieces = [f"LONGPIECE{c}123456" for c in "ABCDEFGHIJKLMNO"]  # 254 characters joined
        self.start({"Tamzo! User ID": "stored-user", "Tamzo! Password": "p" * 60,
                    "Stock Symbols": "+".join(pieces)})
        page = self.open_sheet()
        # A stored text longer than the page keeps is shown whole (and saved cut, below).
        self.assertEqual("p" * 60, self.text(page, ids.IDC_PASSWORD))
        # Leaving the page drops what was not applied.
        self.press(page, ids.IDC_BOLD_FONT)
        self.type(page, ids.IDC_USER_ID, "someone")
        self.show(NEWS_PAGE)
        page = self.show(TICKER_PAGE)
        self.assertTrue(self.checked(self.control(page, ids.IDC_BOLD_FONT)))
        self.assertEqual("stored-user", self.text(page, ids.IDC_USER_ID))

        self.set_checks(page, True, ids.IDC_MY_TAMZO, ids.IDC_SCREEN_SAVER)
        self.type(page, ids.IDC_USER_ID, "reader-of-the-news-every-day", "reader-of-the-news-")
        self.send(self.control(page, ids.IDC_TICKER_SPEED)["hwnd"], WM_KEYDOWN, 0x23)  # End
        self.type(page, ids.IDC_REFRESH_EDIT, "75")
        self.press(self.sheet, APPLY_BUTTON)
        self.assert_stored({"News Refresh": 60})  # the nearer bound
        self.assertEqual("60", self.text(page, ids.IDC_REFRESH_EDIT))  # the period in force
        # From the next refresh on, the ticker logs in with the account as the page keeps it.
        self.wait_request(lambda r: r["query"] == "login=reader-of-the-news-&passwd=" + "p" * 19)
        # With the account, no topic at all is needed: OK goes through without a message.
        self.set_checks(self.show(NEWS_PAGE), False, *CONTENT_SWITCHES)
        self.close_sheet()
        self.assert_stored({"My Tamzo!": 1, "Tamzo! User ID": "reader-of-the-news-",
                            "Tamzo! Password": "p" * 19, "Bold Font": 1,
                            "Show in Screen Saver": 1, "Ticker Size": 0, "Ticker Speed": 4,
                            **dict.fromkeys(CONTENT_SWITCHES.values(), 0)})
        self.assertEqual(100, self.s.registry(KEY)["Tamzo! Password"]["length"])  # a whole field

        # A list stored longer than the value holds: no room for more, and OK keeps as many
        # whole pieces, in order, as fit in 199 characters.
        page = self.open_sheet(SYMBOLS_PAGE)
        self.add(page, "t", "T")
        self.assertEqual(15, len(self.text(page, ids.IDC_SYMBOL_LIST, "items")))
        self.remove(page, 2)  # LONGPIECEC123456
        self.close_sheet()
        self.assert_stored({"Stock Symbols": "+".join(pieces[:2] + pieces[3:12])})  # 186

    def test_news_page_saves_airports_stories_and_topics_and_refuses_nothing_to_show(self):
        self.start()
        self.open_sheet()
        for index, name in enumerate(PAGES):  # pictures of every page, to be looked at
            self.show(index)
            self.s.screenshot(SHOTS / f"prefs_{name}.png")
        page = self.show(NEWS_PAGE)
        self.type(page, ids.IDC_AIRPORTS, "ord sea", "ORD SEA")  # the box turns to upper case
        self.type(page, ids.IDC_STORIES, "25")
        self.press(self.sheet, APPLY_BUTTON)
        self.assert_stored({"Airports": "ORD,SEA", "Stories per Topic": 20})
        self.assertEqual("20", self.text(page, ids.IDC_STORIES))
        self.asks_for(weather="f,ORD,SEA", news="20,rt,")
        # More than the value keeps: the box takes 299 characters, the value the first 99.
        self.type(page, ids.IDC_AIRPORTS, "ab " * 100, "AB " * 99 + "AB")

        # Nothing to show: refused with a message, every switch already saved as it is, the
        # sheet left open on this page.
        self.set_checks(page, False, *CONTENT_SWITCHES)
        self.press(self.sheet, IDOK, post=True)
        box = self.dialog("Error")
        self.assertIn("You must select at least one news Topics...", self.texts(box))
        self.assert_stored({**dict.fromkeys(CONTENT_SWITCHES.values(), 0), "Airports": "AB," * 33})
        self.press(box, IDOK)
        self.gone("Error")
        self.assertEqual(page["hwnd"], self.wait_row("#32770", parent=self.sheet["hwnd"],
                                                     visible=True)["hwnd"])
        self.set_checks(page, True, ids.IDC_WORLD, ids.IDC_SPORTS, ids.IDC_QUOTES, ids.IDC_CELSIUS)
        self.close_sheet()  # no message this time: it would hold the sheet up
        self.assert_stored({"Temperature System": 0, "World Headlines": 1, "Sports Headlines": 1,
                            "Stock Quotes": 1, "Weather": 0, "US Headlines": 0})
        self.asks_for(news="20,rw,rs,", weather=None)

    def choose_color(self, page, swatch, name, cell):
        # Clicks a swatch, picks the basic colour at (column, row) of the chooser's grid with
        # the mouse and closes the chooser with Return (after the click in the input queue).
        # Returns the colour stored as name, (r, g, b), once it has changed.
        before = self.registry().get(name)
        self.press(page, swatch, post=True)
        # The chooser's basic colours, 8 x 6.
        x0, y0, x1, y1 = self.control(self.dialog("Color"), 0x2d0)["rect"]
        self.pointer("click", x0 + (x1 - x0) * (2 * cell[0] + 1) // 16,
                     y0 + (y1 - y0) * (2 * cell[1] + 1) // 12)
        self.keys("key", "Return")
        self.gone("Color")
        self.until(lambda: self.registry().get(name) != before, f"{name} was not stored", 10)
        return tuple(self.registry()[name].to_bytes(4, "little")[:3])  # from 0x00BBGGRR

    def test_colours_are_stored_at_once_put_back_by_cancel_and_shown(self):
        self.start({"US Headlines": 1, "Quote NC Color": 0xFFFF},
                   w.WIN_BIN / "tools" / "demo" / "TickerDemo.exe")
        page = self.open_sheet(NEWS_PAGE)
        self.choose_color(page, ids.IDC_COLOR_QUOTE_NC, "Quote NC Color", (0, 0))
        # Going to another page and back does not make the chosen colours the ones to keep.
        self.show(TICKER_PAGE)
        self.show(NEWS_PAGE)
        self.close_sheet(IDCANCEL)
        self.assert_stored({"Quote NC Color": 0xFFFF})

        # After Apply the swatch still shows the chosen colour, and so does the strip.
        page = self.open_sheet(NEWS_PAGE)
        chosen = self.choose_color(page, ids.IDC_COLOR_BACKGROUND, "Ticker Background Color",
                                   (2, 1))
        self.press(self.sheet, APPLY_BUTTON)
        x0, y0, x1, y1 = self.control(page, ids.IDC_COLOR_BACKGROUND)["rect"]
        self.assertEqual(chosen, Region(self.s, (x0 + x1) // 2, (y0 + y1) // 2, 1, 1).pixel(0, 0))
        left, top, right, bottom = self.ticker()["rect"]
        strip = (left + 12, top + 1, right - left - 12 - 78, bottom - top - 2)
        self.until(lambda: Region(self.s, *strip).colors().most_common(1)[0][0] == chosen,
                   "the strip is not in the chosen background", 10)
        self.close_sheet(IDCANCEL)

    def test_symbols_page_adds_removes_and_the_next_request_quotes_them(self):
        self.start({"Stock Symbols": "^DJI+IBM+MSFT", "Stock Quotes": 1, "Path": FOLDER})
        self.asks_for(stocks="^DJI,IBM,MSFT")
        page = self.open_sheet(SYMBOLS_PAGE)
        entries = lambda page: self.text(page, ids.IDC_SYMBOL_LIST, "items")  # noqa: E731
        self.assertTrue(int(self.control(self.sheet, APPLY_BUTTON)["style"], 16) & WS_DISABLED)
        for typed, shown in (("ib", "IB"), ("ibm", "IBM"), ("^dji", "^DJI"), ("msft", "MSFT"),
                             ("", ""), ("abcdefghijkl", "ABCDEFGHI")):  # the box takes nine
            self.add(page, typed, shown)
            self.assertEqual(shown, self.text(page, ids.IDC_SYMBOL_EDIT))  # kept in the box
        self.assertEqual(sorted(["^DJI", "IB", "IBM", "MSFT", "ABCDEFGHI"]), sorted(entries(page)))
        self.assertFalse(int(self.control(self.sheet, APPLY_BUTTON)["style"], 16) & WS_DISABLED)
        # Remove takes the selected entry only; without a selection it does nothing.
        self.remove(page, entries(page).index("IB"))
        self.remove(page, -1)
        shown = entries(page)
        self.assertEqual({"^DJI", "IBM", "MSFT", "ABCDEFGHI"}, set(shown))
        # The ticker quotes what the page shows from the next refresh on ...
        self.wait_request(lambda r: set(query(r).get("stocks", "").split(",")) == set(shown))
        # ... and Apply saves it in the list box's order, as a whole 200-byte field.
        self.press(self.sheet, APPLY_BUTTON)
        saved = self.s.registry(KEY)["Stock Symbols"]
        self.assertEqual(("+".join(shown), 200), (saved["data"], saved["length"]))
        # After Apply, Cancel goes back to the applied list, in the registry and in the feed.
        self.add(page, "zz", "ZZ")
        self.close_sheet(IDCANCEL)
        self.assert_stored({"Stock Symbols": "+".join(shown)})
        self.asks_for(stocks=",".join(shown))

        # Removing every symbol saves an empty list, and the page opens empty next time. An OK
        # that leaves the size as it is starts no copy.
        page = self.open_sheet(SYMBOLS_PAGE)
        for _ in shown:
            self.remove(page, 0)
        self.close_sheet()
        self.assertEqual(1, len(self.s.processes("Ticker.exe")))
        self.assert_stored({"Stock Symbols": ""})
        page = self.open_sheet(SYMBOLS_PAGE)
        self.assertEqual([], entries(page))

        # One OK that adds a symbol and makes the ticker large: the larger copy starts once
        # every page has saved, at half the screen, and quotes the new symbol at once.
        self.add(page, "new", "NEW")
        self.press(self.show(TICKER_PAGE), ids.IDC_LARGE_SIZE)
        with self.s.window_counts("Ticker") as counts:
            self.close_sheet()
            self.proc.wait(timeout=60)
            new = self.s.wait_for(lambda: self.row("Ticker", visible=True), 30)
        self.assertLessEqual(max(counts), 1, "two tickers at once")
        self.assertTrue(new, "no larger copy came up")
        self.assertGreaterEqual(new["cw"], 1024 // 2 - 3)
        self.assert_stored({"Stock Symbols": "NEW", "Ticker Size": 1})
        self.asks_for(stocks="NEW")

    def test_about_box_and_the_account_bound_sheet(self):
        self.start({"Path": FOLDER, "My Tamzo Only": 1, "My Tamzo!": 1})
        self.command(ids.IDM_ABOUT)
        x0, y0, x1, y1 = (about := self.dialog("About"))["rect"]
        self.assertEqual(((1024 - (x1 - x0)) // 2, (768 - (y1 - y0)) // 2), (x0, y0))
        self.s.screenshot(SHOTS / "prefs_about.png")
        self.click(self.child(about, "Button", title="OK"))
        self.gone("About")

        # An installation bound to the account: two pages, and the account stays on.
        account = self.control(self.open_sheet(), ids.IDC_MY_TAMZO)
        self.assertTrue(self.checked(account))
        self.assertTrue(int(account["style"], 16) & WS_DISABLED)
        self.assertEqual("Ostrivane", self.show(1)["title"])
        self.assertEqual(0, self.send(self.sheet["hwnd"], PSM_SETCURSEL, 2))  # no third page
        self.close_sheet()  # the maker's page never holds the sheet up
        self.assert_stored({"My Tamzo!": 1})


if __name__ == "__main__":
    unittest.main(verbosity=2)
