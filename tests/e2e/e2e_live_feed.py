# A live headline: the portal reads an RSS feed from a web server (here one on the loopback
# interface), the real Ticker.exe shows its headline, and a double click on it opens the
# headline's story page, which sends the browser on to the original article.
import re
import unittest
import urllib.error
import urllib.request

from portal import Portal
from scene import OPEN_TAIL, TickerTest, WAIT

TITLE = "Harbor Bridge Reopens After Repairs"
ARTICLE = "https://news.example/2024/05/harbor-bridge.html?src=rss"
FEED = f"""<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0"><channel><title>Harbor News</title>
<item><title>{TITLE}</title><link>{ARTICLE}</link>
<pubDate>Tue, 07 May 2024 10:00:00 GMT</pubDate></item>
</channel></rss>""".encode()


def portal_get(portal, target):
    # (status, Location, body) of a GET as a proxy client sends it, redirects not followed.
    class Keep(urllib.request.HTTPRedirectHandler):
        def redirect_request(self, *args):
            return None
    opener = urllib.request.build_opener(Keep, urllib.request.ProxyHandler(
        {"http": portal.proxy}))
    try:
        with opener.open(target, timeout=10) as r:
            return r.status, r.headers.get("Location"), r.read().decode("latin-1")
    except urllib.error.HTTPError as e:
        return e.code, e.headers.get("Location"), e.read().decode("latin-1")


class LiveFeed(TickerTest):
    def test_a_live_headline_opens_its_article(self):
        source = Portal(self.s, "source", answer=lambda request: (200, FEED))
        feed = f"http://127.0.0.1:{source.port}/top.xml"
        portal = self.start_portal("--feed", f"rt={feed}", "--cache", self.s.work / "cache")
        status = lambda: portal_get(portal, "http://my.tamzo.example/status")[2]
        self.assertTrue(self.s.wait_for(lambda: f"{feed}</td><td>1</td>" in status(), WAIT),
                        f"the portal did not read the feed: {status()}")
        self.start_taskbar()
        self.start_ticker({"US Headlines": 1})
        self.start_browser()

        # Once the first refresh has put the headline in place, a double click on the strip's
        # start ("Next Topic" brings it back) opens its link: the story page of the headline.
        jumps = iter(range(1, 1000))

        def opened():
            self.post("class:Ticker", 0x0114, 8 | next(jumps) << 16)  # WM_HSCROLL: Next Topic
            self.mouse("dblclick", 12, 10)
            return self.s.wait_for(lambda: [item[:-len(OPEN_TAIL)] for _, topic, item in
                                            self.dde_requests() if topic == "WWW_OpenURL"], 1.0)
        got = self.s.wait_for(opened, 120, 1.0)
        self.assertTrue(got, "no link was opened: the strip has no headline")
        story = got[0]
        self.assertRegex(story, r"^http://my\.tamzo\.example/story/[0-9a-f]{16}\.html$")
        content = [r for r in portal.requests() if r["path"] == "/zrt/update"]
        reply = portal_get(portal, content[-1]["target"])[2]
        self.assertIn(TITLE, reply)
        self.assertIn(story.split("/", 2)[2], reply)
        self.assertEqual((302, ARTICLE), portal_get(portal, story)[:2])


if __name__ == "__main__":
    unittest.main(verbosity=2)
