"""Opening pages from the real Ticker.exe: the browser over DDE and the registered browser.

With the DDE stand-in serving both browsers' services, a click on the logo opens the search
server's root on "NETSCAPE" (the address on "WWW_OpenURL", then the activation item on
"WWW_Activate"); a double click opens it three times; a press on the logo released on the strip
opens nothing; "Help..." opens the help file in the default folder; the search box sends what
was typed when Enter is pressed, again on the next Enter. With only "Iexplore" both topics go
there. With no browser, the shell's open command is run once per click, trimmed.
"""
import time

import chrome_scene as cs
from chrome_scene import check, WM_CHAR

ROOT_OPEN = cs.SEARCH_ROOT + cs.OPEN_TAIL


def pairs(requests):
    """The addresses of complete open-and-activate exchanges, checking their shape."""
    check(len(requests) % 2 == 0, f"an exchange was left half done: {requests}")
    addresses = []
    for (s1, t1, item1), (s2, t2, item2) in zip(requests[0::2], requests[1::2]):
        check(s1 == s2 and t1 == "WWW_OpenURL" and t2 == "WWW_Activate" and
              item2 == cs.ACTIVATE_ITEM and item1.endswith(cs.OPEN_TAIL),
              f"not an open-then-activate exchange: {requests}")
        addresses.append((s1, item1[:-len(cs.OPEN_TAIL)]))
    return addresses


def settle(scene, count):
    """Waits for count requests, then a quiet moment; returns them all."""
    scene.wait_requests(count)
    time.sleep(cs.QUIET)
    return scene.requests()


def logo_clicks(scene):
    scene.mouse("click", -30, 10)
    got = settle(scene, 2)
    check(pairs(got) == [("NETSCAPE", cs.SEARCH_ROOT)], f"one click, one page: {got}")

    scene.mouse("dblclick", -30, 10)  # both releases and the double click open it
    got = settle(scene, 8)
    check(pairs(got) == [("NETSCAPE", cs.SEARCH_ROOT)] * 4, f"double click: {got}")

    # Press the logo, leave it with the button held, let go over the strip: nothing opens.
    # A click on the logo afterwards is the marker that the release has been handled.
    scene.mouse("move", -30, 10)
    scene.mouse("down")
    scene.mouse("move", -40, 10)
    scene.mouse("move", 150, 10)
    scene.mouse("up")
    scene.mouse("dblclick", 150, 10)  # no links in the strip yet: nothing to open either
    scene.mouse("click", -30, 10)
    got = settle(scene, 10)
    check(len(got) == 10, f"a release off the logo opened something: {got}")


def help_page(scene):
    before = len(scene.requests())
    scene.choose(scene.open_menu(), "Help...")
    got = settle(scene, before + 2)[before:]
    check(pairs(got) == [("NETSCAPE", r"c:\progra~1\tamzo!\zrthelp.html")], f"help: {got}")


def search_box(scene):
    scene.mouse("click", -70, 5)  # the upper small button opens the search box
    t = scene.ticker()
    over_strip = [0, 1, t["cw"] - 76, t["ch"] - 1]  # the whole strip, not the button panel

    def placed_box():
        box = scene.child_of_ticker("Edit")
        return box if box and box["visible"] and box["rel"] == over_strip else None
    box = scene.s.wait_for(placed_box, cs.WAIT)
    check(box, f"no search box over the strip: {scene.child_of_ticker('Edit')}")
    for ch in "two words":
        scene.post(box["hwnd"], WM_CHAR, ord(ch))
    before = len(scene.requests())
    scene.post(box["hwnd"], WM_CHAR, 13)
    got = settle(scene, before + 2)[before:]
    # The line break that Enter leaves in the box arrives as two spaces.
    want = cs.SEARCH_ROOT + "/bin/search?p=two+words"
    check(pairs(got) == [("NETSCAPE", want + "  ")], f"first Enter: {got}")
    scene.post(box["hwnd"], WM_CHAR, 13)
    got = settle(scene, before + 4)[before + 2:]
    check(pairs(got) == [("NETSCAPE", want + "    ")], f"second Enter: {got}")
    # The logo sends the same search while the box is open.
    scene.mouse("click", -30, 10)
    got = settle(scene, before + 6)[before + 4:]
    check(pairs(got) == [("NETSCAPE", want + "    ")], f"logo with the box open: {got}")
    scene.mouse("click", -70, 5)  # closes it again
    check(scene.s.wait_for(lambda: not scene.child_of_ticker("Edit"), cs.WAIT),
          "the search box did not go away")


def iexplore_only(scene):
    scene.stop_browser()
    scene.start_browser("--iexplore")
    before = len(scene.requests())
    scene.mouse("click", -30, 10)
    got = settle(scene, before + 2)[before:]
    check(pairs(got) == [("Iexplore", cs.SEARCH_ROOT)], f"Iexplore only: {got}")
    check([t for _, t, _ in got] == ["WWW_OpenURL", "WWW_Activate"], f"topics: {got}")
    scene.stop_browser()


def registered_browser(scene):
    def lines(log):
        return log.read_text(errors="replace").splitlines() if log.exists() else []

    def click_and_expect(log, count):
        scene.mouse("click", -30, 10)
        check(scene.s.wait_for(lambda: len(lines(log)) >= count, cs.WAIT),
              f"the browser was not started: {lines(log)}")
        time.sleep(cs.QUIET)
        got = lines(log)
        check(len(got) == count, f"one start per click: {got}")
        return got[-1]

    # A quoted path and "-nohome": the quotes become spaces, the option goes, and the address
    # follows after two spaces (the blank that replaced the opening quote is not passed on).
    path, log = scene.install_recorder("-nohome")
    line = click_and_expect(log, 1)
    check(line == f"{path}  {cs.SEARCH_ROOT}", f"-nohome command line: {line!r}")
    line = click_and_expect(log, 2)
    check(line == f"{path}  {cs.SEARCH_ROOT}", f"second click: {line!r}")

    # "-h" with a quoted placeholder: both go.
    path, log = scene.install_recorder('-h "%1"')
    line = click_and_expect(log, 3)
    check(line == f"{path}  {cs.SEARCH_ROOT}", f"-h command line: {line!r}")

    # No command at all: nothing is started, and the ticker carries on.
    scene.s.run("reg", "delete", cs.HTTP_COMMAND_KEY, "/f", check=True)
    scene.mouse("click", -30, 10)
    time.sleep(cs.QUIET)
    check(len(lines(log)) == 3, f"started without a command: {lines(log)}")
    check(scene.ticker(), "the ticker ended")
    path, log = scene.install_recorder("-nohome")
    click_and_expect(log, 4)


def main():
    with cs.winetest.WineSession("e2e_browser") as session:
        scene = cs.TickerScene(session)
        scene.start()
        scene.start_browser()
        for step in (logo_clicks, help_page, search_box, iexplore_only, registered_browser):
            print(f"-- {step.__name__}", flush=True)
            step(scene)
    print("ok")


if __name__ == "__main__":
    cs.run(main)
