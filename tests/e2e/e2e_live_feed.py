"""A live headline: the portal reads an RSS feed from a web server (here one on the loopback
interface), the real Ticker.exe shows its headline, and a double click on it opens the
headline's story page, which sends the browser on to the original article."""
import http.server
import re
import threading
import time
import urllib.error
import urllib.request

import chrome_scene as cs
from chrome_scene import check
from portal import Portal

TITLE = "Harbor Bridge Reopens After Repairs"
ARTICLE = "https://news.example/2024/05/harbor-bridge.html?src=rss"
FEED = f"""<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0"><channel><title>Harbor News</title>
<item><title>{TITLE}</title><link>{ARTICLE.replace("&", "&amp;")}</link>
<pubDate>Tue, 07 May 2024 10:00:00 GMT</pubDate></item>
</channel></rss>""".encode()


class FeedHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "application/rss+xml")
        self.send_header("Content-Length", str(len(FEED)))
        self.end_headers()
        self.wfile.write(FEED)

    def log_message(self, *args):
        pass


def portal_get(portal, target):
    """(status, Location, body) of a GET as a proxy client sends it, redirects not followed."""
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


def main():
    source = http.server.ThreadingHTTPServer(("127.0.0.1", 0), FeedHandler)
    threading.Thread(target=source.serve_forever, daemon=True).start()
    try:
        with cs.winetest.WineSession("e2e_live_feed") as session:
            feed = f"http://127.0.0.1:{source.server_port}/top.xml"
            portal = Portal(session, "portal", "--feed", f"rt={feed}", "--cache",
                            session.work / "cache")
            status = lambda: portal_get(portal, "http://my.tamzo.example/status")[2]
            check(session.wait_for(lambda: f"{feed}</td><td>1</td>" in status(), cs.WAIT),
                  f"the portal did not read the feed: {status()}")

            session.env["http_proxy"] = portal.proxy
            session.env["no_proxy"] = ""
            scene = cs.TickerScene(session)
            scene.start(settings={"US Headlines": 1, "Ticker Speed": 0})
            scene.start_browser()

            # Once the first refresh has put the headline in place, a double click on the
            # strip's start opens its link: the story page of the live headline.
            def opened():
                scene.mouse("dblclick", 12, 10)
                time.sleep(1.0)
                return [item[:-len(cs.OPEN_TAIL)] for _, topic, item in scene.requests()
                        if topic == "WWW_OpenURL"]
            got = session.wait_for(opened, 120, 2.0)
            check(got, "no link was opened: the strip has no headline")
            story = got[0]
            check(re.fullmatch(r"http://my\.tamzo\.example/story/[0-9a-f]{16}\.html", story),
                  f"not a story page: {got}")
            content = [r for r in portal.requests() if r["path"] == "/zrt/update"]
            check(content, f"the ticker did not ask the portal: {portal.requests()}")
            reply = portal_get(portal, content[-1]["target"])[2]
            check(TITLE in reply and story.split("/", 2)[2] in reply,
                  f"the reply does not hold the live headline: {reply!r}")
            code, location, page = portal_get(portal, story)
            check((code, location) == (302, ARTICLE), f"story page: {code} {location} {page}")
    finally:
        source.shutdown()
        source.server_close()
    print("ok")


if __name__ == "__main__":
    cs.run(main)
