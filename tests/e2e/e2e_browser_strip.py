"""A double click on the strip of the real Ticker.exe opens the link of the item under it.

The ticker reads its content from the portal stand-in (through http_proxy) with a fixed reply
of three quotes, each with its own link, and stands still ("Ticker Speed" 0), so strip
position and window position agree. A double click left of the first item's right edge opens
the first link; one further right opens another of the three; with no browser running the
registered browser is started once with the address.
"""
import time

import chrome_scene as cs
from chrome_scene import check

TAG, COLUMN, FIELD, LINK = "\x0e", "\x05", "\x0b", "\x0d"
LINKS = [f"http://quote.tamzo.example/q?s={s}" for s in ("AAA", "BBB", "CCC")]


def reply_bytes():
    out = TAG + "qt"
    for symbol, link in zip(("AAA", "BBB", "CCC"), LINKS):
        out += COLUMN + "1" + FIELD + symbol
        out += COLUMN + "2" + FIELD + "12.50 +0.25" + FIELD + LINK + link + LINK
    return out.encode("ascii")


def start_portal(session):
    raw = session.work / "reply.bin"
    raw.write_bytes(reply_bytes())
    out = session.work / "portal.out"
    session.spawn_native(cs.winetest.BUILD / "tools" / "portal" / "portal", "--port", "0",
                         "--frozen", "--raw-reply", raw, "--log", session.work / "portal.log",
                         log=out)
    line = session.wait_for(lambda: next((l for l in out.read_text().splitlines()
                                          if l.startswith("portal listening on")), None)
                            if out.exists() else None, cs.WAIT)
    check(line, "the portal did not start")
    return int(line.rsplit(":", 1)[1])


def opened(scene, start):
    got = scene.requests()[start:]
    return [item[:-len(cs.OPEN_TAIL)] for _, topic, item in got if topic == "WWW_OpenURL"]


def main():
    with cs.winetest.WineSession("e2e_browser_strip") as session:
        port = start_portal(session)
        session.env["http_proxy"] = f"http://127.0.0.1:{port}"
        session.env["no_proxy"] = ""
        scene = cs.TickerScene(session)
        scene.start(settings={"Stock Quotes": 1, "Ticker Speed": 0})
        scene.start_browser()

        # Until the first refresh has put the links in place a double click opens nothing;
        # after it, a double click left of the first item's right edge opens the first link.
        def first_open():
            scene.mouse("dblclick", 12, 10)
            time.sleep(1.0)
            return opened(scene, 0)
        got = session.wait_for(first_open, 120, 2.0)
        check(got, "no link was opened: the strip has no links")
        time.sleep(cs.QUIET)
        check(opened(scene, 0) == [LINKS[0]], f"first item: {scene.requests()}")
        check(scene.requests()[-1] == ("NETSCAPE", "WWW_Activate", cs.ACTIVATE_ITEM),
              f"no activation after the address: {scene.requests()}")

        # Further right lies another item; each double click opens exactly one link.
        start = len(scene.requests())
        width = scene.ticker()["cw"]
        scene.mouse("dblclick", width - 80, 10)
        scene.wait_requests(start + 2)
        time.sleep(cs.QUIET)
        got = opened(scene, start)
        check(len(got) == 1 and got[0] in LINKS, f"far right: {scene.requests()[start:]}")

        # No browser: the registered one is started once, with the link.
        scene.stop_browser()
        path, log = scene.install_recorder("-nohome")
        scene.mouse("dblclick", 12, 10)
        check(session.wait_for(lambda: log.exists() and log.read_text().strip(), cs.WAIT),
              "the registered browser was not started")
        time.sleep(cs.QUIET)
        lines = log.read_text().splitlines()
        check(lines == [f"{path}  {LINKS[0]}"], f"command lines: {lines}")
    print("ok")


if __name__ == "__main__":
    cs.run(main)
