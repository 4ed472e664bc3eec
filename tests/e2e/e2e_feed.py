"""The feed with the real Ticker.exe against the portal: the requests it sends, the login, the
time stamp it saves, a portal that goes away, slow servers, hostile replies, and an exit in
the middle of a refresh. The ticker reaches the portal the way any WinINet program reaches a
proxy: through the http_proxy variable."""
import json
import random
import re
import threading
import time
import unittest
from urllib.parse import urlsplit

from names import KEY, WM_NULL, WM_TIMER, ids
from scene import TickerTest

CONTENT = "my.tamzo.example/zrt/update"
LOGIN = "login.tamzo.example/bin/zrtlogin"
FIRST_RUN_QUERY = "?stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT&weather=f,JFK,SFO,LAX&news=10,rt,"
STAMP = re.compile(r"^LAST UPDATED: [A-Z][a-z]+, [A-Z][a-z]+ \d{1,2}, \d{4}  \d{1,2}:\d\d [AP]M$")
TAG, COLUMN, FIELD, LINK = b"\x0e", b"\x05", b"\x0b", b"\x0d"  # the reply's control bytes


def address(request):
    """host/path?query of a proxy request's absolute target (WinINet may add the port 80)."""
    parts = urlsplit(request["target"])
    assert parts.scheme == "http" and parts.port in (None, 80), request["target"]
    return parts.hostname + parts.path + ("?" + parts.query if parts.query else "")


class Feed(TickerTest):
    def start(self, *portal_options, account=None):
        self.portal = self.start_portal(*portal_options)
        self.start_taskbar()
        self.proc = self.start_ticker(account and {"My Tamzo!": 1, "Tamzo! User ID": account[0],
                                                   "Tamzo! Password": account[1]})

    def wait_requests(self, count, timeout=30):
        got = self.s.wait_for(lambda: len(self.portal.requests()) >= count, timeout)
        self.assertTrue(got, f"expected {count} requests, got {self.portal.requests()}")
        return [address(r) for r in self.portal.requests()]

    def wait_stamp(self):
        """Waits for "Last Stock Update", which a refresh saves at its very end; clears it."""
        stamp = self.s.wait_for(lambda: self.registry().get("Last Stock Update"), 60)
        self.assertRegex(stamp or "", STAMP)
        self.s.run("reg", "delete", KEY, "/v", "Last Stock Update", "/f", check=True)

    def refresh_now(self):
        self.send("class:Ticker", WM_TIMER, ids.RefreshTimer)

    def assert_alive(self):
        self.assertIsNone(self.proc.poll(), "the ticker process ended")
        self.send("class:Ticker", WM_NULL)

    def test_first_run_request_and_time_stamp_and_airports_read_at_every_refresh(self):
        self.start("--frozen")
        self.assertEqual([CONTENT + FIRST_RUN_QUERY], self.wait_requests(1))
        self.assertEqual("ZRT Ticker V1.0", self.portal.requests()[0]["headers"].get("User-Agent"))
        self.wait_stamp()
        self.s.reg_add(KEY, "Airports", "ORD,SEA", kind="REG_SZ")
        self.refresh_now()
        self.assertEqual(CONTENT + "?stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT"
                         "&weather=f,ORD,SEA&news=10,rt,", self.wait_requests(2)[1])
        self.wait_stamp()
        self.assert_alive()

    def test_personal_account_logs_in_first_and_asks_without_query(self):
        self.start("--frozen", account=("demo", "tamzo"))
        self.assertEqual([LOGIN + "?login=demo&passwd=tamzo", CONTENT], self.wait_requests(2))
        login, content = self.portal.requests()
        accept = login["headers"].get("Accept", "")
        self.assertIn("text//plain", accept)
        self.assertIn("text//html", accept)
        self.assertEqual("ZRT Ticker V1.0", content["headers"].get("User-Agent"))
        # Both went through one Internet handle, so the session cookie came along.
        self.assertIn("tamzo_session=", content["cookie"] or json.dumps(content["headers"]))
        self.wait_stamp()
        self.assert_alive()

    def test_refused_login_stamps_the_update_without_asking_for_content(self):
        self.start("--frozen", account=("demo", "wrong"))
        self.wait_stamp()  # the refresh has ended: every request it made is in the log
        self.assertEqual([LOGIN + "?login=demo&passwd=wrong"], self.wait_requests(1))
        self.assert_alive()

    def test_credentials_too_long_for_the_address_are_not_sent(self):
        self.start("--frozen", account=("u" * 99, "p" * 99))
        self.wait_stamp()  # the bad-login banner is shown and stamped
        self.assertEqual([], self.portal.requests())

    def test_empty_reply_keeps_the_ticker_and_the_feed_running(self):
        self.start("--empty-reply")
        self.wait_requests(1)
        self.wait_stamp()  # the no-data banner is shown and stamped like content
        self.refresh_now()
        self.wait_requests(2)
        self.assert_alive()

    def test_content_request_that_cannot_be_opened_stops_later_refreshes(self):
        self.start("--frozen")
        self.wait_requests(1)
        self.wait_stamp()
        port = self.portal.port
        self.portal.stop()
        self.refresh_now()  # this one finds nobody listening
        self.assertTrue(self.s.wait_for(self.no_refresh_runs, 60), "the refresh did not end")
        again = self.start_portal("--frozen", name="portal_again", port=port)
        for _ in range(3):
            self.refresh_now()
        # A refresh that had started would still run, or have asked the portal before it ended.
        self.assertTrue(self.no_refresh_runs())
        self.assertEqual([], again.requests(), "a refresh ran after the feed was disabled")
        self.assert_alive()

    def no_refresh_runs(self):
        return self.menu_state()["Update Now"]["enabled"]

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

        self.portal = self.start_portal(answer=answer)
        self.start_taskbar()
        self.proc = self.start_ticker()
        self.wait_requests(1)
        for count in (2, 3):
            began = time.time()
            # "Update Now" is ignored while a refresh runs: the next request marks its end.
            got = self.s.wait_for(lambda: len(self.portal.requests()) >= count or
                                  self.refresh_now(), 90, 2.0)
            self.assertTrue(got, f"refresh {count - 1} did not end")
            self.assertLess(time.time() - began, 75, f"refresh {count - 1} ran long")
            self.assertNotIn("Last Stock Update", self.registry())
        release.set()
        self.wait_stamp()
        self.assert_alive()

    def test_closing_the_ticker_while_a_reply_arrives_or_is_parsed_exits_cleanly(self):
        # A 100 KB reply of headlines with links comes in pieces over some seconds; the ticker
        # is closed once half of it has come, and again (a new one) once all of it has.
        body = bytearray()
        while len(body) < 100_000:
            n = b"%d" % len(body)
            body += TAG + b"rt" + COLUMN + b"1" + FIELD + b"Top:" + COLUMN + b"2" + FIELD + \
                b"Headline number " + n + FIELD + LINK + b"x/" + n + LINK
        half, whole = threading.Event(), threading.Event()

        def pieces():
            for start in range(0, len(body), 2000):
                yield bytes(body[start:start + 2000])
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
        reply = self.s.work / "reply.bin"
        reply.write_bytes(TAG + b"rt" + COLUMN + b"2" + FIELD + b"warm-up" + FIELD)
        self.start("--raw-reply", reply)
        self.wait_requests(1)
        self.wait_stamp()

        rng = random.Random(20240501)
        headline = TAG + b"rt" + COLUMN + b"1" + FIELD + b"Top:" + COLUMN + b"2"
        megabyte = bytearray()
        while len(megabyte) < 1 << 20:
            n = str(len(megabyte)).encode()
            megabyte += headline + FIELD + b"Headline " + n + FIELD + LINK + b"x/" + n + LINK
        links = TAG + b"rt" + COLUMN + b"2" + b"".join(
            (FIELD + b"h" + FIELD if i < 300 else b"") + LINK + b"a/%d" % i + LINK
            for i in range(10000))
        long_links = TAG + b"rw" + COLUMN + b"2" + b"".join(
            FIELD + b"Story" + FIELD + LINK + bytes([rng.randrange(0x20, 0x7f)]) * 5000 + LINK
            for _ in range(12))
        alphabet = b"\x05\x0b\x0d\x0e\x95&;:|+-0qtwrsv12 abcdefHTP" + bytes(range(0x80, 0x90))
        hostile = {
            "one megabyte": bytes(megabyte), "10000 links": links, "5000-byte links": long_links,
            "grammar noise": bytes(rng.choice(alphabet) for _ in range(300000)),
            "random bytes": bytes(rng.randrange(1, 256) for _ in range(200000)),
            "raw bytes": bytes(rng.randrange(0, 256) for _ in range(50000)),
            "entities": FIELD + b"&amp" * 20000 + b"&quot;" * 5000 + b";;",
        }
        for name, body in hostile.items():
            with self.subTest(reply=name):
                reply.write_bytes(body)
                before = len(self.portal.requests())
                self.refresh_now()
                self.wait_requests(before + 1)
                self.wait_stamp()  # the worker got to its end
                self.assert_alive()


if __name__ == "__main__":
    unittest.main(verbosity=2)
