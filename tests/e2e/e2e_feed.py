"""The feed with the real Ticker.exe against the portal: the requests it sends, the login, the
time stamp it saves, a portal that goes away, and hostile replies. The ticker reaches the
portal the way any WinINet program reaches a proxy: through the http_proxy variable."""
import json
import random
import re
import sys
import time
import unittest
import warnings
from pathlib import Path
from urllib.parse import urlsplit

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "harness"))
import winetest as w  # noqa: E402
from portal import Portal  # noqa: E402

KEY = r"HKLM\SOFTWARE\Ostrivane\Ticker"
WM_NULL = 0x0000
WM_TIMER = 0x0113
REFRESH_TIMER = 3
CONTENT = "my.tamzo.example/zrt/update"
LOGIN = "login.tamzo.example/bin/zrtlogin"
FIRST_RUN_QUERY = "?stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT&weather=f,JFK,SFO,LAX&news=10,rt,"
STAMP = re.compile(r"^LAST UPDATED: [A-Z][a-z]+, [A-Z][a-z]+ \d{1,2}, \d{4}  \d{1,2}:\d\d [AP]M$")

# The reply's control bytes.
TAG, COLUMN, FIELD, LINK = b"\x0e", b"\x05", b"\x0b", b"\x0d"


def address(request):
    """host/path?query of a proxy request's absolute target (WinINet may add the port 80)."""
    parts = urlsplit(request["target"])
    assert parts.scheme == "http" and parts.port in (None, 80), request["target"]
    return parts.hostname + parts.path + ("?" + parts.query if parts.query else "")


class Feed(unittest.TestCase):
    def setUp(self):
        warnings.simplefilter("ignore", ResourceWarning)  # the harness's log files
        self.session = w.WineSession(f"feed_{self._testMethodName}")
        self.addCleanup(self.session.close)

    # -- helpers ---------------------------------------------------------------------------------
    def start_portal(self, *options, name="portal", port=0):
        portal = Portal(self.session, name, *options, port=port)
        self.addCleanup(portal.stop)
        return portal

    def start_ticker(self, portal):
        env = self.session.env
        for name in ("no_proxy", "NO_PROXY", "HTTP_PROXY", "https_proxy"):
            env.pop(name, None)
        env["http_proxy"] = f"http://127.0.0.1:{portal.port}"
        self.session.spawn(w.TASKBAR_EXE)
        self.assertTrue(self.session.wait_window("TrayNotifyWnd"), "no taskbar stand-in")
        self.ticker = self.session.spawn(w.TICKER_EXE)
        self.assertTrue(self.session.wait_window("Ticker"), "no Ticker window")

    def wait_requests(self, portal, count, timeout=30):
        got = self.session.wait_for(lambda: len(portal.requests()) >= count, timeout)
        self.assertTrue(got, f"expected {count} requests, got {portal.requests()}")
        return portal.requests()

    def last_update(self):
        values = self.session.registry(KEY) or {}
        row = values.get("Last Stock Update")
        return row["data"] if row else None

    def wait_stamp(self, timeout=60):
        stamp = self.session.wait_for(self.last_update, timeout)
        self.assertTrue(stamp, "no Last Stock Update was saved")
        self.assertRegex(stamp, STAMP)
        return stamp

    def forget_stamp(self):
        self.session.run("reg", "delete", KEY, "/v", "Last Stock Update", "/f", check=True)
        self.assertIsNone(self.last_update())

    def refresh_now(self):
        answer = self.session.send("class:Ticker", WM_TIMER, REFRESH_TIMER)
        self.assertTrue(answer and answer["ok"], answer)

    def assert_alive(self):
        self.assertIsNone(self.ticker.poll(), "the ticker process ended")
        answer = self.session.send("class:Ticker", WM_NULL)
        self.assertTrue(answer and answer["ok"], f"the ticker window does not answer: {answer}")

    def set_account(self, user, password):
        self.session.reg_add(KEY, "My Tamzo!", 1)
        self.session.reg_add(KEY, "Tamzo! User ID", user, kind="REG_SZ")
        self.session.reg_add(KEY, "Tamzo! Password", password, kind="REG_SZ")

    # -- requests --------------------------------------------------------------------------------
    def test_first_run_request_and_time_stamp(self):
        portal = self.start_portal("--frozen")
        self.start_ticker(portal)
        first = self.wait_requests(portal, 1)[0]
        self.assertEqual("GET", first["method"])
        self.assertEqual(CONTENT + FIRST_RUN_QUERY, address(first))
        self.assertEqual("ZRT Ticker V1.0", first["headers"].get("User-Agent"))
        self.wait_stamp()
        self.assert_alive()
        # A forced refresh asks again, with the same query.
        self.forget_stamp()
        self.refresh_now()
        second = self.wait_requests(portal, 2)[1]
        self.assertEqual(CONTENT + FIRST_RUN_QUERY, address(second))
        self.wait_stamp()

    def test_airports_are_read_again_at_every_refresh(self):
        portal = self.start_portal("--frozen")
        self.start_ticker(portal)
        self.wait_requests(portal, 1)
        self.wait_stamp()
        self.session.reg_add(KEY, "Airports", "ORD,SEA", kind="REG_SZ")
        self.refresh_now()
        second = self.wait_requests(portal, 2)[1]
        self.assertEqual(CONTENT + "?stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT"
                         "&weather=f,ORD,SEA&news=10,rt,", address(second))

    def test_personal_account_logs_in_first_and_asks_without_query(self):
        self.set_account("demo", "tamzo")
        portal = self.start_portal("--frozen")
        self.start_ticker(portal)
        login, content = self.wait_requests(portal, 2)[:2]
        self.assertEqual(LOGIN + "?login=demo&passwd=tamzo", address(login))
        accept = login["headers"].get("Accept", "")
        self.assertIn("text//plain", accept)
        self.assertIn("text//html", accept)
        self.assertEqual(CONTENT, address(content))
        self.assertEqual("ZRT Ticker V1.0", content["headers"].get("User-Agent"))
        # Both went through one Internet handle, so the session cookie came along.
        self.assertIn("tamzo_session=", content["cookie"] or json.dumps(content["headers"]))
        self.wait_stamp()
        self.assert_alive()

    def test_refused_login_still_stamps_the_update(self):
        self.set_account("demo", "wrong")
        portal = self.start_portal("--frozen")
        self.start_ticker(portal)
        self.wait_requests(portal, 1)
        self.wait_stamp()
        time.sleep(1)
        requests = portal.requests()
        self.assertEqual([LOGIN + "?login=demo&passwd=wrong"], [address(r) for r in requests],
                         "a refused login must not be followed by the content request")
        self.assert_alive()

    # -- failures --------------------------------------------------------------------------------
    def test_empty_reply_keeps_the_ticker_running(self):
        portal = self.start_portal("--empty-reply")
        self.start_ticker(portal)
        self.wait_requests(portal, 1)
        self.wait_stamp()  # the no-data banner is shown and stamped like content
        self.assert_alive()
        self.refresh_now()  # and the feed is not given up
        self.wait_requests(portal, 2)
        self.assert_alive()

    def test_content_request_that_cannot_be_opened_stops_later_refreshes(self):
        portal = self.start_portal("--frozen")
        self.start_ticker(portal)
        self.wait_requests(portal, 1)
        self.wait_stamp()
        port = portal.port
        portal.stop()

        self.refresh_now()  # this one finds nobody listening
        time.sleep(3)
        again = self.start_portal("--frozen", name="portal_again", port=port)
        for _ in range(3):
            self.refresh_now()
            time.sleep(1)
        time.sleep(2)
        self.assertEqual([], again.requests(), "a refresh ran after the feed was disabled")
        self.assert_alive()

    # -- hostile replies -------------------------------------------------------------------------
    def test_hostile_replies_leave_the_ticker_running(self):
        reply = self.session.work / "reply.bin"
        reply.write_bytes(TAG + b"rt" + COLUMN + b"2" + FIELD + b"warm-up" + FIELD)
        portal = self.start_portal("--raw-reply", reply)
        self.start_ticker(portal)
        self.wait_requests(portal, 1)
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
        grammar_noise = bytes(rng.choice(alphabet) for _ in range(300000))
        noise = bytes(rng.randrange(1, 256) for _ in range(200000))
        raw = bytes(rng.randrange(0, 256) for _ in range(50000))
        entities = (FIELD + b"&amp" * 20000 + b"&quot;" * 5000 + b";;")
        hostile = {
            "one megabyte": bytes(megabyte), "10000 links": links, "5000-byte links": long_links,
            "grammar noise": grammar_noise, "random bytes": noise, "raw bytes": raw,
            "entities": entities,
        }
        for name, body in hostile.items():
            with self.subTest(reply=name):
                reply.write_bytes(body)
                before = len(portal.requests())
                self.forget_stamp()
                self.refresh_now()
                self.wait_requests(portal, before + 1)
                self.wait_stamp()  # the worker got to its end
                self.assert_alive()


if __name__ == "__main__":
    unittest.main(verbosity=2)
