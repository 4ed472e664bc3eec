"""A double click on the strip of the real Ticker.exe opens the link of the item under it.

The ticker reads its content from the portal with a fixed reply of three quotes, each with
its own link. "Next Topic" puts the strip back at its start (the one topic wraps there) and
holds it a moment, so strip position and window position agree: a double click left of the
first item's right edge then opens the first link; one further right opens another of the
three; with no browser running the registered browser is started once with the address. The
first link holds blanks, quotes and a switch, as a feed may: it reaches the browser as one
address, and the started browser as one argument, percent-encoded.
"""
import unittest

from scene import ACTIVATE_ITEM, OPEN_TAIL, TickerTest, WAIT

WM_HSCROLL, SB_ENDSCROLL = 0x0114, 8

LINKS = [f"http://quote.tamzo.example/q?s={s}" for s in ("AAA", "BBB", "CCC")]
LINKS[0] += """ "x" -nohome 'y'"""
OPENED = [LINKS[0].replace(" ", "%20").replace('"', "%22").replace("'", "%27"), *LINKS[1:]]


def reply_bytes():
    out = "\x0eqt"
    for symbol, link in zip(("AAA", "BBB", "CCC"), LINKS):
        out += f"\x051\x0b{symbol}\x052\x0b12.50 +0.25\x0b\x0d{link}\x0d"
    return out.encode("ascii")


class BrowserStrip(TickerTest):
    def opened(self):
        return [item[:-len(OPEN_TAIL)] for _, topic, item in self.dde_requests()
                if topic == "WWW_OpenURL"]

    def open_at(self, x):
        """A double click at x on the strip just after "Next Topic" brought its start back."""
        self.topic = getattr(self, "topic", 0) + 1
        self.post("class:Ticker", WM_HSCROLL, SB_ENDSCROLL | self.topic << 16)
        self.mouse("dblclick", x, 10)

    def test_a_double_click_opens_the_link_under_the_pointer(self):
        raw = self.s.work / "reply.bin"
        raw.write_bytes(reply_bytes())
        self.start_portal("--frozen", "--raw-reply", raw)
        self.start_taskbar()
        self.start_ticker({"Stock Quotes": 1})
        self.start_browser()

        # Until the first refresh has put the links in place a double click opens nothing;
        # after it, a double click left of the first item's right edge opens the first link.
        def first_open():
            self.open_at(12)
            return self.s.wait_for(self.opened, 1.0)
        self.assertTrue(self.s.wait_for(first_open, 120, 1.0), "the strip has no links")
        # Further right lies another item. Each double click opens exactly one link, and the
        # menu, which comes after the second in the ticker's input, is the mark.
        self.open_at(self.ticker()["cw"] - 80)
        self.dde_requests(4)
        self.menu_state()
        got = self.opened()
        self.assertEqual(4, len(self.dde_requests()), self.dde_requests())
        self.assertEqual(OPENED[0], got[0])
        self.assertIn(got[1], OPENED)
        self.assertEqual(("NETSCAPE", "WWW_Activate", ACTIVATE_ITEM), self.dde_requests()[-1])

        # No browser: the registered one is started once, with the link.
        self.stop_browser()
        path, log = self.install_recorder("-nohome")
        self.open_at(12)
        self.assertTrue(self.s.wait_for(lambda: log.exists() and log.read_text().strip(), WAIT),
                        "the registered browser was not started")
        self.menu_state()
        self.assertEqual([f"{path}  {OPENED[0]}"], log.read_text().splitlines())


if __name__ == "__main__":
    unittest.main(verbosity=2)
