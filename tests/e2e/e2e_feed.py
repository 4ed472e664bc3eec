# The feed with the real Ticker.exe against the portal: the requests it sends, the login, the
# time stamp it saves, a portal that goes away, slow servers, hostile replies, and an exit in
# the middle of a refresh. The ticker reaches the portal the way any WinINet program reaches a
# proxy: through the http_proxy variable.
import random
import threading
import time
import unittest

from names import KEY, WM_NULL, WM_TIMER, ids
from scene import TickerTest

CONTENT = "my.tamzo.example/zrt/update"
LOGIN = "login.tamzo.example/bin/zrtlogin"
FIRST_RUN_QUERY = "?stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT&weather=f,JFK,SFO,LAX&news=10,rt,"
TAG, COLUMN, FIELD, LINK = b"\x0e", b"\x05", b"\x0b", b"\x0d"  # the reply's control bytes


def headlines(count):
    # A reply of count headlines, each with its link: about 42 bytes each.
    return b"".join(TAG + b"rt" + COLUMN + b"1" + FIELD + b"Top:" + COLUMN + b"2" + FIELD +
                    b"Headline number %d" % i + FIELD + LINK + b"x/%d" % i + LINK
                    for i in range(count))


class Feed(TickerTest):
    def start(self, *portal_options, account=None, stamp=True, **portal_kw):
        # With stamp, returns once the first refresh has ended (its time stamp cleared).
        self.portal = self.start_portal(*portal_options, **portal_kw)
        self.start_taskbar()
        self.proc = self.start_ticker(account and {"My Tamzo!": 1, "Tamzo! User ID": account[0],
                                                   "Tamzo! Password": account[1]})
        if stamp:
            self.wait_stamp()

    def wait_requests(self, count):
        self.until(lambda: len(self.portal.requests()) >= count, self.portal.requests)
        # host/path?query of each proxy request's absolute target (WinINet may add the port 80).
        return [r["target"].removeprefix("http://").replace(":80/", "/", 1)
                for r in self.portal.requests()]

    def refresh_now(self):
        self.send("class:Ticker", WM_TIMER, ids.RefreshTimer)

    def assert_alive(self):
        self.assertIsNone(self.proc.poll(), "the ticker process ended")
        self.send("class:Ticker", WM_NULL)

    def test_first_run_request_airports_read_at_every_refresh_and_a_portal_that_goes(self):
        self.start("--frozen")
        self.assertEqual([CONTENT + FIRST_RUN_QUERY], self.wait_requests(1))
        self.assertEqual("ZRT Ticker V1.0", self.portal.requests()[0]["headers"].get("User-Agent"))
        self.s.reg_add(KEY, "Airports", "ORD,SEA", kind="REG_SZ")
        self.refresh_now()
        self.assertIn("&weather=f,ORD,SEA&", self.wait_requests(2)[1])
        self.wait_stamp()

        # A content request that cannot be opened disables the feed: later refreshes do nothing.
        self.portal.stop()
        self.refresh_now()  # this one finds nobody listening
        self.until(lambda: self.menu_state()["Update Now"]["enabled"], "still refreshing", 60)
        again = self.start_portal("--frozen", name="portal_again", port=self.portal.port)
        self.refresh_now()
        # A refresh that had started would still run, or have asked the portal before it ended.
        self.assertTrue(self.menu_state()["Update Now"]["enabled"])
        self.assertEqual([], again.requests(), "a refresh ran after the feed was disabled")
        self.assert_alive()

    def test_personal_account_logs_in_first_and_asks_without_query(self):
        self.start("--frozen", account=("demo", "tamzo"))
        self.assertEqual([LOGIN + "?login=demo&passwd=tamzo", CONTENT], self.wait_requests(2))
        login, content = self.portal.requests()
        self.assertRegex(login["headers"].get("Accept", ""), "text//plain.*text//html")
        # Both went through one Internet handle, so the session cookie came along.
        self.assertIn("tamzo_session=", content["cookie"])
        self.assert_alive()

    def test_refused_login_stamps_the_update_without_asking_for_content(self):
        self.start("--frozen", account=("demo", "wrong"))  # every request it made is logged
        self.assertEqual([LOGIN + "?login=demo&passwd=wrong"], self.wait_requests(1))
        self.assert_alive()

    def test_credentials_too_long_for_the_address_are_not_sent(self):
        self.start("--frozen", account=("u" * 99, "p" * 99))  # the bad-login banner is stamped
        self.assertEqual([], self.portal.requests())

    def test_a_server_that_trickles_or_says_nothing_ends_only_that_refresh(self):
        # The first refresh meets a server that sends a byte a second, the second one that
        # never answers; each ends by the refresh's deadline (60 s), showing and stamping
        # nothing, and the third shows the reply (once the test has looked).
        stop, release = threading.Event(), threading.Event()
        self.addCleanup(stop.set)

        def trickle():
            while not stop.wait(1):
                yield b"x"

        def answer(request):
            n = len(self.portal.requests())  # this one included
            if n == 2:
                stop.wait(300)
            if n > 2:
                release.wait(60)
            return 200, trickle() if n == 1 else FIELD + b"fresh" + FIELD

        self.start(answer=answer, stamp=False)
        self.wait_requests(1)
        for count in (2, 3):
            began = time.time()
            # "Update Now" is ignored while a refresh runs: the next request marks its end.
            self.until(lambda: len(self.portal.requests()) >= count or self.refresh_now(),
                       f"refresh {count - 1} did not end", 90, 2.0)
            self.assertLess(time.time() - began, 75, f"refresh {count - 1} ran long")
            self.assertNotIn("Last Stock Update", self.registry())
        release.set()
        self.wait_stamp()
        self.assert_alive()

    def test_closing_the_ticker_while_a_reply_arrives_or_is_parsed_exits_cleanly(self):
        # A 100 KB reply of headlines with links comes in pieces over some seconds; the ticker
        # is closed once half of it has come, and again (a new one) once all of it has.
        body, half, whole = headlines(2400), threading.Event(), threading.Event()

        def pieces():
            for start in range(0, len(body), 2000):
                yield body[start:start + 2000]
                time.sleep(0.05)
                if start >= len(body) // 2:
                    half.set()
            whole.set()

        self.portal = self.start_portal(answer=lambda request: (200, pieces()))
        self.start_taskbar()
        for moment in (half, whole):
            moment.clear()
            proc = self.start_ticker()
            self.assertTrue(moment.wait(60), "the reply was not sent")
            self.send("class:Ticker", ids.WM_TICKER_CLOSE)
            self.assertEqual(0, proc.wait(timeout=30), self.s.state_of(proc))

    def test_hostile_replies_leave_the_ticker_running(self):
        # Each reply in turn; a refresh that has saved its time stamp has got to its end, and
        # an empty reply shows the no-data banner, stamped like content.
        reply = self.s.work / "reply.bin"
        reply.write_bytes(TAG + b"rt" + COLUMN + b"2" + FIELD + b"warm-up" + FIELD)
        self.start("--raw-reply", reply)
        rng = random.Random(20240501)
        links = TAG + b"rt" + COLUMN + b"2" + b"".join(
            (FIELD + b"h" + FIELD if i < 300 else b"") + LINK + b"a/%d" % i + LINK
            for i in range(10000))
        long_links = TAG + b"rw" + COLUMN + b"2" + b"".join(
            FIELD + b"Story" + FIELD + LINK + bytes([rng.randrange(0x20, 0x7f)]) * 5000 + LINK
            for _ in range(12))
        alphabet = b"\x05\x0b\x0d\x0e\x95&;:|+-0qtwrsv12 abcdefHTP" + bytes(range(0x80, 0x90))
        hostile = {
            "empty": b"", "one megabyte": headlines(25000), "10000 links": links,
            "5000-byte links": long_links,
            "grammar noise": bytes(rng.choice(alphabet) for _ in range(300000)),
            "random bytes": bytes(rng.randrange(1, 256) for _ in range(200000)),
            "raw bytes": bytes(rng.randrange(0, 256) for _ in range(50000)),
            "entities": FIELD + b"&amp" * 20000 + b"&quot;" * 5000 + b";;",
        }
        for name, body in hostile.items():
            with self.subTest(reply=name):
                reply.write_bytes(body)
                self.refresh_now()
                self.wait_stamp()
                self.assert_alive()


if __name__ == "__main__":
    unittest.main(verbosity=2)
