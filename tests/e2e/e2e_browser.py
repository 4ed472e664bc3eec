"""Opening pages from the real Ticker.exe: the browser over DDE and the registered browser.

With the DDE stand-in serving both browsers' services, a click on the logo opens the search
server's root on "NETSCAPE" (the address on "WWW_OpenURL", then the activation item on
"WWW_Activate"); a double click opens it three times; a press on the logo released on the strip
opens nothing; "Help..." opens the help file in the default folder; the search box sends what
was typed when Enter is pressed, the same again on the next Enter, and shows the typed words
after each; a search too long for a DDE item is shortened to its last word that fits. With only
"Iexplore" both topics go there; a double click that comes while a slow browser has not yet
answered opens nothing. With no browser, the shell's open command is run once per click, trimmed.

The ticker opens pages one after another on its window thread, so a page opened by mistake
shows up before the ones that follow: every check compares the whole log so far.
"""
import unittest

from names import WM_CHAR
from scene import ACTIVATE_ITEM, HTTP_COMMAND_KEY, OPEN_TAIL, SEARCH_ROOT, TickerTest, WAIT

LOGO = (-30, 10)
WM_LBUTTONDBLCLK, EM_GETFIRSTVISIBLELINE = 0x0203, 0x00CE


def logo_spots():
    """Points across the logo, each more than the double-click distance from the one before:
    two clicks on one point within the double-click time would make a double click."""
    while True:
        yield from ((x, 10) for x in range(-58, -5, 8))


class Browser(TickerTest):
    def setUp(self):
        super().setUp()
        self.start_taskbar()
        self.start_ticker()
        self.opened, self.spots = [], logo_spots()

    def click_logo(self):
        self.mouse("click", *next(self.spots))

    def expect(self, *pages):
        """The pages opened so far are the ones expected before and these, each as a whole
        open-then-activate exchange."""
        self.opened += pages
        got = self.dde_requests(2 * len(self.opened))
        pairs = [(s1, item1[:-len(OPEN_TAIL)])
                 for (s1, t1, item1), (s2, t2, item2) in zip(got[0::2], got[1::2])
                 if (s1, t1, t2, item2) == (s2, "WWW_OpenURL", "WWW_Activate", ACTIVATE_ITEM)
                 and item1.endswith(OPEN_TAIL)]
        self.assertEqual(self.opened, pairs, f"DDE requests: {got}")

    def test_pages_open_in_the_dde_browser(self):
        self.start_browser()
        root = ("NETSCAPE", SEARCH_ROOT)
        self.click_logo()
        self.expect(root)
        self.mouse("dblclick", *LOGO)  # both releases and the double click open it
        self.expect(root, root, root)

        # Press the logo, leave it with the button held, let go over the strip: nothing opens;
        # nor does a double click on a strip without links. The logo click after is the mark.
        self.mouse("move", *LOGO)
        self.mouse("down")
        self.mouse("move", -40, 10)
        self.mouse("move", 150, 10)
        self.mouse("up")
        self.mouse("dblclick", 150, 10)
        self.click_logo()
        self.expect(root)

        self.choose("Help...")
        self.expect(("NETSCAPE", r"c:\progra~1\tamzo!\zrthelp.html"))

        self.mouse("click", -70, 5)  # the upper small button opens the search box
        t = self.ticker()
        box = self.wait_row("Edit", parent=t["hwnd"], visible=True,
                            rel=[0, 1, t["cw"] - 76, t["ch"] - 1])  # over the whole strip
        for ch in "two words":
            self.post(box["hwnd"], WM_CHAR, ord(ch))
        # Enter's line break arrives as two (encoded) spaces; the box then takes it out again.
        search = SEARCH_ROOT + "/bin/search?p=two+words%20%20"
        shows_the_words = lambda: (self.s.text(box["hwnd"])["text"] == "two words" and  # noqa
                                   self.send(box["hwnd"], EM_GETFIRSTVISIBLELINE) == 0)
        for _ in range(2):
            self.post(box["hwnd"], WM_CHAR, 13)
            self.expect(("NETSCAPE", search))
            self.assertTrue(self.s.wait_for(shows_the_words, WAIT), self.s.text(box["hwnd"]))
        self.click_logo()  # the logo searches for the words in the box
        self.expect(("NETSCAPE", SEARCH_ROOT + "/bin/search?p=two+words"))
        self.mouse("click", -70, 5)  # closes it again
        self.assertTrue(self.s.wait_for(lambda: not self.row("Edit", parent=t["hwnd"]), WAIT))
        # A new box, and 14 words of quotes, three characters each once encoded: the item
        # keeps 13. (Narrow characters: text wider than the box scrolls it sideways, which
        # hangs the edit control under Wine.)
        self.mouse("click", -70, 5)
        box = self.wait_row("Edit", parent=t["hwnd"], visible=True)
        for ch in "\xb7".join(["''''"] * 14) + "\r":
            self.post(box["hwnd"], WM_CHAR, ord(ch))
        self.expect(("NETSCAPE", SEARCH_ROOT + "/bin/search?p=" + "%20".join(["%27" * 4] * 13)))
        self.mouse("click", -70, 5)

        self.stop_browser()
        self.start_browser("--iexplore", "--delay", "3000")
        self.click_logo()
        self.dde_requests(2 * len(self.opened) + 1)  # the ticker waits for its answer now
        x, y = LOGO
        self.send("class:Ticker", WM_LBUTTONDBLCLK, 0, (t["cw"] + x) | y << 16)
        self.click_logo()  # the mark after it
        self.expect(("Iexplore", SEARCH_ROOT), ("Iexplore", SEARCH_ROOT))

    def test_without_a_dde_browser_the_open_command_runs_once_per_click(self):
        started = []

        def click_and_expect(log, line):
            started.append(line)
            self.click_logo()
            self.assertTrue(self.s.wait_for(lambda: log.exists() and len(
                log.read_text().splitlines()) >= len(started), WAIT), "no browser was started")
            self.assertEqual(started, log.read_text().splitlines())

        # A quoted path and "-nohome": the quotes become spaces, the option goes, and the address
        # follows after two spaces (the blank that replaced the opening quote is not passed on).
        path, log = self.install_recorder("-nohome")
        click_and_expect(log, f"{path}  {SEARCH_ROOT}")
        click_and_expect(log, f"{path}  {SEARCH_ROOT}")
        path, log = self.install_recorder('-h "%1"')  # "-h" with a quoted placeholder: both go
        click_and_expect(log, f"{path}  {SEARCH_ROOT}")
        # No command at all: nothing is started, and the ticker carries on.
        self.s.run("reg", "delete", HTTP_COMMAND_KEY, "/f", check=True)
        self.click_logo()
        self.menu_state()  # the menu comes after the click in the ticker's input
        path, log = self.install_recorder("-nohome")
        click_and_expect(log, f"{path}  {SEARCH_ROOT}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
